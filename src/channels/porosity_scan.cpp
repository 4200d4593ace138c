// The porosity scan: the deepest grid point, the largest distance and the
// share of points deeper than trial radii 0.0, 0.1, ... until the share falls
// to the solvent content. One pass serves every trial radius: each point
// counts how many trial radii lie below its distance.
#include <algorithm>
#include <vector>

#include "channels/channel_stages.hpp"
#include "common/report_writer.hpp"

namespace porvane {
namespace {

constexpr float trial_step = 0.1f;   // Å
constexpr float trial_limit = 5.0f;  // trial radii stay below this (Å)

}  // namespace

void porosity_scan(const run_flags& flags, float solvent, const grid_store& gridi,
                   channel_context& chan) {
  channel_points& points = chan.points;
  points.load(gridi);
  channel_results& res = chan.results;
  res.porosity = 1.0f;

  // The trial radii as the scan sums them, in single precision.
  std::vector<float> trial;
  for (float r = 0.0f; r < trial_limit; r = r + trial_step) trial.push_back(r);
  std::vector<int64_t> deeper(trial.size() + 1, 0);  // points above exactly t trial radii

  float m = 0.0f;
  bool found = false;
  std::size_t deepest = 0;
  const std::vector<float>& dist = points.dist;
  for (std::size_t p = 0; p < dist.size(); ++p) {
    const float d = dist[p];
    if (d > m) {
      m = d;
      deepest = p;
      found = true;
    }
    const std::size_t below = d <= 0.0f ? 0
                              : d > trial.back()
                                  ? trial.size()
                                  : static_cast<std::size_t>(std::lower_bound(trial.begin(), trial.end(), d) - trial.begin());
    ++deeper[below];
  }
  chan.dmax = m;
  if (found) {
    const std::size_t si = points.si, sj = points.sj;
    res.deepgrid[0] = static_cast<int32_t>(deepest / si);
    res.deepgrid[1] = static_cast<int32_t>(deepest % si / sj);
    res.deepgrid[2] = static_cast<int32_t>(deepest % sj);
  }

  // With a solvent content of 1.0 or more, or none, the pass above only
  // finds the deepest point; the porosity stays 1.0.
  if (!(1.0f > solvent)) return;
  const float scanned = static_cast<float>(dist.size());
  int64_t open = static_cast<int64_t>(dist.size()) - deeper[0];
  for (std::size_t t = 0; t < trial.size(); ++t) {
    res.porosity = static_cast<float>(open) / scanned;
    if (flags.vb >= 1) report().free("Cutoff: ", trial[t], " Solvent content (porosity): ", res.porosity);
    if (!(res.porosity > solvent)) break;
    open -= deeper[t + 1];
  }
}

}  // namespace porvane
