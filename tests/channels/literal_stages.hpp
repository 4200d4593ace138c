// The channel stages of a run with the literal procedures: one pass over the
// grid per trial radius, and the multiscale loop on the literal labelling
// and sweeps; the loop bookkeeping and the summary are the program's own.
#pragma once

#include <string>
#include <vector>

#include "channel_test_support.hpp"

namespace porvane::literal {

inline void porosity_scan(const run_flags& flags, const crystal_record& celli, const grid_store& g,
                          channel_context& chan) {
  channel_results& res = chan.results;
  res.porosity = 1.0f;
  float r = 0.0f;
  auto pass = [&] {
    float m = 0.0f;
    int32_t open = 0;
    for_points(g, [&](int32_t i, int32_t j, int32_t k, std::size_t p) {
      const float d = g.dist[p];
      if (d > m) m = d, res.deepgrid[0] = i, res.deepgrid[1] = j, res.deepgrid[2] = k;
      if (d > r) ++open;
    });
    chan.dmax = m;
    return static_cast<float>(open) / static_cast<float>(g.points());
  };
  if (!(1.0f > celli.solvent)) {  // one silent pass for the deepest point
    pass();
    return;
  }
  do {
    res.porosity = pass();
    if (flags.vb >= 1) report().free("Cutoff: ", r, " Solvent content (porosity): ", res.porosity);
    r = r + 0.1f;
  } while (res.porosity > celli.solvent && r < 5.0f);
}

// What a run with `options` on `pdb` prints from " Analyzing distance map..."
// on, computed on the map of the grid size `gridsize` (the size the run's
// report says it used).
inline std::string channel_report(const std::string& pdb, std::vector<std::string> options, float gridsize) {
  options.push_back(pdb);
  auto m = testing::load_with_map(pdb, gridsize, options);
  run_flags flags = m->flags;
  flags.cl = 0;  // the files are the run's; only the report is compared
  grid_store& g = m->gridi;
  channel_context chan;
  return testing::captured_report([&] {
    report().line("(' Analyzing distance map...')");
    report().free();
    literal::porosity_scan(flags, *m->celli, g, chan);
    multiscale_loop(flags, m->params, chan, [&](float cutoff, bool trace) {
      if (trace) report().free("Calling find_clusters");
      find_clusters(flags, m->params, cutoff, g, chan.chinfo, chan.nclust);
      if (trace) report().free("Calling analyze_clusters", chan.nclust);
      const analysis_setup s = test::setup_for(g, *m->celli, m->params.gridsize);
      geometry shapes(g, s.grid);
      analyze_clusters(flags, m->params, cutoff, s, shapes, chan.chinfo, chan.nclust, chan.counts, chan.results,
                       chan.files);
    });
    if (flags.multiscale == 0) return;
    const int32_t* d = chan.results.deepgrid;
    summary_report(flags, m->params, *m->celli, figures_of(*m->celli), m->atoms.pdbdata, m->atoms.count.natoms,
                   g.iatom[g.index(d[0], d[1], d[2])], chan);
  });
}

}  // namespace porvane::literal
