// Writing the centre lines of the 1D pipes.
#include "channels/centre_line_files.hpp"

#include "common/formatted_output.hpp"
#include "common/name_field.hpp"
#include "common/output_file.hpp"
#include "common/run_stop.hpp"

namespace porvane {

constexpr std::size_t name_part_width = 50;  // characters of each name part

std::string centre_line_name(std::string_view basename, int32_t k, int32_t d, float cutoff,
                             bool aver) {
  std::string part = "channel";
  part += field_or_whole(k <= 9 ? "(i1)" : "(i2)", "(i0)", k);
  part += '_';
  part += formatted_text("(i1)", {d});
  part += aver ? "_aver_" : "_deep_";
  part += field_or_whole(cutoff < 10.0f ? "(f3.1)" : "(f4.1)", "(f48.1)", cutoff);
  part += ".pdb";
  std::string name(basename.substr(0, std::min(basename.size(), name_part_width)));
  name += "_";
  name += part.substr(0, std::min(part.size(), name_part_width));
  while (!name.empty() && name.back() == ' ') name.pop_back();
  return name;
}

void centre_line_files::write(const std::string& name, const cluster_axis_block& block, int32_t nd,
                              bool aver) {
  if (written_.count(name) != 0) {
    diagnostic("warning: centre-line file " + name + " was already written in this run; kept, not written again");
    return;
  }
  output_file file(name);
  written_.insert(name);
  for (int32_t s = 0; s <= nd; ++s) {
    const std::size_t si = static_cast<std::size_t>(s);
    const auto& x = aver ? block.avercentre[si] : block.deeppoint[si];
    file.record({"ATOM  ", 5, " O  ", " ", "HOH", "Z", 1, {x[0], x[1], x[2]}, block.slicemax[si], block.sliceavg[si]});
  }
  file.close();
}

}  // namespace porvane
