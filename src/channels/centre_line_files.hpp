// Channel centre-line files: one PDB-format file per 1D pipe and cutoff with
// one ATOM record per slice along the pipe axis.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <string_view>

#include "channels/cluster_record.hpp"

namespace porvane {

// File name for cluster k, axis d (1-based), cutoff: the first 50 characters
// of the base name, "_" and "channel<k>_<d>_deep_<cutoff>.pdb" ("_aver_"
// with `aver`). A number too wide for its field (cluster 100 and up; a
// cutoff that rounds to 10.0 below 10, to 100.0 and up, or to -1.0 and
// below) is written whole instead, the cutoff with one decimal.
std::string centre_line_name(std::string_view basename, int32_t k, int32_t d, float cutoff,
                             bool aver);

// The files one run has written. A name this run has already written is
// not written again: a warning goes to standard error and the run goes on.
// A file that existed before the run ends it with an input/output error.
class centre_line_files {
 public:
  // Writes slices 0..n_d of `block`: deeppoint, or avercentre with `aver`,
  // with slicemax and sliceavg.
  void write(const std::string& name, const cluster_axis_block& block, int32_t nd, bool aver);
  const std::set<std::string>& written() const { return written_; }

 private:
  std::set<std::string> written_;
};

}  // namespace porvane
