#include "driver/command_line.hpp"

#include <array>
#include <string_view>
#include <type_traits>

#include "common/fixed_text.hpp"
#include "common/run_stop.hpp"
#include "input/value_converters.hpp"

namespace porvane {

namespace {

constexpr std::size_t token_width = 20;

// Option names in ascending character order; one-letter names carry a blank.
enum class option_id {
  ar, bs, ca, cd, cg, cl, cm, ex, f, h, ha, hn, ho, mb, mf, mt, nc, nm, nn, ns,
  p1, pc, ra, rb, rc, re, rm, rt, ru, rv, s, sl, st, vb, zm
};

struct option_name {
  const char* name;  // two characters
  option_id id;
};

constexpr std::array<option_name, 35> option_table = {{
    {"ar", option_id::ar}, {"bs", option_id::bs}, {"ca", option_id::ca}, {"cd", option_id::cd},
    {"cg", option_id::cg}, {"cl", option_id::cl}, {"cm", option_id::cm}, {"ex", option_id::ex},
    {"f ", option_id::f},  {"h ", option_id::h},  {"ha", option_id::ha}, {"hn", option_id::hn},
    {"ho", option_id::ho}, {"mb", option_id::mb}, {"mf", option_id::mf}, {"mt", option_id::mt},
    {"nc", option_id::nc}, {"nm", option_id::nm}, {"nn", option_id::nn}, {"ns", option_id::ns},
    {"p1", option_id::p1}, {"pc", option_id::pc}, {"ra", option_id::ra}, {"rb", option_id::rb},
    {"rc", option_id::rc}, {"re", option_id::re}, {"rm", option_id::rm}, {"rt", option_id::rt},
    {"ru", option_id::ru}, {"rv", option_id::rv}, {"s ", option_id::s},  {"sl", option_id::sl},
    {"st", option_id::st}, {"vb", option_id::vb}, {"zm", option_id::zm},
}};

// Argument i (1-based) as a blank-padded text of `width` characters; a blank
// text past the last argument.
std::string fetch(const std::vector<std::string>& args, std::size_t i, std::size_t width) {
  if (i < 1 || i > args.size()) return std::string(width, ' ');
  return padded(args[i - 1], width);
}

const option_name* look_up(const std::string& token) {
  std::string_view key(token.data() + 1, 2);
  for (const auto& entry : option_table)
    if (key == entry.name) return &entry;
  return nullptr;
}

// The arguments, the place of the one being read and the notes of the read.
struct argument_cursor {
  const std::vector<std::string>& args;
  command_line_notes& notes;
  std::size_t i = 1;  // 1-based place of the argument being read
  bool have_map = false;  // an -rm map name has been taken

  void fault(const std::string& message) {
    if (notes.fault.empty()) notes.fault = message;
  }

  // The value of the option at i: the next argument, consumed whatever it
  // holds; a value that does not read is noted and leaves `target` as it is.
  template <class T>
  void take_value(T& target) {
    const std::string& option = args[i - 1];
    if (++i > args.size()) return fault(option + " needs a value; it is the last argument");
    const std::string& text = args[i - 1];
    if constexpr (std::is_same_v<T, float>) {
      if (const auto v = read_real_value(text)) return void(target = *v);
      fault(option + " needs a real number in the single-precision range as its value; got \"" +
            text + "\"");
    } else {
      if (const auto v = read_integer_value(text)) return void(target = *v);
      fault(option + " needs a whole number in the 32-bit range as its value; got \"" + text +
            "\"");
    }
  }

  // -rm's map name: the next argument, which must not be blank. The last
  // -rm is read; a name it replaces is noted.
  void take_map_name(std::string& mapfile) {
    if (++i > args.size()) return fault(args[i - 2] + " needs a map file name; it is the last argument");
    if (have_map) notes.earlier_maps.push_back(mapfile);
    mapfile = args[i - 1];
    have_map = true;
    if (trim_blanks(mapfile).empty())
      fault(args[i - 2] + " needs a map file name; got \"" + mapfile + "\"");
  }

