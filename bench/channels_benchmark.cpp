// Benchmark of the channel stages on a real structure: the distance map, the
// porosity scan, the multiscale loop and the summary, each timed on its own;
// with --literal also the loop by the literal procedures of bench/reference (full
// grid rescans), for the speed-up, and a check that both print the same.
//
//   porvane_channels_benchmark file.pdb gridsize [--literal] [--yardstick]
//
// A grid size too fine for 250 intervals is raised as the program raises it.
// --yardstick also times a lean union-find labelling of the same cutoffs.
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "channels/analyze_clusters.hpp"
#include "channels/channel_stages.hpp"
#include "reference/literal_clusters.hpp"
#include "distmap/distance_map.hpp"
#include "distmap/unit_cell_grid.hpp"
#include "reference/loaded_structure.hpp"

using namespace porvane;

namespace {

// Runs f with standard output sent to a file (the report is not timed on a
// terminal); returns the processor seconds f took.
template <class F>
float timed(const char* out, F&& f) {
  report().flush();
  std::fflush(stdout);
  const int saved = dup(1);
  const int sink = open(out, O_WRONLY | O_CREAT | O_TRUNC, 0644);
  dup2(sink, 1);
  const float t0 = processor_seconds();
  f();
  const float t1 = processor_seconds();
  report().flush();
  std::fflush(stdout);
  dup2(saved, 1);
  close(sink);
  close(saved);
  return t1 - t0;
}

std::string read_text(const char* name) {
  std::string text;
  if (std::FILE* f = std::fopen(name, "rb")) {
    char buf[65536];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) text.append(buf, n);
    std::fclose(f);
  }
  return text;
}

// The yardstick: a lean union-find that labels the channel points of each
// cutoff, every point joined with all 26 wrapped neighbours in one pass over
// the grid, and counts the cluster sizes. Returns processor seconds.
float yardstick(const channel_points& pts, const std::vector<radius_row>& rows, std::size_t& clusters) {
  const int32_t* n = pts.n;
  const std::size_t total = pts.dist.size();
  std::vector<int32_t> parent(total), size(total);
  std::vector<int32_t> around[3];
  for (int c = 0; c < 3; ++c) {
    for (int32_t t = 0; t <= n[c]; ++t) {
      for (int32_t u = t - 1; u <= t + 1; ++u) {
        const int32_t w = wrap_index(u, n[c]);
        around[c].push_back(w >= 0 && w <= n[c] ? w : t);
      }
    }
  }
  auto find = [&](int32_t x) {
    while (parent[static_cast<std::size_t>(x)] != x) x = parent[static_cast<std::size_t>(x)] = parent[static_cast<std::size_t>(parent[static_cast<std::size_t>(x)])];
    return x;
  };
  const float t0 = processor_seconds();
  clusters = 0;
  for (const radius_row& row : rows) {
    const float r = row.cutoff;
    for (std::size_t p = 0; p < total; ++p) parent[p] = static_cast<int32_t>(p);
    std::size_t p = 0;
    for (int32_t i = 0; i <= n[0]; ++i) {
      for (int32_t j = 0; j <= n[1]; ++j) {
        for (int32_t k = 0; k <= n[2]; ++k, ++p) {
          if (!(pts.dist[p] > r)) continue;
          int32_t root = find(static_cast<int32_t>(p));
          for (int a = 0; a < 3; ++a) {
            for (int b = 0; b < 3; ++b) {
              for (int c = 0; c < 3; ++c) {
                const std::size_t q = pts.scan_index(around[0][static_cast<std::size_t>(3 * i + a)],
                                                     around[1][static_cast<std::size_t>(3 * j + b)],
                                                     around[2][static_cast<std::size_t>(3 * k + c)]);
                if (q == p || !(pts.dist[q] > r)) continue;
                const int32_t rq = find(static_cast<int32_t>(q));
                if (rq != root) parent[static_cast<std::size_t>(rq)] = root;
              }
            }
          }
        }
      }
    }
    std::fill(size.begin(), size.end(), 0);
    for (std::size_t q = 0; q < total; ++q)
      if (pts.dist[q] > r && size[static_cast<std::size_t>(find(static_cast<int32_t>(q)))]++ == 0) ++clusters;
  }
  return processor_seconds() - t0;
}

