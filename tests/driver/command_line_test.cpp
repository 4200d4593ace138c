#include "driver/command_line.hpp"

#include <gtest/gtest.h>

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

TEST(CommandLine, LaterOptionsOverrideEarlierOnes) {
  EXPECT_EQ(parse({"-cg", "-re", "1.0", "x.pdb"}).params.gridsize, 1.0f);
  EXPECT_EQ(parse({"-re", "1.0", "-cg", "x.pdb"}).params.gridsize, 3.0f);
  parsed nm_rm = parse({"-nm", "-rm", "a.map"});
  EXPECT_EQ(nm_rm.flags.writemap, 0);
  parsed rm_nm = parse({"-rm", "a.map", "-nm"});
  EXPECT_EQ(rm_nm.flags.writemap, 0);
  EXPECT_EQ(rm_nm.flags.rm, 1);
  EXPECT_EQ(rm_nm.state.mapfile.trimmed(), "a.map");
}

TEST(CommandLine, ValuesConvertWithoutValidation) {
  EXPECT_EQ(parse({"x.pdb", "-vb"}).flags.vb, -16);       // missing value: blank token
  EXPECT_EQ(parse({"x.pdb", "-re"}).params.gridsize, 0.0f);
  EXPECT_EQ(parse({"-re", "2", "x.pdb"}).params.gridsize, 0.0f);  // no decimal point
  EXPECT_EQ(parse({"-cd", "-1.0", "x.pdb"}).params.channel_cutoff, -1.0f);
  parsed consumed = parse({"-re", "-s", "x.pdb"});  // "-s" is the value, not an option
  EXPECT_EQ(consumed.flags.multiscale, 1);
  EXPECT_EQ(parse({"-vb", "2", "x.pdb"}).flags.vb, 2);
  EXPECT_EQ(parse({"-mb", "30.0", "x.pdb"}).params.maxbfactor, 30.0f);
  EXPECT_EQ(parse({"-mb", "30.0", "x.pdb"}).flags.mb, 1);
  EXPECT_EQ(parse({"-ru", "2.0", "x.pdb"}).params.atomradius, 2.0f);
  EXPECT_EQ(parse({"-bs", "5.0", "x.pdb"}).params.deepcut, 5.0f);
  EXPECT_EQ(parse({"-nn", "x.pdb"}).flags.nn, 1);
  EXPECT_EQ(parse({"-rc", "x.pdb"}).flags.rc, 1);
  EXPECT_EQ(parse({"-rv", "x.pdb"}).flags.rv, 1);
}

TEST(CommandLine, ReebOptionTakesOptionalDirectionAndCutoff) {
  parsed bare = parse({"x.pdb", "-rb"});
  EXPECT_EQ(bare.flags.rb, 1);
  EXPECT_EQ(bare.params.reebdir, 4);
  EXPECT_EQ(bare.params.reebcutoff, 0.0f);

  parsed then_option = parse({"-rb", "-cm", "x.pdb"});
  EXPECT_EQ(then_option.params.reebdir, 4);
  EXPECT_EQ(then_option.params.reebcutoff, 0.0f);
  EXPECT_EQ(then_option.flags.cm, 1);
  EXPECT_EQ(then_option.state.pdbname.trimmed(), "x.pdb");

  parsed both = parse({"-rb", "2", "1.5", "x.pdb"});
  EXPECT_EQ(both.params.reebdir, 2);
  EXPECT_EQ(both.params.reebcutoff, 1.5f);

  parsed eats_file = parse({"x.pdb", "-rb", "2", "structure_b.pdb"});
  EXPECT_EQ(eats_file.params.reebdir, 2);
  EXPECT_EQ(eats_file.params.reebcutoff, 0.0f);
  EXPECT_EQ(eats_file.state.pdbname.trimmed(), "x.pdb");
  // A dot within the first nine characters makes the name a number.
  EXPECT_FLOAT_EQ(parse({"x.pdb", "-rb", "2", "y.pdb"}).params.reebcutoff, 79.97f);
}

TEST(CommandLine, FileNamesAndUnknownOptions) {
  parsed two = parse({"a.pdb", "b.pdb"});
  EXPECT_EQ(two.state.pdbname.trimmed(), "b.pdb");
  parsed unknown = parse({"-xyz", "-", "-help", "-vbx", "3", "a.pdb"});
  EXPECT_EQ(unknown.flags.h, 0);
  EXPECT_EQ(unknown.flags.vb, 3);  // only the two characters after the dash count
  EXPECT_EQ(parse({"-rm", "-weird.map", "a.pdb"}).state.mapfile.trimmed(), "-weird.map");
  // Long arguments: 20 characters for options, 132 for file names.
  std::string long_name(150, 'n');
  EXPECT_EQ(parse({long_name}).state.pdbname.trimmed(), long_name.substr(0, 132));
}

TEST(CommandLine, HelpDecision) {
  run_flags flags;
  run_state state;
  EXPECT_TRUE(help_requested({}, flags, state));
  parsed only_options = parse({"-s", "-nm"});
  EXPECT_TRUE(help_requested({"-s", "-nm"}, only_options.flags, only_options.state));
  parsed with_file = parse({"-s", "a.pdb"});
  EXPECT_FALSE(help_requested({"-s", "a.pdb"}, with_file.flags, with_file.state));
  parsed with_h = parse({"a.pdb", "-h"});
  EXPECT_TRUE(help_requested({"a.pdb", "-h"}, with_h.flags, with_h.state));
}

std::string map_name_for(const std::string& input, float gridsize, bool ns = false) {
  parsed p = parse({input});
  p.params.gridsize = gridsize;
  p.flags.ns = ns ? 1 : 0;
  make_output_names(p.params, p.flags, p.state);
  return std::string(p.state.mapname.trimmed());
}

TEST(OutputNames, DirectoryBaseAndGridSize) {
  EXPECT_EQ(map_name_for("data/1abc.pdb", 2.0f), "data/1abc_channel_2.0.map");
  EXPECT_EQ(map_name_for("data/1abc.pdb", 2.0f, true), "data/1abc_chan.map");
  EXPECT_EQ(map_name_for("1abc.pdb", 2.0f), "1abc_channel_2.0.map");
  EXPECT_EQ(map_name_for("a.b.pdb", 1.5f), "a.b_channel_1.5.map");
  EXPECT_EQ(map_name_for("x.pdb", 12.5f), "x_channel_12.5.map");
  EXPECT_EQ(map_name_for("x.pdb", 9.97f), "x_channel_***.map");

  parsed p = parse({"data.old/model"});
  make_output_names(p.params, p.flags, p.state);
  EXPECT_EQ(p.params.dirname.trimmed(), "data.old/");
  EXPECT_EQ(p.params.ldir, 9);
  EXPECT_EQ(p.params.lbase, 0);
  EXPECT_EQ(p.state.mapname.trimmed(), "data.old/_channel_2.0.map");
  EXPECT_EQ(p.state.expandedname.trimmed(), "_expanded.pdb");
  EXPECT_EQ(p.state.gridname.trimmed(), "_grid.pdb");
  EXPECT_EQ(p.state.ncname.trimmed(), "_nc.pdb");

  parsed q = parse({"/tmp/dir/1ubq.pdb"});
  make_output_names(q.params, q.flags, q.state);
  EXPECT_EQ(q.params.basename.trimmed(), "1ubq");
  EXPECT_EQ(q.state.expandedname.trimmed(), "1ubq_expanded.pdb");  // no directory part
}

}  // namespace
}  // namespace porvane
