// The zoom search against its literal procedure on one grid store (the
// store of the whole run, sized here for the finest pass), pass by pass and
// bit for bit, over small and random crystals (the boxes of every pass
// included); the stage end to end on real structures and small files.
#include <gtest/gtest.h>

#include "distmap/distance_map.hpp"
#include "distmap/unit_cell_grid.hpp"
#include "zoom/zoom_search.hpp"
#include "distmap_test_support.hpp"
#include "support/bit_list.hpp"
#include "support/loaded_structure.hpp"
#include "support/report_cases.hpp"

namespace porvane {
namespace {

// The search as written: every pass resets its box in the one store, sweeps
// every atom copy over the box with check_next_atom, takes the first
// strictly deepest point and scales the box to the next grid.
std::vector<zoom_pass> zoom_literal(run_params params, const run_flags& flags, const crystal_record& celli,
                                    const atom_store& atoms) {
  int32_t gridmax[3], deepgrid[3] = {0, 0, 0};
  params.gridsize = 1.0f;
  set_gridmax(params, celli, gridmax);
  grid_store gridi;
  gridi.resize(gridmax[0], gridmax[1], gridmax[2]);
  std::vector<zoom_pass> passes;
  params.gridsize = 32.0f;
  set_gridmax(params, celli, gridmax);
  for (int c = 0; c < 3; ++c) params.boxlo[c] = 0, params.boxhi[c] = gridmax[c];
  const int32_t natoms = std::min<int32_t>(flags.cg ? atoms.count.npseudo : atoms.count.natoms,
                                           static_cast<int32_t>(atoms.pdbdata.size()));
  // Calls f(ii, jj, kk) for the box's points in its order, wrapped.
  auto each_box_point = [&](auto&& f) {
    for (int32_t i = params.boxlo[0]; i <= params.boxhi[0]; ++i)
      for (int32_t j = params.boxlo[1]; j <= params.boxhi[1]; ++j)
        for (int32_t k = params.boxlo[2]; k <= params.boxhi[2]; ++k) {
          const int32_t ii = wrap_index(i, gridmax[0]), jj = wrap_index(j, gridmax[1]), kk = wrap_index(k, gridmax[2]);
          if (ii >= 0 && ii <= gridmax[0] && jj >= 0 && jj <= gridmax[1] && kk >= 0 && kk <= gridmax[2]) f(ii, jj, kk);
        }
  };
  while (params.gridsize >= 1.0f) {
    each_box_point([&](int32_t ii, int32_t jj, int32_t kk) {
      const std::size_t p = gridi.index(ii, jj, kk);
      gridi.dist[p] = 10000.0f;
      float xyz[3];
      grid_point_position(celli, params.gridsize, ii, jj, kk, xyz);
      gridi.x[p] = xyz[0], gridi.y[p] = xyz[1], gridi.z[p] = xyz[2];
    });
    for (int32_t a = 1; a <= natoms; ++a) {
      const atom_record& rec = atoms.pdbdata[static_cast<std::size_t>(a - 1)];
      if (flags.ca && !flags.cg && !(rec.atname == " CA " || rec.element == " P")) continue;
      for (int32_t s = 1; s <= celli.nsym; ++s)
        for (int32_t n = 1; n <= celli.nncs; ++n) {
          if (celli.ncsgiven[n - 1] != 0) continue;
          float x2[3], f[3];
          atom_copy_position(celli, atoms, a, s, n, x2, f);
          check_next_atom(a, s, n, params, celli, x2, f, gridi, gridmax, atoms);
        }
    }
    zoom_pass pass;
    pass.gridsize = params.gridsize;
    for (int c = 0; c < 3; ++c)
      pass.gridmax[c] = gridmax[c], pass.boxlo[c] = params.boxlo[c], pass.boxhi[c] = params.boxhi[c];
    each_box_point([&](int32_t ii, int32_t jj, int32_t kk) {
      if (gridi.dist[gridi.index(ii, jj, kk)] > pass.dist) {
        pass.dist = gridi.dist[gridi.index(ii, jj, kk)];
        deepgrid[0] = ii, deepgrid[1] = jj, deepgrid[2] = kk;
      }
    });
    const float g[3] = {float(deepgrid[0]), float(deepgrid[1]), float(deepgrid[2])};
    grid_to_real(celli, params.gridsize, g, pass.xyz);
    const std::size_t p = gridi.index(deepgrid[0], deepgrid[1], deepgrid[2]);
    std::copy(deepgrid, deepgrid + 3, pass.deepgrid);
    pass.iatom = gridi.iatom[p], pass.incs = gridi.incs[p], pass.isym = gridi.isym[p];
    passes.push_back(pass);
    int32_t old[3];
    std::copy(gridmax, gridmax + 3, old);
    params.gridsize = 0.5f * params.gridsize;
    set_gridmax(params, celli, gridmax);
    for (int c = 0; c < 3; ++c) {
      const float r = float(gridmax[c]) / float(old[c]);
      if (!std::isfinite(r)) {  // no old interval: the whole new axis
        params.boxlo[c] = 0, params.boxhi[c] = gridmax[c];
      } else {
        params.boxlo[c] = std::lround(float(deepgrid[c] - 1) * r), params.boxhi[c] = std::lround(float(deepgrid[c] + 1) * r);
      }
    }
  }
  return passes;
}

testing::bit_list pass_fields(const zoom_pass& p) {
  testing::bit_list b;
  b.add(p.gridsize), b.add(p.gridmax), b.add(p.boxlo), b.add(p.boxhi), b.add(p.deepgrid), b.add(p.xyz), b.add(p.dist);
  for (int32_t v : {p.iatom, p.incs, p.isym}) b.add(v);
  return b;
}

// The search of the program against the literal one; returns the passes
// and the table lines the program wrote.
std::pair<std::vector<zoom_pass>, std::string> compare_zoom(const run_params& params, const run_flags& flags,
                                                            const crystal_record& celli, const atom_store& atoms,
                                                            const std::string& what) {
  const std::vector<zoom_pass> literal = zoom_literal(params, flags, celli, atoms);
  std::vector<zoom_pass> fast;
  run_params p = params;
  int32_t gridmax[3], deepgrid[3] = {0, 0, 0};
  const std::string lines = testing::captured_report([&] { EXPECT_TRUE(zoom_passes(p, flags, celli, atoms, gridmax, deepgrid, fast)); });
  EXPECT_EQ(fast.size(), 6u) << what;
  EXPECT_EQ(p.gridsize, 0.5f) << what;
  for (std::size_t i = 0; i < std::min(fast.size(), literal.size()); ++i) {
    EXPECT_EQ(pass_fields(fast[i]), pass_fields(literal[i])) << what << ", pass at " << literal[i].gridsize << " Å: dist "
                                                             << fast[i].dist << " against " << literal[i].dist;
  }
  return {fast, lines};
}

struct zoom_case {
  std::string what;
  std::shared_ptr<crystal_record> celli;
  int nrandom;                               // random atoms at fractions flo..fhi
  float flo, fhi;
  std::vector<std::array<float, 3>> places;  // further atoms, radius 1.6
  int ca = 0, cg = 0, npseudo = 0;
};

TEST(ZoomSearch, EqualsTheLiteralSearch) {
  using test::make_crystal;
  const std::vector<float> shift = {0.13f, -0.07f, 0.21f};
  std::vector<zoom_case> cases = {
      {"orthogonal P212121", make_crystal({51.0, 43.0, 29.0, 90, 90, 90}, "P 21 21 21"), 120, 0, 1, {}},
      {"triclinic, fracshift", make_crystal({46.0, 52.0, 41.0, 74, 96, 111}, "P 1", {}, shift), 90, -0.3f, 1.3f, {}},
      {"monoclinic, NCS one given", make_crystal({38.0, 30.0, 45.0, 90, 104.5, 90}, "P 1 21 1", {{60, 0}, {120, 1}}, shift),
       60, 0, 1, {}},
      {"hexagonal", make_crystal({63.4, 63.4, 83.8, 90, 90, 120}, "P 61"), 30, 0, 1, {}},
      // Copies two cells away: their images reach the box from far off.
      {"atoms far outside", make_crystal({40.0, 44.0, 36.0, 90, 90, 90}, "P 21 21 21"), 40, -2.5f, 3.5f, {}},
      // One interval at 32 Å: boxes wrap onto the same points twice.
      {"small cell", make_crystal({20.0, 22.0, 18.0, 90, 90, 90}, "P 21 21 21"), 20, 0, 1, {}},
      // Counts 0 at 32 Å on b (r infinite at 16 Å) and 0 down to 8 Å on c (r = 0/0).
      {"thin cell", make_crystal({40.0, 12.0, 7.0, 90, 90, 90}, "P 1"), 10, 0, 1, {}},
      // More than 250 intervals at 1 Å: boxes beyond any map's store.
      {"long cell", make_crystal({300.0, 24.0, 20.0, 90, 90, 90}, "P 1 21 1", {}, shift), 40, 0, 1, {}},
      {"no atoms", make_crystal({50.0, 40.0, 30.0, 90, 90, 90}, "P 21 21 21"), 0, 0, 0, {}},
      {"-ca", make_crystal({51.0, 43.0, 29.0, 90, 90, 90}, "P 21 21 21"), 80, 0, 1, {}, 1},
      {"-cg -ca", make_crystal({51.0, 43.0, 29.0, 90, 90, 90}, "P 21 21 21"), 80, 0, 1, {}, 1, 1, 20},
      // Mirror-image atoms about the middle of a cube: equal distances at
      // mirrored points, the first visited is taken.
      {"ties", make_crystal({64.0, 64.0, 64.0, 90, 90, 90}, "P 1"), 0, 0, 0,
       {{16, 16, 16}, {48, 48, 48}, {16, 48, 16}, {48, 16, 48}, {16, 16, 48}, {48, 48, 16}, {16, 48, 48}, {48, 16, 16}}},
  };
  std::mt19937 rng(7011);
  std::uniform_real_distribution<float> u(0.0f, 1.0f);
  for (int trial = 0; trial < 24; ++trial) {
    std::vector<double> cell = {20 + 60 * u(rng), 20 + 60 * u(rng), 20 + 60 * u(rng), 90, 90, 90};
    if (trial % 3 == 1) cell[4] = 95 + 20 * u(rng);
    if (trial % 3 == 2) cell[3] = 75 + 30 * u(rng), cell[4] = 75 + 30 * u(rng), cell[5] = 75 + 30 * u(rng);
    cases.push_back({"random " + std::to_string(trial),
                     make_crystal(cell, trial % 3 == 0 ? "P 21 21 21" : trial % 3 == 1 ? "P 1 21 1" : "P 1",
                                  trial % 4 == 0 ? std::vector<std::pair<double, int>>{{1 + 358 * u(rng), 0}}
                                                 : std::vector<std::pair<double, int>>{},
                                  {u(rng) - 0.5f, u(rng) - 0.5f, u(rng) - 0.5f}),
                     5 + static_cast<int>(u(rng) * 60), -1.2f, 2.2f, {}});
  }
  for (const zoom_case& c : cases) {
    atom_store atoms;
    test::add_random_atoms(atoms, *c.celli, c.nrandom, {c.flo, c.fhi}, {1.0f, 2.2f}, rng,
                           {{" CA ", " C"}, {" N  ", " N"}, {" P  ", " P"}});
    for (const auto& x : c.places) test::add_atom(atoms, x.data(), 1.6f);
    run_params params;
    atoms.count.natoms = static_cast<int32_t>(atoms.pdbdata.size());
    atoms.count.npseudo = c.npseudo;
    run_flags flags;
    flags.ca = c.ca, flags.cg = c.cg;
    const auto [passes, lines] = compare_zoom(params, flags, *c.celli, atoms, c.what);
    if (HasFailure()) break;
    if (c.what == "no atoms") {  // every distance stays 10000; no atom to name
      ASSERT_EQ(passes.size(), 6u);
      EXPECT_EQ(passes[0].dist, 10000.0f);
      EXPECT_NE(lines.find("   32.                0      0      0    0.0   0.0   0.0     ******              0"
                           "             0     0\n"),
                std::string::npos)
          << lines;
    }
    if (c.what == "long cell") {
      EXPECT_EQ(passes[5].gridmax[0], 300);
    }
  }
}

// Every real structure, and 1a1f (protein and DNA) with -ca (CA and P
// atoms): the program's table equals the literal search's. 1d3z (an NMR
// model in a 1 Å cell) has no interval at 32 to 4 Å and no point above 0;
// its table keeps the index (0, 0, 0) throughout. Small files, 1ubq by hand:
// tests/data/cases/zoom.txt.
TEST(ZoomSearch, RealStructuresEndToEnd) {
  namespace fs = std::filesystem;
  const fs::path dir = testing::fresh_directory("zoom_real");
  std::vector<std::vector<std::string>> runs;
  for (const auto& entry : fs::directory_iterator(std::string(PORVANE_TEST_DATA) + "/pdb")) {
    fs::copy_file(entry.path(), dir / entry.path().filename());
    runs.push_back({"-zm", entry.path().filename().string()});
  }
  runs.push_back({"-ca", "-zm", "1a1f.pdb"});
  for (const auto& args : runs) {
    const auto run = testing::run_program(PORVANE_BINARY, args, dir);
    ASSERT_EQ(run.status, 0) << args.back() << run.err;
    const auto s = testing::load_run((dir / args.back()).string(), args);
    const std::string table = testing::captured_report([&] {
      for (const zoom_pass& p : zoom_literal(s->params, s->flags, *s->celli, s->atoms)) write_zoom_line(p, s->atoms);
    });
    EXPECT_TRUE(run.out.ends_with(
        " Zooming...performing binary search to find maximum distance to protein -- under development\n"
        " Gridsize (Å)             Grid Coords           Coords        Max Dist   Residue      Atname  NCS Op   Symm Op\n" +
        table))
        << args.back() << "\n" << table;
  }
  fs::remove_all(dir);
}

TEST(ZoomSearch, StageReports) {
  testing::expect_reports("zoom_stage", testing::report_table("cases/zoom.txt"), " Zooming");
}

}  // namespace
}  // namespace porvane
