// Benchmark of the Reeb-graph stage on a synthetic channel network: a cubic
// cell of n Å at grid 1 Å (n + 1 points per edge), channels where a
// periodic "plumber's nightmare" field with noise exceeds a threshold (about
// half the cell, one connected 3D cluster plus loose pockets), all three
// directions, trim level 1. With --literal it also times the step-by-step
// patch and edge finders of the tests on the middle slice of each direction
// and scales them to the whole grid.
//
//   porvane_reeb_benchmark [n] [--literal]
#include <sys/resource.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "common/grid_store.hpp"
#include "common/run_params.hpp"
#include "reeb/find_edges.hpp"
#include "reeb/find_patches.hpp"
#include "reeb/reeb_stage.hpp"
#include "reference/reeb_literal.hpp"

using namespace porvane;

namespace {

double cpu_seconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

void channel_network(grid_store& g, int32_t n) {
  // Smooth irregularity: a few periodic waves of random direction and phase.
  std::mt19937 rng(11);
  std::uniform_int_distribution<int> freq(-7, 7);
  std::uniform_real_distribution<float> phase(0.0f, 6.2831853f);
  struct wave { float k[3], phase; };
  std::vector<wave> waves(8);
  for (wave& v : waves) {
    for (float& k : v.k) k = 6.2831853f * static_cast<float>(freq(rng)) / static_cast<float>(n);
    v.phase = phase(rng);
  }
  const float w = 6.2831853f * 4.0f / static_cast<float>(n);  // four cells of the network per edge
  std::size_t channel = 0;
  for (int32_t k = 0; k <= n; ++k)
    for (int32_t j = 0; j <= n; ++j)
      for (int32_t i = 0; i <= n; ++i) {
        float f = std::cos(w * i) + std::cos(w * j) + std::cos(w * k);
        for (const wave& v : waves) f += 0.3f * std::cos(v.k[0] * i + v.k[1] * j + v.k[2] * k + v.phase);
        const bool open = f > 0.0f;
        g.clust[g.index(i, j, k)] = open ? 1 : -1;
        channel += open;
      }
  std::printf("grid %d^3 points, %zu channel points (%.1f %%)\n", n + 1, channel,
              100.0 * static_cast<double>(channel) / static_cast<double>(g.points()));
}

}  // namespace

int main(int argc, char** argv) {
  int32_t n = 250;
  bool literal = false;
  for (int a = 1; a < argc; ++a) {
    if (std::strcmp(argv[a], "--literal") == 0) literal = true;
    else n = std::atoi(argv[a]);
  }
  const float edge = static_cast<float>(n);
  cell_frame frame;
  for (int c = 0; c < 3; ++c) {
    frame.cell[c] = edge, frame.cell[c + 3] = 90.0f;
    frame.orthmat[c][c] = edge, frame.fracmat[c][c] = 1.0f / edge;
  }
  grid_store g;
  g.resize(n, n, n);
  channel_network(g, n);
  const std::vector<int32_t> labels = g.clust;

  run_params params;
  params.gridsize = 1.0f;
  run_flags flags;
  reeb_graph graph;
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / ("porvane_reeb_bench_" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  std::filesystem::current_path(dir);
  const double t0 = cpu_seconds();
  reeb_graph_stage(params, flags, frame, g, 1.4f, graph, [&](float) { g.clust = labels; });
  const double stage = cpu_seconds() - t0;
  std::fflush(stdout);
  for (int32_t d = 1; d <= 3; ++d)
    std::printf("direction %d: %d nodes, %d edges\n", d, graph.along(d).nnodes(), graph.along(d).nedges());
  std::printf("stage: %.2f s processor time, script %.1f MB\n", stage,
              static_cast<double>(std::filesystem::file_size(dir / "reeb_graph.py")) / 1e6);

  bool differ = false;
  if (literal) {
    // One slice and one slice pair per direction, step by step, against the
    // fast finders on the same slice.
    double fast = 0, slow = 0;
    for (int32_t d = 1; d <= 3; ++d) {
      params.reebdir = d;
      const int32_t mid[2] = {d, n / 2}, next[2] = {d, n / 2 + 1};
      reeb_graph a, b;
      grid_store ga = g, gb = g;
      double t = cpu_seconds();
      find_patches(params, frame, flags, ga, 1, mid, a.along(d));
      find_patches(params, frame, flags, ga, 1, next, a.along(d));
      find_edges(flags, ga, mid, a.along(d));
      fast += cpu_seconds() - t;
      t = cpu_seconds();
      test::literal_find_patches(params, frame, flags, gb, 1, mid, b);
      test::literal_find_patches(params, frame, flags, gb, 1, next, b);
      test::literal_find_edges(params, flags, gb, mid, b);
      slow += cpu_seconds() - t;
      if (a.along(d).nnodes() != b.along(d).nnodes() || a.along(d).nedges() != b.along(d).nedges() ||
          ga.patch != gb.patch) {
        std::printf("direction %d: the fast and literal finders differ\n", d);
        differ = true;
      }
    }
    const double slices = 3.0 * (n + 1) / 2.0;  // two slices and one pair per sample
    std::printf("literal finders: %.2f s for 3 samples, about %.0f s for the grid; fast %.4f s; speed-up %.0f x\n",
                slow, slow * slices / 3.0 * 1.0, fast, slow / fast);
  }
  rusage ru{};
  getrusage(RUSAGE_SELF, &ru);
  std::printf("peak memory %.0f MB\n", static_cast<double>(ru.ru_maxrss) / 1024.0);
  std::filesystem::current_path("/");
  std::filesystem::remove_all(dir);
  return differ ? 1 : 0;
}
