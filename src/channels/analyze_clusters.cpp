// One cutoff's analysis and its rows of the Pipe/Pocket table.
#include "channels/analyze_clusters.hpp"

#include <cmath>
#include <string>

#include "channels/classify_clusters.hpp"
#include "channels/pipe_center.hpp"
#include "common/report_writer.hpp"

namespace porvane {
namespace {

constexpr float circle_pi = 3.1415925f;  // the constant of the effective radius

// Axes (0-based) on which a type is measured, by exact match of the type.
struct measured_type {
  const char* clustype;
  int first_axis;
  int naxes;
};
constexpr measured_type measured_types[] = {
    {"1D ..C", 2, 1}, {"1D ..c", 2, 1}, {"1D .B.", 1, 1}, {"1D .b.", 1, 1}, {"1D .bc", 1, 1},
    {"1D A..", 0, 1}, {"1D a..", 0, 1}, {"1D a.c", 0, 1}, {"1D ab.", 0, 1}, {"3D ABC", 0, 3},
};

const measured_type* measured(const cluster_record& rec) {
  for (const measured_type& m : measured_types)
    if (rec.clustype.view() == m.clustype) return &m;
  return nullptr;
}

bool one_d(const cluster_record& rec) { return rec.clustype.view().substr(0, 3) == "1D "; }

// Tortuosity and width variation of a 1D cluster along its pipe axis, by the
// method of -ar.
void pipe_measures(const run_flags& flags, const cluster_record& rec, float& t, float& w) {
  const measured_type* m = measured(rec);
  const cluster_axis_block& b = rec.axis[m != nullptr ? m->first_axis : 0];
  t = flags.ar != 0 ? b.tortarea : b.tortdeep;
  w = flags.ar != 0 ? b.wvarea : b.wvdeep;
}

float share(int32_t part, int32_t whole) {
  return static_cast<float>(part) / static_cast<float>(whole);
}

// The rows of cluster j, continuing or ending the open line as the type asks.
// The "Clust:" lines belong to verbosity 1 and up, the table rows to
// verbosity 0 exactly; below 0 only the F0 line of a cluster 1 that is no
// 1D pipe is written.
void write_rows(const run_flags& flags, const run_params& params, float cutoff,
                const cluster_table& chinfo, int32_t j, const cluster_counts& counts,
                channel_results& results) {
  report_writer& out = report();
  const cluster_record& rec = chinfo[static_cast<std::size_t>(j)];
  const bool verbose = flags.vb >= 1, table = flags.vb == 0;
  const std::string_view dim = rec.clustype.view().substr(0, 3);
  const bool pocket = dim == "0D ";
  if (verbose) {
    out.open("('   Clust:',i5,':',i7,'  gdpts (',f6.2,' % of ch gdpts). Tp:',a6,' Max/av/sd: ',3(f6.2,x))",
             j, rec.npts, (100.0f * static_cast<float>(rec.npts)) / static_cast<float>(counts.ntotal),
             rec.clustype, rec.maxdist, rec.avgdist, rec.sddist);
  } else if (table && j == 1) {
    const float pct_pipe = (100.0f * static_cast<float>(counts.npipepts)) / static_cast<float>(counts.ntotal);
    const float pct_pocket = (100.0f * static_cast<float>(counts.npocketpts)) / static_cast<float>(counts.ntotal);
    out.open("(f7.1,x,i4,x,i4,x,i3,x,i3,x,1x,f4.2,1x,a6,3(f5.1,x))", cutoff, counts.npipes,
             counts.npockets, static_cast<int32_t>(std::lround(pct_pipe)),
             static_cast<int32_t>(std::lround(pct_pocket)),
             share(rec.npts, pocket ? counts.npocketpts : counts.npipepts), rec.clustype, rec.maxdist,
             rec.avgdist, rec.sddist);
  }
  if (dim == "1D ") {
    float t, w;
    pipe_measures(flags, rec, t, w);
    if (j == 1) {
      if (verbose) {
        out.open("(' Tort: ',f5.2,'  Widthvar: ',f6.2)", t, w);
        if (counts.avgtort != -1.0f) out.line("('    Avg tort/widthvar ',f4.1,'/',f4.1)", counts.avgtort, counts.avgwv);
      } else if (table) {
        out.open("(x,f4.1,x,f4.1)", t, w);
        if (counts.avgtort != -1.0f) out.line("(' (',f4.1,x,f4.1,' )')", counts.avgtort, counts.avgwv);
      }
      results.dir1d = rec.clustype.view().substr(3, 3);
    } else if (verbose) {
      out.line("(' Tort: ',f5.2,'  Widthvar: ',f6.2)", t, w);
    } else if (table) {
      out.line("(27x,f4.2,1x,a6,3(f5.1,x),x,f4.1,x,f4.1)", share(rec.npts, counts.npipepts), rec.clustype,
               rec.maxdist, rec.avgdist, rec.sddist, t, w);
    }
    return;
  }
  const float limit = pocket ? params.pocketcountcut / 100.0f : 0.01f;
  if (j == 1 || verbose) {
    out.line("('  ')");
  } else if (table && share(rec.npts, counts.ntotal) > limit) {
    out.line("(27x,f4.2,1x,a6,3(f5.1,x))", share(rec.npts, pocket ? counts.npocketpts : counts.npipepts),
             rec.clustype, rec.maxdist, rec.avgdist, rec.sddist);
  }
}

}  // namespace

void project_channel(const run_params& params, const run_flags& flags, float cutoff,
                     const analysis_setup& setup, cluster_geometry& geometry, int32_t k, int d,
                     channel_results& results) {
  if (flags.vb == 2) report().free("Running project_channel on channel: ", k, " along direction: ", d + 1);
  const int32_t open = geometry.open_lines(k, d);
  const int32_t lines = setup.grid.n[plane_p[d]] * setup.grid.n[plane_q[d]];
  // A face without lines (an in-plane count of 0) has no open area.
  const float fraction = lines > 0 ? static_cast<float>(open) / static_cast<float>(lines) : 0.0f;
  const float area = fraction * setup.facearea[d];
  const float radius = std::sqrt(area / circle_pi);
  if (flags.vb >= 2) {
    report().free("Projected area:", open, " gridpoints, fractional area of:", fraction, "total area of:", area,
                  " with effective radius of: ", radius);
  }
  if (cutoff == params.proberadius) {
    results.projarea[d] = area;
    results.projradius[d] = radius;
  }
}

void analyze_clusters(const run_flags& flags, const run_params& params, float cutoff,
                      const analysis_setup& setup, cluster_geometry& geometry,
                      cluster_table& chinfo, int32_t nclust, cluster_counts& counts,
                      channel_results& results, centre_line_files& files) {
  report_writer& out = report();
  for (int32_t k = 1; k <= nclust; ++k) {
    cluster_record& rec = chinfo[static_cast<std::size_t>(k)];
    for (int32_t& f : rec.facetouch) f = 0;
    for (int32_t& s : rec.spans) s = 0;
  }
  if (flags.vb == 3) out.free("Calling find_cluster_cellface_intersections with ", nclust, " as clusternum");
  find_clusters_intersecting_cellfaces(flags, geometry, nclust, chinfo);
  if (flags.vb == 3) out.free("Calling classify_clusters with", nclust, " as clusternum");
  classify_clusters(params, flags, cutoff, geometry, chinfo, nclust, results, counts);

  const bool at_probe = cutoff == params.proberadius;
  for (int32_t k = 1; k <= nclust; ++k) {
    cluster_record& rec = chinfo[static_cast<std::size_t>(k)];
    if (const measured_type* m = measured(rec); m != nullptr) {
      // The lengths of a "3D ABC" cluster appear only in the lines of
      // verbosity 2; below that nothing reads them and they are not measured.
      if (m->naxes == 1 || flags.vb >= 2) {
        for (int d = m->first_axis; d < m->first_axis + m->naxes; ++d)
          get_contour_length(flags, setup.grid, geometry, rec, k, d);
      }
      if (flags.vb >= 2) {
        const auto& c = rec.contour;
        if (m->naxes == 1) {
          const int d = m->first_axis;
          out.free(d == 1 ? "Contour length " : "Contour length", c[d][0], c[d][1], c[d][2], c[d][3]);
        } else {
          out.free("Contour length for ABC:", c[0][2], c[1][2], c[2][2], c[0][3], c[1][3], c[2][3]);
        }
      }
      if (at_probe) {
        for (int d = m->first_axis; d < m->first_axis + m->naxes; ++d)
          project_channel(params, flags, cutoff, setup, geometry, k, d, results);
      }
    }
    const std::string_view dim = rec.clustype.view().substr(0, 3);
    if (dim == "3D ") results.maxrad3d = results.maxrad2d = results.maxrad1d = cutoff;
    if (dim == "2D ") results.maxrad2d = results.maxrad1d = cutoff;
    if (dim == "1D ") {
      results.maxrad1d = cutoff;
      if (flags.cl != 0) {
        const int d = measured(rec)->first_axis;
        files.write(centre_line_name(setup.basename, k, d + 1, cutoff, flags.ar != 0), rec.axis[d],
                    setup.grid.n[d], flags.ar != 0);
      }
    }
  }

  bool first = true;
  for (int32_t j = 1; j <= counts.npipes && j <= nclust; ++j) {
    const cluster_record& rec = chinfo[static_cast<std::size_t>(j)];
    if (!one_d(rec)) continue;
    if (first) counts.avgtort = counts.avgwv = 0.0f;
    first = false;
    float t, w;
    pipe_measures(flags, rec, t, w);
    const float npts = static_cast<float>(rec.npts), npipepts = static_cast<float>(counts.npipepts);
    counts.avgtort = counts.avgtort + (t * npts) / npipepts;
    counts.avgwv = counts.avgwv + (w * npts) / npipepts;
  }

  for (int32_t j = 1; j <= nclust; ++j) write_rows(flags, params, cutoff, chinfo, j, counts, results);
}

}  // namespace porvane
