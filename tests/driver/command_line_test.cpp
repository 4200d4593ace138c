#include "driver/command_line.hpp"

#include <gtest/gtest.h>

#include <sstream>

#include "driver/output_names.hpp"
#include "support/table_file.hpp"

namespace porvane {
namespace {

struct parsed {
  run_flags flags;
  run_params params;
  run_state state;
  command_line_notes notes;
};

parsed parse(const std::vector<std::string>& args) {
  parsed p;
  p.notes = read_command_line(args, p.flags, p.params, p.state);
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
    << " pdb=" << p.state.pdbname << " map=" << p.state.mapfile << " ra=" << p.params.clusternum
    << " mt=" << p.params.maxtime << " fault=" << p.notes.fault.substr(0, p.notes.fault.find(' ')) << " unknown=";
  for (const std::string& name : p.notes.unknown_options) s << name << ",";
  s << " earlier=";
  for (const std::string& name : p.notes.earlier_names) s << name << ",";
  s << " earliermaps=";
  for (const std::string& name : p.notes.earlier_maps) s << name << ",";
  s << " ";
  return s.str();
}

TEST(CommandLine, OptionsValuesAndNames) {
  const std::string long_name(150, 'n');  // file names whole
  auto rows = testing::read_table("tables/command_line.txt");
  rows.push_back({long_name, "pdb=" + long_name});
  for (const auto& row : rows) {
    const std::string got = std::string(" ").append(settings(parse(testing::words(row[0]))));
    for (const std::string& word : testing::words(row[1]))
      EXPECT_NE(got.find(" " + word + " "), std::string::npos) << row[0] << ":" << got;
  }
  for (const auto& [args, help] : std::vector<std::pair<std::vector<std::string>, bool>>{
           {{}, true}, {{"-s", "-nm"}, true}, {{"-s", "a.pdb"}, false}, {{"a.pdb", "-h"}, true}}) {
    const parsed p = parse(args);
    EXPECT_EQ(help_requested(args, p.flags, p.state), help) << args.size();
  }
}

TEST(OutputNames, DirectoryBaseAndGridSize) {
  const std::string deep(140, 'd');  // whole, whatever the length
  auto rows = testing::read_table("tables/output_names.txt");
  rows.push_back({deep + "/x.pdb", "2.0", "0", deep + "/ x " + deep + "/x_channel_2.0.map x_expanded.pdb"});
  for (const auto& row : rows) {
    parsed p = parse({row[0]});
    p.params.gridsize = std::stof(row[1]);
    p.flags.ns = std::stoi(row[2]);
    make_output_names(p.params, p.flags, p.state);
    EXPECT_EQ(p.params.dirname + " " + p.params.basename + " " + p.state.mapname + " " + p.state.expandedname,
              row[3]);
    EXPECT_EQ(p.params.ldir, static_cast<int32_t>(p.params.dirname.size()));
    EXPECT_EQ(p.params.lbase, static_cast<int32_t>(p.params.basename.size()));
    EXPECT_EQ(p.state.gridname, p.params.basename + "_grid.pdb");
    EXPECT_EQ(p.state.ncname, p.params.basename + "_nc.pdb");
  }
}

}  // namespace
}  // namespace porvane
