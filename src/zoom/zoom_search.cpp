// The zoom search. The first pass covers the whole coarse grid and is
// computed by the fast map; every later pass covers a box of a few points a
// side, kept in a store of its own keyed by the wrapped indices, so that no
// grid count limits the search. A box point keeps the atom and operators
// of the last copy that reached it in any pass, as one grid store would.
#include "zoom/zoom_search.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <unordered_map>

#include "common/grid_store.hpp"
#include "common/limits.hpp"
#include "common/report_writer.hpp"
#include "distmap/distance_kernel.hpp"
#include "distmap/distance_map.hpp"
#include "distmap/unit_cell_grid.hpp"

namespace porvane {
namespace {

// Points of the whole-cell grid of the first pass: as many as a map may have.
constexpr int64_t max_first_points = int64_t{maxgrid + 1} * (maxgrid + 1) * (maxgrid + 1);

struct zoom_record {
  float xyz[3] = {0, 0, 0};
  float dist = 0.0f;
  int32_t iatom = 0, incs = 0, isym = 0;
};

// Every record the passes wrote, by grid index: the first pass's whole grid
// and, above it, the boxes of the later passes.
class zoom_store {
 public:
  grid_store first;  // the first pass's grid (empty when it went box by box)

  zoom_record get(int32_t i, int32_t j, int32_t k) const {
    const auto it = boxes_.find(key(i, j, k));
    if (it != boxes_.end()) return it->second;
    zoom_record rec;
    if (!first.x.empty() && i <= first.n[0] && j <= first.n[1] && k <= first.n[2]) {
      const std::size_t p = first.index(i, j, k);
      rec.xyz[0] = first.x[p], rec.xyz[1] = first.y[p], rec.xyz[2] = first.z[p];
      rec.dist = first.dist[p];
      rec.iatom = first.iatom[p], rec.incs = first.incs[p], rec.isym = first.isym[p];
    }
    return rec;
  }
  void put(int32_t i, int32_t j, int32_t k, const zoom_record& rec) { boxes_[key(i, j, k)] = rec; }

