#include "distmap/map_grid_size.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "common/cell_frame.hpp"
#include "common/run_stop.hpp"
#include "distmap/unit_cell_grid.hpp"

namespace porvane {
namespace {

constexpr int most_decimals = 6;  // suggestions beyond this are not worth typing

bool gives_counts(float gridsize, const float cell[6], const int32_t counts[3]) {
  run_params params;
  params.gridsize = gridsize;
  cell_frame frame;
  std::copy(cell, cell + 6, frame.cell);
  int32_t g[3];
  set_gridmax(params, frame, g);
  return g[0] == counts[0] && g[1] == counts[1] && g[2] == counts[2];
}

std::string decimal_text(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

std::string counts_text(const int32_t n[3]) {
  return std::to_string(n[0]) + " x " + std::to_string(n[1]) + " x " + std::to_string(n[2]);
}

// The grid size a map's name carries ("1abc_channel_2.0.map"), when it
// gives the map's counts; empty otherwise.
std::string grid_size_of_name(const std::string& path, const float cell[6], const int32_t counts[3]) {
  const std::string name = path.substr(path.rfind('/') + 1), mark = "_channel_", end = ".map";
  const std::size_t at = name.rfind(mark);
  if (at == std::string::npos || name.size() < at + mark.size() + end.size() ||
      name.compare(name.size() - end.size(), end.size(), end) != 0)
    return {};
  const std::string text = name.substr(at + mark.size(), name.size() - end.size() - at - mark.size());
  if (text.empty() || text.find_first_not_of("0123456789.") != std::string::npos) return {};
  const float g = std::strtof(text.c_str(), nullptr);
  return g > 0.0f && std::isfinite(g) && gives_counts(g, cell, counts) ? text : std::string();
}

}  // namespace

std::string grid_size_text(float gridsize) {
  for (int d = 1; d < 9; ++d) {
    const std::string text = decimal_text(gridsize, d);
    if (std::strtof(text.c_str(), nullptr) == gridsize) return text;
  }
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", static_cast<double>(gridsize));
  return text;
}

std::string grid_size_for_counts(const float cell[6], const int32_t counts[3]) {
  // nint(edge / g) = n for g in (edge / (n + 1/2), edge / (n - 1/2)], and
  // n = 0 for g above 2 edge; the map's own spacing is edge / n.
  double lo = 0.0, hi = std::numeric_limits<double>::infinity(), spacing = 0.0;
  int spaced = 0;
  for (int c = 0; c < 3; ++c) {
    const double edge = cell[c], n = counts[c];
    lo = std::max(lo, edge / (n + 0.5));
    if (n >= 1) {
      hi = std::min(hi, edge / (n - 0.5));
      spacing += edge / n;
      ++spaced;
    }
  }
  const double target = spaced > 0 ? spacing / spaced : lo;
  // The candidates of each number of decimals: the ones nearest the target
  // and the ends of the interval, each tried as set_gridmax takes it.
  for (int d = 1; d <= most_decimals; ++d) {
    const double step = std::pow(10.0, -d);
    const double first = std::ceil(lo / step);
    const double last = std::isinf(hi) ? first + 1 : std::floor(hi / step);
    const double near = std::clamp(std::round(target / step), first, std::max(first, last));
    std::string best;
    double best_distance = 0.0;
    for (double k : {near - 1, near, near + 1, first - 1, first, last, last + 1}) {
      if (!(k >= 1.0)) continue;
      const std::string text = decimal_text(k * step, d);
      const float g = std::strtof(text.c_str(), nullptr);
      const double distance = std::fabs(g - target);
      if (gives_counts(g, cell, counts) && (best.empty() || distance < best_distance))
        best = text, best_distance = distance;
    }
    if (!best.empty()) return best;
  }
  return {};
}

void check_map_grid_size(const std::string& path, const run_params& params, const float cell[6],
                         const int32_t sampling[3]) {
  if (gives_counts(params.gridsize, cell, sampling)) return;
  const std::string map_grid =
      "map file " + path + " holds a grid of " + counts_text(sampling) + " intervals";
  std::string suggested = grid_size_of_name(path, cell, sampling);
  if (suggested.empty()) suggested = grid_size_for_counts(cell, sampling);
  if (suggested.empty())
    fatal_stop(map_grid + ", which no grid size gives in its cell: the map cannot be used");
  cell_frame frame;
  std::copy(cell, cell + 6, frame.cell);
  int32_t g[3];
  set_gridmax(params, frame, g);
  io_failure(map_grid + ", but the grid size " + grid_size_text(params.gridsize) + " gives " +
             counts_text(g) + " in its cell: read it with -re " + suggested);
}

}  // namespace porvane