long peak_mib() {
  rusage ru{};
  getrusage(RUSAGE_SELF, &ru);
  return ru.ru_maxrss / 1024;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s file.pdb gridsize [--literal]\n", argv[0]);
    return 2;
  }
  bool literal_too = false, yardstick_too = false;
  for (int a = 3; a < argc; ++a) {
    literal_too = literal_too || std::string(argv[a]) == "--literal";
    yardstick_too = yardstick_too || std::string(argv[a]) == "--yardstick";
  }
  const auto run = porvane::bench::load_structure(argv[1], run_flags{}, run_params{});
  if (!run) return 2;
  const run_flags& flags = run->flags;
  run_params& params = run->params;
  const crystal_record& celli = *run->celli;
  const atom_store& atoms = run->atoms;
  params.gridsize = std::strtof(argv[2], nullptr);
  int32_t gridmax[3];
  set_gridmax(params, celli, gridmax);
  for (int32_t m = std::max({gridmax[0], gridmax[1], gridmax[2]}); m > maxgrid;
       m = std::max({gridmax[0], gridmax[1], gridmax[2]})) {
    params.gridsize = (static_cast<float>(m) * params.gridsize) / static_cast<float>(maxgrid);
    set_gridmax(params, celli, gridmax);
  }
  grid_store gridi;
  coord_range range;
  fill_grid_positions(params, celli, gridmax, gridi, range);
  const float map_s = timed("/dev/null", [&] {
    int32_t moved = 0;
    distance_map_fast(celli, collect_atom_copies(flags, celli, atoms, false, moved), gridi);
  });

  channel_context chan;
  const run_params start = params;
  const float scan_s = timed("/dev/null", [&] { porosity_scan(flags, celli.solvent, gridi, chan); });
  const float loop_s = timed("bench_fast.txt", [&] { multiscale_loop(flags, params, celli, figures_of(celli), "bench", chan); });
  const std::size_t cutoffs = chan.radius_table.size();
  const float summary_s = timed("/dev/null", [&] {
    const int32_t* d = chan.results.deepgrid;
    summary_report(flags, params, celli, figures_of(celli), atoms.pdbdata, atoms.count.natoms, gridi.iatom[gridi.index(d[0], d[1], d[2])], chan);
  });
  std::printf("%s grid %.3f A: %d x %d x %d intervals, %zu points\n", argv[1], params.gridsize, gridmax[0], gridmax[1],
              gridmax[2], gridi.points());
  std::printf("  map %.2f s, porosity scan %.3f s, multiscale loop %.2f s (%zu cutoffs, %.1f ms each), summary %.3f s\n",
              map_s, scan_s, loop_s, cutoffs, 1000.0 * loop_s / static_cast<double>(cutoffs ? cutoffs : 1), summary_s);
  std::printf("  peak memory %ld MiB\n", peak_mib());
  std::size_t clusters = 0;
  const float lean_s = yardstick_too ? yardstick(chan.points, chan.radius_table, clusters) : 0.0f;
  if (yardstick_too) std::printf("  yardstick (lean union-find labelling of the same cutoffs): %.2f s, %.1f ms a cutoff; "
              "loop / yardstick %.2f\n",
              lean_s, 1000.0 * lean_s / static_cast<double>(cutoffs ? cutoffs : 1),
              static_cast<double>(loop_s / lean_s));

  if (literal_too) {
    channel_context lit;
    run_params lparams = start;
    timed("/dev/null", [&] { porosity_scan(flags, celli.solvent, gridi, lit); });
    grid_store g = gridi;
    const float lit_s = timed("bench_literal.txt", [&] {
      multiscale_loop(flags, lparams, lit, [&](float cutoff, bool) {
        literal::find_clusters(flags, lparams, cutoff, g, lit.chinfo, lit.nclust);
        analysis_setup s;
        for (int c = 0; c < 3; ++c) s.grid.n[c] = g.n[c];
        s.grid.frame = &celli;
        s.grid.gridsize = lparams.gridsize;
        s.facearea = celli.facearea;
        s.basename = "bench";
        literal::geometry shapes(g, s.grid);
        analyze_clusters(flags, lparams, cutoff, s, shapes, lit.chinfo, lit.nclust, lit.counts, lit.results, lit.files);
      });
    });
    const bool same = read_text("bench_fast.txt") == read_text("bench_literal.txt");
    std::printf("  literal loop %.2f s: %.0f times the fast loop; the rows are %s\n", lit_s,
                static_cast<double>(lit_s / loop_s), same ? "the same" : "DIFFERENT");
    std::remove("bench_literal.txt");
    if (!same) return 1;
  }
  std::remove("bench_fast.txt");
  return 0;
}
