#include "driver/command_line.hpp"

#include <array>
#include <string_view>

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

}  // namespace

void read_command_line(const std::vector<std::string>& args, run_flags& flags,
                       run_params& params, run_state& state) {
  const std::size_t n = args.size();
  std::size_t i = 1;
  // The value of an option: the next argument, consumed whatever it holds.
  auto next_value = [&]() {
    ++i;
    return fetch(args, i, token_width);
  };
  auto real_value = [&]() { return chartoreal(next_value()); };
  auto int_value = [&]() { return chartoint(next_value()); };

  while (i <= n) {
    std::string token = fetch(args, i, token_width);
    bool looked_up_again = true;
    while (looked_up_again) {
      looked_up_again = false;
      if (token[0] != '-') {
        state.pdbname = args[i - 1];  // whole, whatever its length
        break;
      }
      const option_name* option = look_up(token);
      if (option == nullptr) break;  // unknown names are passed over
      switch (option->id) {
        case option_id::re: params.gridsize = real_value(); break;
        case option_id::mt: params.maxtime = real_value(); break;
        case option_id::f: flags.f = 1; break;
        case option_id::rm:
          flags.rm = 1;
          flags.writemap = 0;
          ++i;
          state.mapfile = i <= n ? args[i - 1] : std::string();
          break;
        case option_id::cg:
          flags.cg = 1;
          params.gridsize = 3.0f;
          break;
        case option_id::ca: flags.ca = 1; break;
        case option_id::ha: flags.ha = 1; break;
        case option_id::hn: flags.hn = 1; break;
        case option_id::sl: flags.sl = 1; break;
        case option_id::mb:
          flags.mb = 1;
          params.maxbfactor = real_value();
          break;
        case option_id::rc: flags.rc = 1; break;
        case option_id::rv: flags.rv = 1; break;
        case option_id::ru:
          flags.ru = 1;
          params.atomradius = real_value();
          break;
        case option_id::cd: params.channel_cutoff = real_value(); break;
        case option_id::st: params.stepsize = real_value(); break;
        case option_id::pc: params.pocketcountcut = real_value(); break;
        case option_id::mf: params.clustcountcut = real_value(); break;
        case option_id::s: flags.multiscale = 0; break;
        case option_id::nm: flags.writemap = 0; break;
        case option_id::cl: flags.cl = 1; break;
        case option_id::cm: flags.cm = 1; break;
        case option_id::vb: flags.vb = int_value(); break;
        case option_id::nc: flags.nc = 1; break;
        case option_id::ex: flags.ex = 1; break;
        case option_id::ho: flags.ho = 1; break;
        case option_id::p1: flags.p1 = 1; break;
        case option_id::ar: flags.ar = 1; break;
        case option_id::ra: params.clusternum = int_value(); break;
        case option_id::rt: params.trimlevel = int_value(); break;
        case option_id::zm: flags.zm = 1; break;
        case option_id::ns: flags.ns = 1; break;
        case option_id::h: flags.h = 1; break;
        case option_id::bs: params.deepcut = real_value(); break;
        case option_id::nn: flags.nn = 1; break;
        case option_id::rb:
          // -rb [direction cutoff]: an option right after it leaves the
          // defaults of all directions and the 3D radius, and is acted on.
          flags.rb = 1;
          ++i;
          if (i > n) return;
          token = fetch(args, i, token_width);
          if (token[0] == '-') {
            params.reebdir = 4;
            params.reebcutoff = 0.0f;
            looked_up_again = true;
          } else {
            params.reebdir = chartoint(token);
            params.reebcutoff = real_value();
          }
          break;
      }
    }
    ++i;
  }
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
