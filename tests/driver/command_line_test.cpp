#include "driver/command_line.hpp"

#include <gtest/gtest.h>

#include <sstream>

#include "driver/output_names.hpp"

namespace porvane {
namespace {

struct parsed {
  run_flags flags;
  run_params params;
  run_state state;
};

parsed parse(const std::vector<std::string>& args) {
  parsed p;
  read_command_line(args, p.flags, p.params, p.state);
  return p;
}

// The settings the options touch, as "name=value" words.
std::string settings(const parsed& p) {
  std::ostringstream s;
  s << "re=" << p.params.gridsize << " vb=" << p.flags.vb << " writemap=" << p.flags.writemap
    << " rm=" << p.flags.rm << " ms=" << p.flags.multiscale << " cd=" << p.params.channel_cutoff
    << " mb=" << p.flags.mb << "/" << p.params.maxbfactor << " ru=" << p.flags.ru << "/"
    << p.params.atomradius << " bs=" << p.params.deepcut << " nn=" << p.flags.nn
    << " rc=" << p.flags.rc << " rv=" << p.flags.rv << " rb=" << p.flags.rb << "/"
    << p.params.reebdir << "/" << p.params.reebcutoff << " cm=" << p.flags.cm << " h=" << p.flags.h
    << " pdb=" << p.state.pdbname << " map=" << p.state.mapfile << " ";
  return s.str();
}

TEST(CommandLine, OptionsValuesAndNames) {
  const std::string long_name(150, 'n');
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"-cg", "-re", "1.0", "x.pdb"}, "re=1"},  // a later option overrides an earlier one
      {{"-re", "1.0", "-cg", "x.pdb"}, "re=3 "},
      {{"-nm", "-rm", "a.map"}, "writemap=0 rm=1 "},
      {{"-rm", "a.map", "-nm"}, "writemap=0 rm=1 map=a.map "},
      {{"x.pdb", "-vb"}, "vb=-16 "},  // a missing value converts a blank token
      {{"x.pdb", "-re"}, "re=0 "},
      {{"-re", "2", "x.pdb"}, "re=0 "},  // no decimal point
      {{"-cd", "-1.0", "x.pdb"}, "cd=-1 "},
      {{"-re", "-s", "x.pdb"}, "ms=1 "},  // "-s" is the value, not an option
      {{"-vb", "2", "-mb", "30.0", "-ru", "2.0", "-bs", "5.0", "-nn", "-rc", "-rv", "x.pdb"},
       "vb=2 writemap=1 rm=0 ms=1 cd=1.4 mb=1/30 ru=1/2 bs=5 nn=1 rc=1 rv=1 "},
      {{"x.pdb", "-rb"}, "rb=1/4/0 "},
      {{"-rb", "-cm", "x.pdb"}, "rb=1/4/0 cm=1 h=0 pdb=x.pdb "},
      {{"-rb", "2", "1.5", "x.pdb"}, "rb=1/2/1.5 "},
      {{"x.pdb", "-rb", "2", "structure_b.pdb"}, "rb=1/2/0 cm=0 h=0 pdb=x.pdb "},
      {{"x.pdb", "-rb", "2", "y.pdb"}, "rb=1/2/79.97 "},  // a dot in the first nine characters
      {{"a.pdb", "b.pdb"}, "pdb=b.pdb "},
      {{"-xyz", "-", "-help", "-vbx", "3", "a.pdb"}, "vb=3 "},  // two characters after the dash
      {{"-xyz", "-help", "a.pdb"}, "h=0 "},
      {{"-rm", "-weird.map", "a.pdb"}, "map=-weird.map "},
      {{long_name}, "pdb=" + long_name + " "},  // file names whole
  };
  for (const auto& [args, expected] : cases) {
    const std::string got = std::string(" ").append(settings(parse(args)));
    std::istringstream words(expected);
    for (std::string word; words >> word;)
      EXPECT_NE(got.find(" " + word + " "), std::string::npos) << args[0] << ":" << got;
  }

  for (const auto& [args, help] : std::vector<std::pair<std::vector<std::string>, bool>>{
           {{}, true}, {{"-s", "-nm"}, true}, {{"-s", "a.pdb"}, false}, {{"a.pdb", "-h"}, true}}) {
    const parsed p = parse(args);
    EXPECT_EQ(help_requested(args, p.flags, p.state), help) << args.size();
  }
}

TEST(OutputNames, DirectoryBaseAndGridSize) {
  const std::vector<std::tuple<std::string, float, int, std::string>> cases = {
      {"data/1abc.pdb", 2.0f, 0, "data/ 1abc data/1abc_channel_2.0.map 1abc_expanded.pdb"},
      {"data/1abc.pdb", 2.0f, 1, "data/ 1abc data/1abc_chan.map 1abc_expanded.pdb"},
      {"1abc.pdb", 2.0f, 0, " 1abc 1abc_channel_2.0.map 1abc_expanded.pdb"},
      {"a.b.pdb", 1.5f, 0, " a.b a.b_channel_1.5.map a.b_expanded.pdb"},
      {"x.pdb", 12.5f, 0, " x x_channel_12.5.map x_expanded.pdb"},
      {"x.pdb", 9.97f, 0, " x x_channel_***.map x_expanded.pdb"},
      {"data.old/model", 2.0f, 0, "data.old/  data.old/_channel_2.0.map _expanded.pdb"},
      {"/tmp/dir/1ubq.pdb", 2.0f, 0, "/tmp/dir/ 1ubq /tmp/dir/1ubq_channel_2.0.map 1ubq_expanded.pdb"},
      {std::string(140, 'd') + "/x.pdb", 2.0f, 0,  // whole, whatever the length
       std::string(140, 'd') + "/ x " + std::string(140, 'd') + "/x_channel_2.0.map x_expanded.pdb"},
  };
  for (const auto& [input, gridsize, ns, expected] : cases) {
    parsed p = parse({input});
    p.params.gridsize = gridsize;
    p.flags.ns = ns;
    make_output_names(p.params, p.flags, p.state);
    EXPECT_EQ(p.params.dirname + " " + p.params.basename + " " + p.state.mapname + " " +
                  p.state.expandedname,
              expected);
    EXPECT_EQ(p.params.ldir, static_cast<int32_t>(p.params.dirname.size()));
    EXPECT_EQ(p.params.lbase, static_cast<int32_t>(p.params.basename.size()));
    EXPECT_EQ(p.state.gridname, p.params.basename + "_grid.pdb");
    EXPECT_EQ(p.state.ncname, p.params.basename + "_nc.pdb");
  }
}

}  // namespace
}  // namespace porvane
