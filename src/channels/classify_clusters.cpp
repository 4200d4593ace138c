// Pipes and pockets: which cell axes a cluster crosses, from two slice
// sweeps per axis, and what that makes of it.
#include "channels/classify_clusters.hpp"

#include <string>

#include "channels/pipe_type_table.hpp"
#include "common/report_writer.hpp"

namespace porvane {
namespace {

constexpr char axis_letter[3] = {'a', 'b', 'c'};

bool is_pocket(const cluster_record& rec) { return rec.facepattern.view().substr(0, 4) != "none"; }
bool is_pipe(const cluster_record& rec) { return rec.spanpattern.view() != "none"; }

// The letter of axis d: capital when the sweep without in-plane wrap crosses
// the cell, small when only the sweep with wrap does, "." otherwise. The
// sweep with wrap reaches at least what the one without reaches, so it is
// needed only when the first does not cross.
char direction_letter(cluster_geometry& geometry, int32_t k, int d) {
  for (bool wrap : {false, true}) {
    int32_t crossed = 0;
    check_cell_crossing(geometry, k, d, wrap, crossed);
    if (crossed == 1) return static_cast<char>(wrap ? 'a' + d : 'A' + d);
  }
  return '.';
}

// Adds an axis letter to the span pattern: the crossed axes in the order a,
// b, c, blank-padded to four characters.
void add_span(cluster_record& rec, char letter) {
  std::string axes = is_pipe(rec) ? std::string(rec.spanpattern.trimmed()) : std::string();
  axes += letter;
  rec.spanpattern = axes;
}

}  // namespace

void check_cell_crossing(cluster_geometry& geometry, int32_t k, int d, bool wrap, int32_t& crossed) {
  const sweep_outcome o = geometry.sweep(k, d, wrap);
  if (o == sweep_outcome::no_exit)
    report().free(" Cluster ", k, " is a pipe but appears to not exit where it entered...");
  crossed = o == sweep_outcome::crossed ? 1 : 0;
}

void find_clusters_intersecting_cellfaces(const run_flags& flags, cluster_geometry& geometry,
                                          int32_t nclust, cluster_table& chinfo) {
  geometry.mark_faces(chinfo, nclust);
  if (flags.vb > 1) {
    report().free("Cell spanning characteristics of clusters.");
    for (int32_t k = 1; k <= nclust; ++k) {
      const int32_t* sp = chinfo[static_cast<std::size_t>(k)].spans;
      report().free("  Cluster ", k, " spans the cell in the following directions: ", sp[0], sp[1], sp[2]);
    }
  }
}

void classify_clusters(const run_params& params, const run_flags& flags, float cutoff,
                       cluster_geometry& geometry, cluster_table& chinfo, int32_t nclust,
                       channel_results& results, cluster_counts& counts) {
  counts.ntotal = counts.npocketpts = counts.npipepts = counts.npipes = counts.npockets = 0;
  if (nclust < 1) return;
  for (int32_t k = 1; k <= nclust; ++k) {
    cluster_record& rec = chinfo[static_cast<std::size_t>(k)];
    int32_t faces = 0;
    for (int32_t f : rec.facetouch) faces += f;
    if (faces < 2 || rec.npts == 1) rec.facepattern = "......";
  }

  for (int32_t k = 1; k <= nclust; ++k) {
    cluster_record& rec = chinfo[static_cast<std::size_t>(k)];
    std::string letters = "...";
    for (int d = 0; d < 3; ++d) letters[static_cast<std::size_t>(d)] = direction_letter(geometry, k, d);
    const pipe_type& type = look_up_pipe_type(letters);
    rec.clustype = std::string(type.type) + letters;
    for (int cell = 0; cell < 9; ++cell)
      if (type.cells & (1u << cell)) results.btensor[cell / 3][cell % 3] = cutoff;
    if (flags.vb > 1) report().free("  Cluster ", k, ": ", rec.clustype);

    for (int d = 0; d < 3; ++d) {
      if (rec.spans[d] != 1) continue;
      if (letters[static_cast<std::size_t>(d)] != '.') {
        add_span(rec, axis_letter[d]);
        continue;
      }
      bool other_faces = false;
      for (int e = 0; e < 3; ++e)
        if (e != d) other_faces = other_faces || rec.facetouch[2 * e] == 1 || rec.facetouch[2 * e + 1] == 1;
      if (!other_faces) rec.facepattern = d == 0 ? "aa...." : d == 1 ? "..bb.." : "....cc";
    }
  }

  for (int32_t k = 1; k <= nclust; ++k) {
    cluster_record& rec = chinfo[static_cast<std::size_t>(k)];
    if (is_pocket(rec) || is_pipe(rec)) continue;
    std::string faces = "......";
    for (int f = 0; f < 6; ++f)
      if (rec.facetouch[f] == 1) faces[static_cast<std::size_t>(f)] = axis_letter[f / 2];
    rec.facepattern = faces;
  }

  for (int32_t k = 1; k <= nclust; ++k) {
    const cluster_record& rec = chinfo[static_cast<std::size_t>(k)];
    counts.ntotal += rec.npts;
    if (is_pocket(rec)) counts.npocketpts += rec.npts;
    if (is_pipe(rec)) counts.npipepts += rec.npts;
  }
  const float pocket_share = params.pocketcountcut / 100.0f;
  for (int32_t k = 1; k <= nclust; ++k) {
    const cluster_record& rec = chinfo[static_cast<std::size_t>(k)];
    if (is_pipe(rec)) ++counts.npipes;
    if (is_pocket(rec) &&
        static_cast<float>(rec.npts) / static_cast<float>(counts.ntotal) > pocket_share)
      ++counts.npockets;
  }
}

}  // namespace porvane