 private:
  // Indices are at most nint(99999.999 Å / 1 Å), below 2^21.
  static uint64_t key(int32_t i, int32_t j, int32_t k) {
    return (static_cast<uint64_t>(i) << 42) | (static_cast<uint64_t>(j) << 21) | static_cast<uint64_t>(k);
  }
  std::unordered_map<uint64_t, zoom_record> boxes_;
};

// One point of a box: its wrapped indices and record.
struct box_point {
  int32_t idx[3];
  zoom_record rec;
};

// One index of a box axis: its wrapped value and the run of the box it lies
// in (indices below 0, 0..n, above n), whose wrapped values are neighbours.
struct axis_index {
  int32_t idx;
  int32_t run;
};

// The wrapped indices of lo..hi on an axis of count n, each once, in the
// order the box first meets them; indices the single wrap cannot bring into
// 0..n are passed over.
std::vector<axis_index> box_axis(int32_t lo, int32_t hi, int32_t n) {
  std::vector<axis_index> out;
  for (int64_t t = lo; t <= hi; ++t) {
    const int32_t w = wrap_index(static_cast<int32_t>(t), n);
    if (w < 0 || w > n) continue;
    if (std::none_of(out.begin(), out.end(), [w](const axis_index& a) { return a.idx == w; }))
      out.push_back({w, t < 0 ? 0 : t <= n ? 1 : 2});
    if (static_cast<int64_t>(out.size()) > static_cast<int64_t>(n)) break;  // every index met
  }
  return out;
}

// The box of the points' positions, and the margin of the bounds over it:
// far beyond what single precision loses at distances and positions of
// that size.
struct points_box {
  float lo[3], hi[3];
  float extent = 0.0f;  // largest coordinate magnitude of the box
  float margin(float d) const { return 1.0e-3f + 1.0e-5f * (std::fabs(d) + extent); }
};

points_box box_of(const std::vector<box_point*>& points) {
  points_box box;
  for (int c = 0; c < 3; ++c) {
    box.lo[c] = std::numeric_limits<float>::max();
    box.hi[c] = -std::numeric_limits<float>::max();
  }
  for (const box_point* p : points) {
    for (int c = 0; c < 3; ++c) {
      box.lo[c] = std::min(box.lo[c], p->rec.xyz[c]);
      box.hi[c] = std::max(box.hi[c], p->rec.xyz[c]);
    }
  }
  for (int c = 0; c < 3; ++c) box.extent = std::max({box.extent, std::fabs(box.lo[c]), std::fabs(box.hi[c])});
  return box;
}

// The copies that can win a point of the box, as (lower bound, copy) in
// order of the bound: the lower bound of each copy over the box (direct
// position and every image it takes there) and an upper bound that holds at
// every point (from the direct position, and from the image when one shift
// holds on the box); a copy whose lower bound exceeds the least upper bound
// is left out. The image shifts a copy can take over the points, per axis:
// the shift never decreases with the index and changes by one step at a
// time, so every shift between those at the axis's least and greatest index.
std::vector<std::pair<float, uint32_t>> copies_in_reach(const crystal_record& celli,
                                                        const std::vector<atom_copy>& copies,
                                                        const int32_t n[3],
                                                        const std::vector<int32_t> axis[3],
                                                        const points_box& box) {
  int32_t least[3], greatest[3];
  for (int c = 0; c < 3; ++c) {
    least[c] = *std::min_element(axis[c].begin(), axis[c].end());
    greatest[c] = *std::max_element(axis[c].begin(), axis[c].end());
  }
  std::vector<int32_t> shifts[3];
  std::vector<std::pair<float, uint32_t>> order(copies.size());
  float bound = no_atom_distance;
  for (std::size_t ci = 0; ci < copies.size(); ++ci) {
    const atom_copy& cp = copies[ci];
    for (int c = 0; c < 3; ++c) {
      shifts[c].clear();
      const int32_t from = image_shift(cp.f[c], least[c], n[c]);
      const int32_t to = image_shift(cp.f[c], greatest[c], n[c]);
      for (int32_t h = std::min(from, to); h <= std::max(from, to); ++h) shifts[c].push_back(h);
    }
    float ub = farthest_in_box(cp.x, box.lo, box.hi) - cp.r;
    float lb = nearest_in_box(cp.x, box.lo, box.hi) - cp.r;
    const bool one_shift = shifts[0].size() == 1 && shifts[1].size() == 1 && shifts[2].size() == 1;
    for (int32_t ha : shifts[0]) {
      for (int32_t hb : shifts[1]) {
        for (int32_t hc : shifts[2]) {
          if (ha == 0 && hb == 0 && hc == 0) continue;
          const int32_t h[3] = {ha, hb, hc};
          float xi[3];
          image_position(celli, cp.f, h, xi);
          lb = std::min(lb, nearest_in_box(xi, box.lo, box.hi) - cp.r);
          if (one_shift) ub = std::min(ub, farthest_in_box(xi, box.lo, box.hi) - cp.r);
        }
      }
    }
    if (std::isnan(lb)) lb = -std::numeric_limits<float>::infinity();
    order[ci] = {lb, static_cast<uint32_t>(ci)};
    if (ub < bound) bound = ub;
  }
  const float limit = bound + box.margin(bound);
  order.erase(std::remove_if(order.begin(), order.end(), [limit](const auto& o) { return o.first > limit; }),
              order.end());
  std::sort(order.begin(), order.end());
  return order;
}

// The copies applied to the points of a box. Measured one after the other
// with the strict test, they leave at each point the least distance and, of
// equal ones, the first measured (the direct position of a copy before its
// image), unless no distance beats the start value. The same outcome comes
// from measuring, at each point, only copies that can still reach its best
// distance so far, in order of a lower bound of their distance over the box,
// and keeping the least (distance, order) pair. A copy is passed over when
// its lower bound exceeds a distance that one copy reaches at every point,
// or the point's best so far; the bounds are taken with a margin far beyond
// what single precision loses.
void apply_copies_to_points(const crystal_record& celli, const std::vector<atom_copy>& copies,
                            const int32_t n[3], const std::vector<int32_t> axis[3],
                            const std::vector<box_point*>& points) {
  if (points.empty() || copies.empty()) return;
  const points_box box = box_of(points);
  const std::vector<std::pair<float, uint32_t>> order = copies_in_reach(celli, copies, n, axis, box);
  for (box_point* pp : points) {
    box_point& p = *pp;
    float best = p.rec.dist;
    int64_t best_key = -1;  // the start value: a copy must be strictly nearer
    for (const auto& [lb, ci] : order) {
      if (lb > best + box.margin(best)) break;
      const atom_copy& cp = copies[ci];
      int64_t key = 2 * static_cast<int64_t>(ci);  // direct position, then its image
      measure_copy_at_point(celli, p.rec.xyz, p.idx, n, cp.x, cp.f, cp.r, [&](float d) {
        if (d < best || (d == best && key < best_key)) {
          best = d;
          best_key = key;
        }
        ++key;
      });
    }
    if (best_key >= 0) {
      const atom_copy& cp = copies[static_cast<std::size_t>(best_key / 2)];
      p.rec.dist = best;
      p.rec.iatom = cp.a;
      p.rec.incs = cp.n;
      p.rec.isym = cp.s;
    }
  }
}

// One pass over params.boxlo..boxhi: resets the box's points, applies every
// copy, stores the records and returns the box's points in the box's order.
std::vector<box_point> box_pass(const run_params& params, const crystal_record& celli,
                                const std::vector<atom_copy>& copies, const int32_t gridmax[3],
                                zoom_store& store) {
  std::vector<axis_index> axis[3];
  for (int c = 0; c < 3; ++c) axis[c] = box_axis(params.boxlo[c], params.boxhi[c], gridmax[c]);
  std::vector<box_point> points;
  points.reserve(axis[0].size() * axis[1].size() * axis[2].size());
  for (const axis_index& i : axis[0]) {
    for (const axis_index& j : axis[1]) {
      for (const axis_index& k : axis[2]) {
        box_point p{{i.idx, j.idx, k.idx}, store.get(i.idx, j.idx, k.idx)};
        p.rec.dist = no_atom_distance;
        grid_point_position(celli, params.gridsize, i.idx, j.idx, k.idx, p.rec.xyz);
        points.push_back(p);
      }
    }
  }
  // A box that reaches over a cell face has points on both sides of the
  // cell; its runs of neighbouring indices make compact groups, each bounded
  // on its own.
  for (int32_t group = 0; group < 27; ++group) {
    const int32_t run[3] = {group / 9, group / 3 % 3, group % 3};
    std::vector<int32_t> indices[3];
    for (int c = 0; c < 3; ++c) {
      for (const axis_index& a : axis[c]) {
        if (a.run == run[c]) indices[c].push_back(a.idx);
      }
    }
    std::vector<box_point*> members;
    std::size_t at = 0;
    for (const axis_index& i : axis[0]) {
      for (const axis_index& j : axis[1]) {
        for (const axis_index& k : axis[2]) {
          if (i.run == run[0] && j.run == run[1] && k.run == run[2]) members.push_back(&points[at]);
          ++at;
        }
      }
    }
    apply_copies_to_points(celli, copies, gridmax, indices, members);
  }
  for (const box_point& p : points) store.put(p.idx[0], p.idx[1], p.idx[2], p.rec);
  return points;
}

// The first pass over the whole grid by the fast map; the points in the
// order i, j, k.
std::vector<box_point> whole_grid_pass(const run_params& params, const crystal_record& celli,
                                       const std::vector<atom_copy>& copies,
                                       const int32_t gridmax[3], zoom_store& store) {
  coord_range range;
  fill_grid_positions(params, celli, gridmax, store.first, range);
  distance_map_fast(celli, copies, store.first);
  std::vector<box_point> points;
  points.reserve(store.first.points());
  for (int32_t i = 0; i <= gridmax[0]; ++i) {
    for (int32_t j = 0; j <= gridmax[1]; ++j) {
      for (int32_t k = 0; k <= gridmax[2]; ++k) points.push_back({{i, j, k}, store.get(i, j, k)});
    }
  }
  return points;
}

}  // namespace

void next_zoom_box(int32_t m, int32_t old_count, int32_t new_count, int32_t& lo, int32_t& hi) {
  const float r = static_cast<float>(new_count) / static_cast<float>(old_count);
  if (!std::isfinite(r)) {
    lo = 0;
    hi = new_count;
    return;
  }
  lo = static_cast<int32_t>(std::lround(static_cast<float>(m - 1) * r));
  hi = static_cast<int32_t>(std::lround(static_cast<float>(m + 1) * r));
}

void write_zoom_line(const zoom_pass& pass, const atom_store& atoms) {
  const bool named = pass.iatom >= 1 && static_cast<std::size_t>(pass.iatom) <= atoms.pdbdata.size();
  atom_record none_named;
  none_named.atname = "";
  none_named.resname = "";
  const atom_record& rec = named ? atoms.pdbdata[static_cast<std::size_t>(pass.iatom - 1)] : none_named;
  report().line("(' ',f5.0,10x,3i7,x,3f6.1,5x,f6.1,7x,A3,x,I4,4x,A4,2x,I4,2x,I4)", pass.gridsize,
                pass.deepgrid[0], pass.deepgrid[1], pass.deepgrid[2], pass.xyz[0], pass.xyz[1],
                pass.xyz[2], pass.dist, rec.resname, named ? rec.resseq : 0, rec.atname, pass.incs,
                pass.isym);
}

bool zoom_passes(run_params& params, const run_flags& flags, const crystal_record& celli,
                 const atom_store& atoms, int32_t gridmax[3], int32_t deepgrid[3],
                 std::vector<zoom_pass>& passes) {
  const std::vector<atom_copy> copies = collect_unwrapped_copies(flags, celli, atoms);
  zoom_store store;
  params.gridsize = zoom_first_gridsize;
  set_gridmax(params, celli, gridmax);
  for (int c = 0; c < 3; ++c) {
    params.boxlo[c] = 0;
    params.boxhi[c] = gridmax[c];
  }
  int64_t first_points = 1;
  for (int c = 0; c < 3; ++c) first_points *= int64_t{std::max(gridmax[c], 0)} + 1;
  if (first_points > max_first_points) {
    report().free("Cell too large for the zoom search: its first grid of", gridmax[0], gridmax[1],
                  gridmax[2], "intervals has more than", static_cast<int32_t>(max_first_points),
                  "points.");
    return false;
  }

  for (bool first = true; params.gridsize >= zoom_last_gridsize; first = false) {
    if (flags.vb >= 2) {
      report().free(" Searching:", params.boxlo[0], params.boxlo[1], params.boxlo[2], params.boxhi[0],
                    params.boxhi[1], params.boxhi[2], "With maximum grid of: ", gridmax[0], gridmax[1],
                    gridmax[2]);
    }
    // The fast map needs at least one interval per axis; a cell edge under
    // half the grid size has none, and its few points go box by box.
    const bool whole = first && gridmax[0] >= 1 && gridmax[1] >= 1 && gridmax[2] >= 1;
    const std::vector<box_point> points = whole ? whole_grid_pass(params, celli, copies, gridmax, store)
                                                : box_pass(params, celli, copies, gridmax, store);

    zoom_pass pass;
    pass.gridsize = params.gridsize;
    for (int c = 0; c < 3; ++c) {
      pass.gridmax[c] = gridmax[c];
      pass.boxlo[c] = params.boxlo[c];
      pass.boxhi[c] = params.boxhi[c];
    }
    // The first point strictly deeper than all before it, from 0.0.
    for (const box_point& p : points) {
      if (p.rec.dist > pass.dist) {
        pass.dist = p.rec.dist;
        for (int c = 0; c < 3; ++c) deepgrid[c] = p.idx[c];
      }
    }
    const zoom_record deepest = store.get(deepgrid[0], deepgrid[1], deepgrid[2]);
    const float g[3] = {static_cast<float>(deepgrid[0]), static_cast<float>(deepgrid[1]),
                        static_cast<float>(deepgrid[2])};
    grid_to_real(celli, params.gridsize, g, pass.xyz);
    for (int c = 0; c < 3; ++c) pass.deepgrid[c] = deepgrid[c];
    pass.iatom = deepest.iatom;
    pass.incs = deepest.incs;
    pass.isym = deepest.isym;
    write_zoom_line(pass, atoms);
    passes.push_back(pass);

    int32_t old_counts[3];
    for (int c = 0; c < 3; ++c) old_counts[c] = gridmax[c];
    params.gridsize = 0.5f * params.gridsize;
    set_gridmax(params, celli, gridmax);
    for (int c = 0; c < 3; ++c)
      next_zoom_box(deepgrid[c], old_counts[c], gridmax[c], params.boxlo[c], params.boxhi[c]);
  }
  return true;
}

void zoom_search(run_params& params, const run_flags& flags, const crystal_record& celli,
                 const atom_store& atoms, run_state& state, int32_t deepgrid[3]) {
  report().free("Zooming...performing binary search to find maximum distance to protein -- under development");
  report().free("Gridsize (Å)             Grid Coords           Coords        Max Dist   Residue      Atname  NCS Op   Symm Op");
  std::vector<zoom_pass> passes;
  zoom_passes(params, flags, celli, atoms, state.gridmax, deepgrid, passes);
}

}  // namespace porvane
