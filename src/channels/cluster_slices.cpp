// Faces, sweeps, slice profiles and open lines from the clusters' own points.
#include "channels/cluster_slices.hpp"

#include <algorithm>
#include <cmath>

#include "channels/grid_neighbours.hpp"
#include "channels/pipe_center.hpp"

namespace porvane {
namespace {

// The sweep's neighbourhood on one in-plane axis of count n: a point at t
// examines t-1, t, t+1 (inside 0..n only, or wrapped: 0 reaches n-1 and n
// reaches 1). On a set of indices held as bits, `examined` gives the indices
// that examine some member, `spread` the indices that some member examines.
// Both act on whole rows of words (q) or on whole rows (p).
struct axis_dilation {
  int32_t n;
  bool wrap;

  // out[t] |= in[u] for the pairs (t, u) of the relation, as index maps.
  template <class Or>
  void apply(bool examined, Or&& orinto) const {
    for (int32_t t = 0; t <= n; ++t) {
      if (t >= 1) orinto(t, t - 1);
      if (t <= n - 1) orinto(t, t + 1);
    }
    if (!wrap || n < 1) return;
    if (examined) {
      orinto(0, n - 1);  // index 0 examines n - 1
      orinto(n, 1);      // index n examines 1
    } else {
      orinto(n - 1, 0);  // n - 1 is examined by 0
      orinto(1, n);      // 1 is examined by n
    }
  }
};

inline bool test_bit(const uint64_t* row, int32_t t) { return (row[t >> 6] >> (t & 63)) & 1u; }
inline void set_bit(uint64_t* row, int32_t t) { row[t >> 6] |= uint64_t{1} << (t & 63); }

// out := the dilation of `in` (rows 0..np of `words` words, bits 0..nq) along
// q and then along p.
void dilate(const std::vector<uint64_t>& in, std::vector<uint64_t>& line, std::vector<uint64_t>& out,
            int32_t np, int32_t nq, std::size_t words, bool wrap, bool examined) {
  const std::size_t rows = static_cast<std::size_t>(np) + 1;
  const uint64_t last_mask = (nq + 1) % 64 == 0 ? ~uint64_t{0} : (uint64_t{1} << ((nq + 1) % 64)) - 1;
  line.resize(rows * words);
  for (std::size_t r = 0; r < rows; ++r) {
    const uint64_t* x = &in[r * words];
    uint64_t* y = &line[r * words];
    for (std::size_t w = 0; w < words; ++w) {
      const uint64_t below = w > 0 ? x[w - 1] >> 63 : 0, above = w + 1 < words ? x[w + 1] << 63 : 0;
      y[w] = x[w] | (x[w] << 1) | below | (x[w] >> 1) | above;
    }
    y[words - 1] &= last_mask;
    if (wrap && nq >= 1) {
      if (examined) {
        if (test_bit(x, nq - 1)) set_bit(y, 0);
        if (test_bit(x, 1)) set_bit(y, nq);
      } else {
        if (test_bit(x, 0)) set_bit(y, nq - 1);
        if (test_bit(x, nq)) set_bit(y, 1);
      }
    }
  }
  out = line;
  const axis_dilation along_p{np, wrap};
  along_p.apply(examined, [&](int32_t t, int32_t u) {
    uint64_t* y = &out[static_cast<std::size_t>(t) * words];
    const uint64_t* x = &line[static_cast<std::size_t>(u) * words];
    for (std::size_t w = 0; w < words; ++w) y[w] |= x[w];
  });
}

// out[c] bit r := in[r] bit c for a 64 × 64 block of bits: at each stage the
// upper half-blocks of row k change places with the lower ones of row k + j.
void transpose64(uint64_t a[64]) {
  uint64_t m = 0x00000000FFFFFFFFull;
  for (int j = 32; j != 0; j >>= 1, m ^= m << j) {
    for (int k = 0; k < 64; k = ((k | j) + 1) & ~j) {
      const uint64_t t = ((a[k] >> j) ^ a[k | j]) & m;
      a[k] ^= t << j;
      a[k | j] ^= t;
    }
  }
}

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
}

void cluster_slices::position(int d, int32_t s, int32_t p, int32_t q, float x[3]) const {
  const int ap = plane_p[d], aq = plane_q[d];
  float f[3];
  f[d] = frac_[d][static_cast<std::size_t>(s + grid_.n[d])];
  f[ap] = frac_[ap][static_cast<std::size_t>(p + grid_.n[ap])];
  f[aq] = frac_[aq][static_cast<std::size_t>(q + grid_.n[aq])];
  matrix_times(grid_.frame->orthmat, f, x);
}

void cluster_slices::mark_faces(cluster_table& chinfo, int32_t nclust) {
  const int32_t* n = points_.n;
  faces_.assign(static_cast<std::size_t>(std::max(nclust, 0)) + 1, 0);
  auto face_point = [&](std::size_t id) {
    const int32_t l = points_.point_label[id];
    if (l < 1 || l > nclust) return;
    int32_t g[3];
    unpack_ijk(points_.ijk[id], g);
    cluster_record& rec = chinfo[static_cast<std::size_t>(l)];
    for (int c = 0; c < 3; ++c) {
      if (g[c] == 0) faces_[static_cast<std::size_t>(l)] |= 1u << (2 * c);
      if (g[c] == n[c]) faces_[static_cast<std::size_t>(l)] |= 1u << (2 * c + 1);
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
  points_.for_face_points(face_point);
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

template <class F>
void cluster_slices::for_members(int32_t k, F&& f) const {
  if (k < 1 || static_cast<std::size_t>(k) + 1 >= member_first_.size()) return;
  for (int32_t t = member_first_[static_cast<std::size_t>(k)]; t < member_first_[static_cast<std::size_t>(k) + 1]; ++t)
    f(points_.ijk[static_cast<std::size_t>(members_[static_cast<std::size_t>(t)])]);
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

// Cluster k's points as bits in slices along d. A small cluster sets its
// bits point by point (and clears them so when the next cluster comes); a
// large one is laid out whole: along a from the points in scan order (rows j,
// bits k), along b the same rows in the order (j, i), along c those rows
// transposed block by block (rows k, bits j).
const std::vector<uint64_t>& cluster_slices::cluster_bits(int32_t k, int d) {
  if (!grouped_) group_by_cluster();
  if (bits_k_[d] == k) return bits_[d];
  const std::size_t n[3] = {static_cast<std::size_t>(grid_.n[0]) + 1, static_cast<std::size_t>(grid_.n[1]) + 1,
                            static_cast<std::size_t>(grid_.n[2]) + 1};
  const std::size_t wk = (n[2] + 63) / 64, wj = (n[1] + 63) / 64;
  const std::size_t words[3] = {wk, wk, wj};
  auto word_of = [&](int e, uint32_t c) {
    int32_t g[3];
    unpack_ijk(c, g);
    return (static_cast<std::size_t>(g[e]) * n[plane_p[e]] + static_cast<std::size_t>(g[plane_p[e]])) * words[e] +
           static_cast<std::size_t>(g[plane_q[e]] >> 6);
  };
  auto small = [&](int32_t l) {
    const int32_t count = member_first_[static_cast<std::size_t>(l) + 1] - member_first_[static_cast<std::size_t>(l)];
    return static_cast<std::size_t>(count) * 16 < n[0] * n[1] * wk;
  };
  // Layout e sized and all zero, then holding the points of cluster l.
  auto points_into = [&](int e, int32_t l) {
    std::vector<uint64_t>& bits = bits_[e];
    words_[e] = words[e];
    const std::size_t size = n[e] * n[plane_p[e]] * words[e];
    if (bits.size() != size) {
      bits.assign(size, 0);
    } else if (bits_k_[e] >= 1 && small(bits_k_[e])) {
      for_members(bits_k_[e], [&](uint32_t c) { bits[word_of(e, c)] = 0; });
    } else if (bits_k_[e] >= 1) {
      std::fill(bits.begin(), bits.end(), 0);
    }
    if (e == 0) {  // the scan order itself: rows (i, j), bits k
      for_members(l, [&](uint32_t c) {
        bits[((c >> 20) * n[1] + ((c >> 10) & 1023u)) * wk + ((c & 1023u) >> 6)] |= uint64_t{1} << (c & 63u);
      });
    } else {
      for_members(l, [&](uint32_t c) { bits[word_of(e, c)] |= uint64_t{1} << ((e == 2 ? c >> 10 : c) & 63u); });
    }
    bits_k_[e] = l;
  };
  if (d == 0 || small(k)) {
    points_into(d, k);
    return bits_[d];
  }
  if (bits_k_[0] != k) points_into(0, k);
  const std::vector<uint64_t>& a = bits_[0];
  std::vector<uint64_t>& out = bits_[d];
  words_[d] = words[d];
  out.resize(n[d] * n[0] * words[d]);
  if (d == 1) {
    for (std::size_t i = 0; i < n[0]; ++i)
      for (std::size_t j = 0; j < n[1]; ++j) std::copy_n(&a[(i * n[1] + j) * wk], wk, &out[(j * n[0] + i) * wk]);
  } else {
    uint64_t block[64];
    for (std::size_t i = 0; i < n[0]; ++i) {
      for (std::size_t jb = 0; jb < wj; ++jb) {
        for (std::size_t kb = 0; kb < wk; ++kb) {
          for (std::size_t r = 0; r < 64; ++r) {
            const std::size_t j = jb * 64 + r;
            block[r] = j < n[1] ? a[(i * n[1] + j) * wk + kb] : 0;
          }
          transpose64(block);
          for (std::size_t r = 0; r < 64; ++r) {
            const std::size_t kk = kb * 64 + r;
            if (kk < n[2]) out[(kk * n[0] + i) * wj + jb] = block[r];
          }
        }
      }
    }
  }
  bits_k_[d] = k;
  return out;
}

// The sweep on bit planes. The marks of slice s are the points of slice s
// examining a mark of slice s - 1 (reached), and the points of slice s that a
// reached point examines; the order inside a slice does not matter.
sweep_outcome cluster_slices::sweep(int32_t k, int d, bool wrap) {
  const int ap = plane_p[d], aq = plane_q[d];
  const int32_t nd = grid_.n[d], np = grid_.n[ap], nq = grid_.n[aq];
  // Without points on both face planes of the axis the sweep stops before
  // its exit step (the faces are known from mark_faces, else looked up).
  const uint32_t both = 3u << (2 * d);
  const bool faces_known = k >= 1 && static_cast<std::size_t>(k) < faces_.size();
  if (faces_known && (faces_[static_cast<std::size_t>(k)] & both) != both) return sweep_outcome::no_result;
  const std::vector<uint64_t>& bits = cluster_bits(k, d);
  const std::size_t words = words_[d];
  const std::size_t plane = (static_cast<std::size_t>(np) + 1) * words;
  auto slice = [&](int32_t s) { return bits.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(s) * plane); };
  auto empty = [&](int32_t s) {
    return std::all_of(slice(s), slice(s) + static_cast<std::ptrdiff_t>(plane), [](uint64_t w) { return w == 0; });
  };
  if (!faces_known && (empty(0) || empty(nd))) return sweep_outcome::no_result;
  std::vector<uint64_t> marks(slice(0), slice(0) + static_cast<std::ptrdiff_t>(plane)), near(plane), line, reached(plane);
  for (int32_t step = 1; step <= nd + 1; ++step) {
    const bool exit_step = step == nd + 1;
    const auto members = slice(exit_step ? 0 : step);  // the exit step comes back to slice 0
    dilate(marks, line, near, np, nq, words, wrap, true);
    bool any = false;
    for (std::size_t w = 0; w < plane; ++w) {
      reached[w] = members[static_cast<std::ptrdiff_t>(w)] & near[w];
      any = any || reached[w] != 0;
    }
    if (exit_step) return any ? sweep_outcome::crossed : sweep_outcome::no_exit;
    if (!any) return sweep_outcome::no_result;
    dilate(reached, line, near, np, nq, words, wrap, false);
    for (std::size_t w = 0; w < plane; ++w) marks[w] = members[static_cast<std::ptrdiff_t>(w)] & near[w];
  }
  return sweep_outcome::no_result;
}

// The candidate images of a point of a slice are its position plus
// u·ep + w·eq, a whole period along p and q. The mean's position is
// estimated as an affine function of (mp, mq). A point nearer to the
// estimate than half the shortest period shift, less the tolerance, keeps
// its own image; otherwise exact single-precision distances decide among
// the images that the estimates do not rule out.
struct slice_periods {
  double ep[3], eq[3];  // one period along p and along q (Å)
  double cp[3], cq[3];  // one grid step along p and along q (Å)
  double base[3];       // estimated position of (mp, mq) = (0, 0) (Å)
  double shift2[9];     // squared length of u·ep + w·eq, u outer, w inner (-1..1)
  double alone2;        // squared distance within which a point keeps its image; -1: none
};

inline slice_periods cluster_slices::periods_of(int d, int32_t s) const {
  const int ap = plane_p[d], aq = plane_q[d];
  const int32_t np = grid_.n[ap], nq = grid_.n[aq];
  const cell_frame& frame = *grid_.frame;
  const double gs = grid_.gridsize;
  slice_periods im;
  const double fs = frac_[d][static_cast<std::size_t>(s + grid_.n[d])];
  for (int r = 0; r < 3; ++r) {
    im.cp[r] = static_cast<double>(frame.orthmat[r][ap]) * gs / frame.cell[ap];
    im.cq[r] = static_cast<double>(frame.orthmat[r][aq]) * gs / frame.cell[aq];
    im.ep[r] = im.cp[r] * np;
    im.eq[r] = im.cq[r] * nq;
    im.base[r] = static_cast<double>(frame.orthmat[r][d]) * fs -
                 static_cast<double>(frame.orthmat[r][ap]) * frame.fracshift[ap] -
                 static_cast<double>(frame.orthmat[r][aq]) * frame.fracshift[aq];
  }
  double shortest = -1.0;
  for (int t = 0; t < 9; ++t) {
    double len2 = 0.0;
    for (int r = 0; r < 3; ++r) {
      const double v = (t / 3 - 1) * im.ep[r] + (t % 3 - 1) * im.eq[r];
      len2 += v * v;
    }
    im.shift2[t] = len2;
    if (t != 4 && (shortest < 0.0 || len2 < shortest)) shortest = len2;
  }
  const double alone = std::sqrt(shortest) / 2.0 - tolerance_;
  im.alone2 = alone > 0.0 ? alone * alone : -1.0;
  return im;
}

// Nearest image to the running mean; of equally near ones the first in the
// order u outer, w inner.
inline int cluster_slices::nearest_image(const slice_periods& im, int d, int32_t s, int32_t p, int32_t q,
                                  const double delta[3], double dd, float mp, float mq) {
  ++image_searches_;
  const int ap = plane_p[d], aq = plane_q[d];
  const int32_t np = grid_.n[ap], nq = grid_.n[aq];
  const cell_frame& frame = *grid_.frame;
  const double dp = delta[0] * im.ep[0] + delta[1] * im.ep[1] + delta[2] * im.ep[2];
  const double dq = delta[0] * im.eq[0] + delta[1] * im.eq[1] + delta[2] * im.eq[2];
  double a2[9], amin = -1.0;
  for (int c = 0; c < 9; ++c) {
    a2[c] = dd + 2.0 * ((c / 3 - 1) * dp + (c % 3 - 1) * dq) + im.shift2[c];
    if (amin < 0.0 || a2[c] < amin) amin = a2[c];
  }
  const double limit = std::sqrt(std::max(amin, 0.0)) + tolerance_;
  const bool all = limit >= static_cast<double>(no_candidate) || !std::isfinite(limit);
  int open = 0, only = 4;
  for (int c = 0; c < 9; ++c)
    if (all || a2[c] <= limit * limit) ++open, only = c;
  if (open == 1) return only;
  float fm[3], xm[3];
  fm[d] = frac_[d][static_cast<std::size_t>(s + grid_.n[d])];
  fm[ap] = (mp * grid_.gridsize) / frame.cell[ap] - frame.fracshift[ap];
  fm[aq] = (mq * grid_.gridsize) / frame.cell[aq] - frame.fracshift[aq];
  matrix_times(frame.orthmat, fm, xm);
  float best = no_candidate;
  int chosen = 4;
  for (int c = 0; c < 9; ++c) {
    if (!all && a2[c] > limit * limit) continue;
    float xc[3];
    position(d, s, p + (c / 3 - 1) * np, q + (c % 3 - 1) * nq, xc);
    const float dist = position_distance(xc, xm);
    if (dist < best) best = dist, chosen = c;
  }
  return chosen;
}

slice_centre cluster_slices::profile_slice(int32_t k, int d, int32_t s, cluster_axis_block& block) {
  const slice_groups& g = slices_of(k, d);
  const int ap = plane_p[d], aq = plane_q[d];
  const int32_t np = grid_.n[ap], nq = grid_.n[aq];
  const std::size_t si = static_cast<std::size_t>(s);
  const slice_periods im = periods_of(d, s);

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
      delta[r] = static_cast<double>(x0[r]) - (im.base[r] + im.cp[r] * mp + im.cq[r] * mq);
      dd += delta[r] * delta[r];
    }
    // A point near the estimate keeps its own image (u = 0, w = 0).
    const int chosen = dd < im.alone2 ? 4 : nearest_image(im, d, s, p, q, delta, dd, mp, mq);
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
