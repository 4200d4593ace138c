#include "driver/output_names.hpp"

#include <string>
#include <string_view>

#include "common/name_field.hpp"
#include "common/report_writer.hpp"

namespace porvane {

void make_output_names(run_params& params, const run_flags& flags, run_state& state) {
  const std::string_view name = state.pdbname;
  const std::size_t slash = name.rfind('/');
  const std::size_t p = slash == std::string_view::npos ? 0 : slash + 1;  // where the file name starts
  const std::string_view file = name.substr(p);
  const std::size_t dot = file.rfind('.');

  params.dirname = name.substr(0, p);
  // Only the last extension goes (a.b.pdb gives a.b). A file name without
  // one, whose only "." is a leading one or none, is its own base name, so
  // that inputs without an extension keep maps of their own.
  params.basename = (dot != std::string_view::npos && dot > 0) ? file.substr(0, dot) : file;
  const std::string dir(trim_blanks(params.dirname));
  const std::string base(trim_blanks(params.basename));
  params.ldir = static_cast<int32_t>(dir.size());
  params.lbase = static_cast<int32_t>(base.size());

  state.expandedname = base + "_expanded.pdb";
  state.gridname = base + "_grid.pdb";
  state.ncname = base + "_nc.pdb";
  if (flags.ns == 1) {
    state.mapname = dir + base + "_chan.map";
  } else {
    // The grid size in three characters below 10.0, four from 10.0 up, or
    // whole where it does not fit (9.96 gives 10.0, 250 gives 250.0), so
    // that maps of different grid sizes keep names of their own.
    const char* size_format = params.gridsize < 10.0f ? "(F3.1)" : "(F4.1)";
    state.mapname = dir + base + "_channel_" +
                    field_or_whole(size_format, "(F48.1)", params.gridsize) + ".map";
  }
}

}  // namespace porvane
