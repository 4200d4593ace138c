// Faces, sweeps, slice profiles and open lines from the clusters' own points.
#include "channels/cluster_slices.hpp"

#include <algorithm>
#include <cmath>

#include "channels/grid_neighbours.hpp"
#include "channels/pipe_center.hpp"

namespace porvane {
namespace {

constexpr float no_candidate = 100000.0f;  // start of the nearest-image search (Å)

// In-plane neighbour lists of a sweep for every index 0..n of one axis: the
// indices a point examines (t-1, t, t+1, inside 0..n only or wrapped), and
// the inverse lists, the indices whose lists hold t (the wrap makes the
// relation one-sided at the faces: 0 reaches n-1, n reaches 1). The index
// itself comes first in both.
struct plane_lists {
  std::vector<int32_t> fwd, inv;       // 6 slots per index
  std::vector<int32_t> nfwd, ninv;

  plane_lists(int32_t n, bool wrap)
      : fwd(6 * static_cast<std::size_t>(n + 1)), inv(fwd.size()),
        nfwd(static_cast<std::size_t>(n) + 1), ninv(nfwd.size()) {
    for (int32_t t = 0; t <= n; ++t) {
      add(fwd, nfwd, t, t);
      add(inv, ninv, t, t);
    }
    for (int32_t t = 0; t <= n; ++t) {
      for (int32_t u = t - 1; u <= t + 1; u += 2) {
        const int32_t w = wrap ? wrap_index(u, n) : u;
        if (w < 0 || w > n || w == t) continue;
        add(fwd, nfwd, t, w);
        add(inv, ninv, w, t);
      }
    }
  }
  static void add(std::vector<int32_t>& list, std::vector<int32_t>& count, int32_t t, int32_t w) {
    const std::size_t at = static_cast<std::size_t>(t);
    for (int32_t c = 0; c < count[at]; ++c)
      if (list[6 * at + static_cast<std::size_t>(c)] == w) return;
    list[6 * at + static_cast<std::size_t>(count[at]++)] = w;
  }
};

}  // namespace

cluster_slices::cluster_slices(const channel_points& points, const analysis_grid& grid)
    : points_(points), grid_(grid) {
  const cell_frame& f = *grid.frame;
  double bound = 0.0;
  for (int c = 0; c < 3; ++c) {
    const int32_t n = grid.n[c];
    frac_[c].resize(3 * static_cast<std::size_t>(n) + 1);
    double largest = 0.0;
    for (int32_t g = -n; g <= 2 * n; ++g) {
      const float v = (static_cast<float>(g) * grid.gridsize) / f.cell[c] - f.fracshift[c];
      frac_[c][static_cast<std::size_t>(g + n)] = v;
      largest = std::max(largest, std::fabs(static_cast<double>(v)));
    }
    double column = 0.0;
    for (int r = 0; r < 3; ++r) column += std::fabs(static_cast<double>(f.orthmat[r][c]));
    bound += column * largest;
  }
  // Every position of a profile lies within `bound` of the origin; single
  // precision keeps its distances within far less than this of the exact ones.
  tolerance_ = bound * 0x1p-13 + 1e-6;
  const std::size_t side = static_cast<std::size_t>(std::max({grid.n[0], grid.n[1], grid.n[2]})) + 1;
  marks_prev_.assign(side * side, 0);
  marks_cur_.assign(side * side, 0);
}

void cluster_slices::position(int d, int32_t s, int32_t p, int32_t q, float x[3]) const {
  const int ap = plane_p[d], aq = plane_q[d];
  float f[3];
  f[d] = frac_[d][static_cast<std::size_t>(s + grid_.n[d])];
  f[ap] = frac_[ap][static_cast<std::size_t>(p + grid_.n[ap])];
  f[aq] = frac_[aq][static_cast<std::size_t>(q + grid_.n[aq])];
  matrix_times(grid_.frame->orthmat, f, x);
}

uint32_t cluster_slices::next_stamp() {
  if (++stamp_ == 0) {  // after 2^32 stamps the planes start afresh
    std::fill(marks_prev_.begin(), marks_prev_.end(), 0);
    std::fill(marks_cur_.begin(), marks_cur_.end(), 0);
    stamp_ = 1;
  }
  return stamp_;
}

void cluster_slices::mark_faces(cluster_table& chinfo, int32_t nclust) {
  const int32_t* n = points_.n;
  auto face_point = [&](std::size_t id) {
    const int32_t l = points_.point_label[id];
    if (l < 1 || l > nclust) return;
    int32_t g[3];
    unpack_ijk(points_.ijk[id], g);
    cluster_record& rec = chinfo[static_cast<std::size_t>(l)];
    for (int c = 0; c < 3; ++c) {
      if (g[c] == 0) {
        rec.facetouch[2 * c] = 1;
        // Span test: the 3×3 points around the point on the opposite face plane.
        if (rec.spans[c] == 0) {
          const int a = c == 0 ? 1 : 0, b = c == 2 ? 1 : 2;
          int32_t na[3], nb[3];
          const int ca = wrapped_neighbours(g[a], n[a], na), cb = wrapped_neighbours(g[b], n[b], nb);
          for (int x = 0; x < ca; ++x) {
            for (int y = 0; y < cb; ++y) {
              int32_t t[3];
              t[c] = n[c];
              t[a] = na[x];
              t[b] = nb[y];
              if (points_.label[points_.scan_index(t[0], t[1], t[2])] == l) rec.spans[c] = 1;
            }
          }
        }
      }
      if (g[c] == n[c]) rec.facetouch[2 * c + 1] = 1;
    }
  };
  // Only points on a face plane count: every point of a run in a face row,
  // else the ends of a run that reach k = 0 or k = n3.
  const std::vector<int32_t>& runs = points_.run_first();
  for (std::size_t r = 0; r + 1 < runs.size(); ++r) {
    const std::size_t first = static_cast<std::size_t>(runs[r]), end = static_cast<std::size_t>(runs[r + 1]);
    int32_t g[3];
    unpack_ijk(points_.ijk[first], g);
    if (g[0] == 0 || g[0] == n[0] || g[1] == 0 || g[1] == n[1]) {
      for (std::size_t id = first; id < end; ++id) face_point(id);
      continue;
    }
    if (g[2] == 0) face_point(first);
    if (g[2] + static_cast<int32_t>(end - first) - 1 == n[2] && (end - first > 1 || g[2] != 0)) face_point(end - 1);
  }
}

void cluster_slices::group_by_cluster() {
  int32_t top = 0;
  for (int32_t l : points_.point_label) top = std::max(top, l);
  member_first_.assign(static_cast<std::size_t>(top) + 2, 0);
  for (int32_t l : points_.point_label)
    if (l >= 1) ++member_first_[static_cast<std::size_t>(l) + 1];
  for (std::size_t l = 1; l < member_first_.size(); ++l) member_first_[l] += member_first_[l - 1];
  members_.resize(static_cast<std::size_t>(member_first_.back()));
  std::vector<int32_t> next(member_first_.begin(), member_first_.end() - 1);
  for (std::size_t id = 0; id < points_.count(); ++id) {
    const int32_t l = points_.point_label[id];
    if (l >= 1) members_[static_cast<std::size_t>(next[static_cast<std::size_t>(l)]++)] = static_cast<int32_t>(id);
  }
  grouped_ = true;
}

// The points of cluster k by slice along axis a (the scan order itself), or
// along both b and c. A stable count sort by the slice index keeps the scan
// order inside each slice, which is p outer, q inner for every axis.
void cluster_slices::slice_cluster(int32_t k, int d) {
  if (!grouped_) group_by_cluster();
  const bool known = k >= 1 && static_cast<std::size_t>(k) + 1 < member_first_.size();
  const int32_t lo = known ? member_first_[static_cast<std::size_t>(k)] : 0;
  const int32_t hi = known ? member_first_[static_cast<std::size_t>(k) + 1] : 0;
  const std::size_t count = static_cast<std::size_t>(hi - lo);
  const int first_axis = d == 0 ? 0 : 1, last_axis = d == 0 ? 0 : 2;
  for (int e = first_axis; e <= last_axis; ++e) {
    groups_[e].first.assign(static_cast<std::size_t>(grid_.n[e]) + 2, 0);
    groups_[e].pq.resize(count);
    sliced_k_[e] = k;
  }
  const uint32_t* ijk = points_.ijk.data();
  const int32_t* member = members_.data();
  if (d == 0) {
    slice_groups& g = groups_[0];
    for (int32_t t = lo; t < hi; ++t) {
      const uint32_t c = ijk[member[t]];
      ++g.first[(c >> 20) + 1];
      g.pq[static_cast<std::size_t>(t - lo)] = ((c >> 10) & 1023u) << 16 | (c & 1023u);
    }
    for (std::size_t s = 1; s < g.first.size(); ++s) g.first[s] += g.first[s - 1];
    return;
  }
  slice_groups& gb = groups_[1];
  slice_groups& gc = groups_[2];
  for (int32_t t = lo; t < hi; ++t) {
    const uint32_t c = ijk[member[t]];
    ++gb.first[((c >> 10) & 1023u) + 1];
    ++gc.first[(c & 1023u) + 1];
  }
  for (std::size_t s = 1; s < gb.first.size(); ++s) gb.first[s] += gb.first[s - 1];
  for (std::size_t s = 1; s < gc.first.size(); ++s) gc.first[s] += gc.first[s - 1];
  std::vector<int32_t> next_b(gb.first.begin(), gb.first.end() - 1), next_c(gc.first.begin(), gc.first.end() - 1);
  for (int32_t t = lo; t < hi; ++t) {
    const uint32_t c = ijk[member[t]];
    const uint32_t i = c >> 20, j = (c >> 10) & 1023u, kk = c & 1023u;
    gb.pq[static_cast<std::size_t>(next_b[j]++)] = i << 16 | kk;
    gc.pq[static_cast<std::size_t>(next_c[kk]++)] = i << 16 | j;
  }
}

const slice_groups& cluster_slices::slices_of(int32_t k, int d) {
  if (sliced_k_[d] != k) slice_cluster(k, d);
  return groups_[d];
}

sweep_outcome cluster_slices::sweep(int32_t k, int d, bool wrap) {
  const int32_t nd = grid_.n[d], np = grid_.n[plane_p[d]], nq = grid_.n[plane_q[d]];
  const std::size_t row = static_cast<std::size_t>(nq) + 1;
  const slice_groups& g = slices_of(k, d);
  // Without points on both face planes of the axis the sweep stops before
  // its exit step.
  const std::size_t last = static_cast<std::size_t>(nd);
  if (g.first[1] == g.first[0] || g.first[last + 1] == g.first[last]) return sweep_outcome::no_result;
  const plane_lists lp(np, wrap), lq(nq, wrap);
  auto at = [row](uint32_t pq) { return static_cast<std::size_t>(pq >> 16) * row + (pq & 0xffffu); };

  // A point is marked when it is reached from the previous slice (stamp
  // `reached`), or when it lies in the in-plane neighbourhood of a reached
  // point (stamp `spread`); only marks of the previous slice are read.
  uint32_t prev_reached = next_stamp(), prev_spread = prev_reached;
  for (int32_t t = g.first[0]; t < g.first[1]; ++t) marks_prev_[at(g.pq[static_cast<std::size_t>(t)])] = prev_reached;
  for (int32_t step = 1; step <= nd + 1; ++step) {
    const bool exit_step = step == nd + 1;
    const std::size_t s = exit_step ? 0 : static_cast<std::size_t>(step);  // the exit step comes back to slice 0
    const uint32_t reached = next_stamp(), spread = next_stamp();
    const int32_t lo = g.first[s], hi = g.first[s + 1];
    bool any = false;
    for (int32_t t = lo; t < hi; ++t) {
      const uint32_t pq = g.pq[static_cast<std::size_t>(t)];
      const std::size_t p = pq >> 16, q = pq & 0xffffu;
      bool hit = false;
      for (int32_t a = 0; a < lp.nfwd[p] && !hit; ++a) {
        const std::size_t base = static_cast<std::size_t>(lp.fwd[6 * p + static_cast<std::size_t>(a)]) * row;
        for (int32_t b = 0; b < lq.nfwd[q] && !hit; ++b) {
          const uint32_t mark = marks_prev_[base + static_cast<std::size_t>(lq.fwd[6 * q + static_cast<std::size_t>(b)])];
          hit = mark == prev_reached || mark == prev_spread;
        }
      }
      if (!hit) continue;
      if (exit_step) return sweep_outcome::crossed;  // the exit flag is all the exit step gives
      any = true;
      marks_cur_[p * row + q] = reached;
    }
    if (exit_step) return sweep_outcome::no_exit;
    if (!any) return sweep_outcome::no_result;
    // Every point of the slice within the neighbourhood of a reached point is
    // marked too: seen from the point, a reached point among its inverse
    // neighbours.
    for (int32_t t = lo; t < hi; ++t) {
      const uint32_t pq = g.pq[static_cast<std::size_t>(t)];
      const std::size_t p = pq >> 16, q = pq & 0xffffu;
      if (marks_cur_[p * row + q] == reached) continue;
      bool near = false;
      for (int32_t a = 0; a < lp.ninv[p] && !near; ++a) {
        const std::size_t base = static_cast<std::size_t>(lp.inv[6 * p + static_cast<std::size_t>(a)]) * row;
        for (int32_t b = 0; b < lq.ninv[q] && !near; ++b)
          near = marks_cur_[base + static_cast<std::size_t>(lq.inv[6 * q + static_cast<std::size_t>(b)])] == reached;
      }
      if (near) marks_cur_[p * row + q] = spread;
    }
    std::swap(marks_prev_, marks_cur_);
    prev_reached = reached;
    prev_spread = spread;
  }
  return sweep_outcome::no_result;
}

slice_centre cluster_slices::profile_slice(int32_t k, int d, int32_t s, cluster_axis_block& block) {
  const slice_groups& g = slices_of(k, d);
  const int ap = plane_p[d], aq = plane_q[d];
  const int32_t np = grid_.n[ap], nq = grid_.n[aq];
  const cell_frame& frame = *grid_.frame;
  const std::size_t si = static_cast<std::size_t>(s);
  const double gs = grid_.gridsize;

  // The candidate images of a point are its position plus u·ep + w·eq, a
  // whole period along p and q. The mean's position is estimated as an
  // affine function of (mp, mq). A point nearer to the estimate than half the
  // shortest period shift, less the tolerance, keeps its own image; otherwise
  // exact single-precision distances decide among the images that the
  // estimates do not rule out.
  double ep[3], eq[3], cp[3], cq[3], base[3];
  const double fs = frac_[d][static_cast<std::size_t>(s + grid_.n[d])];
  for (int r = 0; r < 3; ++r) {
    cp[r] = static_cast<double>(frame.orthmat[r][ap]) * gs / frame.cell[ap];
    cq[r] = static_cast<double>(frame.orthmat[r][aq]) * gs / frame.cell[aq];
    ep[r] = cp[r] * np;
    eq[r] = cq[r] * nq;
    base[r] = static_cast<double>(frame.orthmat[r][d]) * fs -
              static_cast<double>(frame.orthmat[r][ap]) * frame.fracshift[ap] -
              static_cast<double>(frame.orthmat[r][aq]) * frame.fracshift[aq];
  }
  double shortest = -1.0, shift2[9];
  for (int t = 0; t < 9; ++t) {
    double len2 = 0.0;
    for (int r = 0; r < 3; ++r) {
      const double v = (t / 3 - 1) * ep[r] + (t % 3 - 1) * eq[r];
      len2 += v * v;
    }
    shift2[t] = len2;
    if (t != 4 && (shortest < 0.0 || len2 < shortest)) shortest = len2;
  }
  const double tol = tolerance_;
  const double alone = std::sqrt(shortest) / 2.0 - tol;
  const double alone2 = alone > 0.0 ? alone * alone : -1.0;

  slice_centre ctr;
  int32_t n = 0;
  float m = 0.0f, mp = 0.0f, mq = 0.0f;
  for (int32_t t = g.first[si]; t < g.first[si + 1]; ++t) {
    const int32_t p = static_cast<int32_t>(g.pq[static_cast<std::size_t>(t)] >> 16);
    const int32_t q = static_cast<int32_t>(g.pq[static_cast<std::size_t>(t)] & 0xffffu);
    int32_t at[3];
    at[d] = s;
    at[ap] = p;
    at[aq] = q;
    const float v = points_.dist[points_.scan_index(at[0], at[1], at[2])];
    block.sliceavg[si] = block.sliceavg[si] + v;
    if (n == 0) {
      mp = static_cast<float>(p);
      mq = static_cast<float>(q);
    }
    float x0[3];
    position(d, s, p, q, x0);
    double delta[3], dd = 0.0;
    for (int r = 0; r < 3; ++r) {
      delta[r] = static_cast<double>(x0[r]) - (base[r] + cp[r] * mp + cq[r] * mq);
      dd += delta[r] * delta[r];
    }
    int chosen = 4;  // u = 0, w = 0
    if (!(dd < alone2)) {
      // Nearest image to the running mean; of equally near ones the first in
      // the order u outer, w inner.
      const double dp = delta[0] * ep[0] + delta[1] * ep[1] + delta[2] * ep[2];
      const double dq = delta[0] * eq[0] + delta[1] * eq[1] + delta[2] * eq[2];
      double a2[9], amin = -1.0;
      for (int c = 0; c < 9; ++c) {
        a2[c] = dd + 2.0 * ((c / 3 - 1) * dp + (c % 3 - 1) * dq) + shift2[c];
        if (amin < 0.0 || a2[c] < amin) amin = a2[c];
      }
      const double limit = std::sqrt(std::max(amin, 0.0)) + tol;
      const bool all = limit >= static_cast<double>(no_candidate) || !std::isfinite(limit);
      int open = 0, only = 4;
      for (int c = 0; c < 9; ++c)
        if (all || a2[c] <= limit * limit) ++open, only = c;
      if (open == 1) {
        chosen = only;
      } else {
        float fm[3], xm[3];
        fm[d] = frac_[d][static_cast<std::size_t>(s + grid_.n[d])];
        fm[ap] = (mp * grid_.gridsize) / frame.cell[ap] - frame.fracshift[ap];
        fm[aq] = (mq * grid_.gridsize) / frame.cell[aq] - frame.fracshift[aq];
        matrix_times(frame.orthmat, fm, xm);
        float best = no_candidate;
        for (int c = 0; c < 9; ++c) {
          if (!all && a2[c] > limit * limit) continue;
          float xc[3];
          position(d, s, p + (c / 3 - 1) * np, q + (c % 3 - 1) * nq, xc);
          const float dist = position_distance(xc, xm);
          if (dist < best) best = dist, chosen = c;
        }
      }
    }
    const int32_t pi = p + (chosen / 3 - 1) * np, qi = q + (chosen % 3 - 1) * nq;
    float xi[3];
    if (chosen == 4) {
      for (int r = 0; r < 3; ++r) xi[r] = x0[r];
    } else {
      position(d, s, pi, qi, xi);
    }
    ctr.ctr_grid[0][d] = ctr.ctr_grid[0][d] + static_cast<float>(s);
    ctr.ctr_grid[0][ap] = ctr.ctr_grid[0][ap] + static_cast<float>(pi);
    ctr.ctr_grid[0][aq] = ctr.ctr_grid[0][aq] + static_cast<float>(qi);
    for (int r = 0; r < 3; ++r) ctr.ctr_A[0][r] = ctr.ctr_A[0][r] + xi[r];
    ++n;
    const float fn = static_cast<float>(n), fn1 = static_cast<float>(n - 1);
    mp = static_cast<float>(pi) / fn + (mp * fn1) / fn;
    mq = static_cast<float>(qi) / fn + (mq * fn1) / fn;
    if (v > m) {
      m = v;
      ctr.ctr_grid[1][d] = static_cast<float>(s);
      ctr.ctr_grid[1][ap] = static_cast<float>(p);
      ctr.ctr_grid[1][aq] = static_cast<float>(q);
      for (int r = 0; r < 3; ++r) ctr.ctr_A[1][r] = x0[r];
      block.slicemax[si] = v;
    }
  }
  ctr.count = n;
  block.slicecount[si] = static_cast<float>(n);
  // A slice without points keeps zero sums (the analysis only profiles axes
  // along which every slice holds points).
  if (n > 0) {
    const float fn = static_cast<float>(n);
    block.sliceavg[si] = block.sliceavg[si] / fn;
    for (int r = 0; r < 3; ++r) {
      ctr.ctr_grid[0][r] = ctr.ctr_grid[0][r] / fn;
      ctr.ctr_A[0][r] = ctr.ctr_A[0][r] / fn;
    }
  }
  return ctr;
}

int32_t cluster_slices::open_lines(int32_t k, int d) {
  const int ap = plane_p[d], aq = plane_q[d];
  const int32_t nd = grid_.n[d], np = grid_.n[ap], nq = grid_.n[aq];
  const std::size_t row = static_cast<std::size_t>(nq) + 1;
  line_count_.assign((static_cast<std::size_t>(np) + 1) * row, 0);
  if (!grouped_) group_by_cluster();
  if (k >= 1 && static_cast<std::size_t>(k) + 1 < member_first_.size()) {
    for (int32_t t = member_first_[static_cast<std::size_t>(k)]; t < member_first_[static_cast<std::size_t>(k) + 1]; ++t) {
      int32_t c[3];
      unpack_ijk(points_.ijk[static_cast<std::size_t>(members_[static_cast<std::size_t>(t)])], c);
      if (c[d] >= 1 && c[ap] >= 1 && c[aq] >= 1)
        ++line_count_[static_cast<std::size_t>(c[ap]) * row + static_cast<std::size_t>(c[aq])];
    }
  }
  // Each line holds one point per index 1..n_d: it is inside the cluster when
  // all n_d of them belong to it.
  int32_t open = 0;
  for (int32_t p = 1; p <= np; ++p)
    for (int32_t q = 1; q <= nq; ++q)
      if (line_count_[static_cast<std::size_t>(p) * row + static_cast<std::size_t>(q)] == nd) ++open;
  return open;
}

}  // namespace porvane