  // -rb [direction [cutoff]]: each is taken only when the next argument is a
  // number; otherwise that argument is read as an option or the input name,
  // and all directions and the 3D radius are used.
  void take_reeb_values(run_params& params) {
    if (i == args.size()) return;  // the last argument: both keep their values
    params.reebdir = 4;
    params.reebcutoff = 0.0f;
    if (!is_number_text(args[i])) return;
    take_value(params.reebdir);
    if (i < args.size() && is_number_text(args[i])) take_value(params.reebcutoff);
  }
};

// The options that only set switches (-cg its grid size too); false for an
// option that takes a value.
bool set_switch(option_id id, run_flags& flags, run_params& params) {
  switch (id) {
    case option_id::f: flags.f = 1; break;
    case option_id::cg:
      flags.cg = 1;
      params.gridsize = 3.0f;
      break;
    case option_id::ca: flags.ca = 1; break;
    case option_id::ha: flags.ha = 1; break;
    case option_id::hn: flags.hn = 1; break;
    case option_id::sl: flags.sl = 1; break;
    case option_id::rc: flags.rc = 1; break;
    case option_id::rv: flags.rv = 1; break;
    case option_id::s: flags.multiscale = 0; break;
    case option_id::nm: flags.writemap = 0; break;
    case option_id::cl: flags.cl = 1; break;
    case option_id::cm: flags.cm = 1; break;
    case option_id::nc: flags.nc = 1; break;
    case option_id::ex: flags.ex = 1; break;
    case option_id::ho: flags.ho = 1; break;
    case option_id::p1: flags.p1 = 1; break;
    case option_id::ar: flags.ar = 1; break;
    case option_id::zm: flags.zm = 1; break;
    case option_id::ns: flags.ns = 1; break;
    case option_id::h: flags.h = 1; break;
    case option_id::nn: flags.nn = 1; break;
    default: return false;
  }
  return true;
}

// The options that take values (-rm, -mb, -ru and -rb set their switches
// too).
void take_option_value(option_id id, argument_cursor& at, run_flags& flags, run_params& params,
                       run_state& state) {
  switch (id) {
    case option_id::re: at.take_value(params.gridsize); break;
    case option_id::mt: at.take_value(params.maxtime); break;
    case option_id::rm:
      flags.rm = 1;
      flags.writemap = 0;
      at.take_map_name(state.mapfile);
      break;
    case option_id::mb:
      flags.mb = 1;
      at.take_value(params.maxbfactor);
      break;
    case option_id::ru:
      flags.ru = 1;
      at.take_value(params.atomradius);
      break;
    case option_id::cd: at.take_value(params.channel_cutoff); break;
    case option_id::st: at.take_value(params.stepsize); break;
    case option_id::pc: at.take_value(params.pocketcountcut); break;
    case option_id::mf: at.take_value(params.clustcountcut); break;
    case option_id::vb: at.take_value(flags.vb); break;
    case option_id::ra: at.take_value(params.clusternum); break;
    case option_id::rt: at.take_value(params.trimlevel); break;
    case option_id::bs: at.take_value(params.deepcut); break;
    case option_id::rb:
      flags.rb = 1;
      at.take_reeb_values(params);
      break;
    default: break;
  }
}

}  // namespace

command_line_notes read_command_line(const std::vector<std::string>& args, run_flags& flags,
                                     run_params& params, run_state& state) {
  command_line_notes notes;
  argument_cursor at{args, notes};
  bool have_name = false;
  for (; at.i <= args.size(); ++at.i) {
    const std::string token = fetch(args, at.i, token_width);
    if (token[0] != '-') {  // the last name is read; an earlier one is noted
      if (have_name) notes.earlier_names.push_back(state.pdbname);
      state.pdbname = args[at.i - 1];  // exactly as typed, whatever its length
      have_name = true;
      continue;
    }
    const option_name* option = look_up(token);
    if (option == nullptr) {  // passed over, with a warning
      notes.unknown_options.push_back(args[at.i - 1]);
      continue;
    }
    if (!set_switch(option->id, flags, params)) take_option_value(option->id, at, flags, params, state);
  }
  return notes;
}

bool help_requested(const std::vector<std::string>& args, const run_flags& flags,
                    const run_state& state) {
  return args.empty() || flags.h == 1 || trim_blanks(state.pdbname).empty();
}

void check_reeb_direction(const run_flags& flags, const run_params& params) {
  if (flags.rb == 1 && (params.reebdir < 1 || params.reebdir > 4))
    io_failure("the -rb direction must be 1, 2 or 3, or 4 for all three; got " +
               std::to_string(params.reebdir));
}

}  // namespace porvane
