// Channel points in scan order, their selection per cutoff and the
// union-find that joins them into connected groups.
#include "channels/channel_points.hpp"

#include <algorithm>
#include <string>

#include "common/run_stop.hpp"

namespace porvane {
namespace {

constexpr int32_t packed_axis_limit = 1023;  // largest index a packed triple holds

}  // namespace

void channel_points::load(const grid_store& gridi) {
  for (int c = 0; c < 3; ++c) {
    n[c] = gridi.n[c];
    if (n[c] < 0 || n[c] > packed_axis_limit) {
      io_failure("A grid of " + std::to_string(n[c]) + " intervals on an axis cannot be analysed.");
    }
  }
  const std::size_t n0 = static_cast<std::size_t>(n[0]) + 1;
  const std::size_t n1 = static_cast<std::size_t>(n[1]) + 1;
  const std::size_t n2 = static_cast<std::size_t>(n[2]) + 1;
  sj = n2;
  si = n1 * n2;
  dist.resize(n0 * n1 * n2);
  label.assign(dist.size(), -1);
  index.clear();
  ijk.clear();
  value.clear();
  point_label.clear();
  selected_ = false;
  // The store runs i fastest: copy blocks of i so that both sides stay in cache.
  constexpr std::size_t block = 32;
  for (std::size_t j = 0; j < n1; ++j) {
    for (std::size_t i0 = 0; i0 < n0; i0 += block) {
      const std::size_t i1 = std::min(n0, i0 + block);
      for (std::size_t k = 0; k < n2; ++k) {
        const float* src = &gridi.dist[n0 * (j + n1 * k)];
        for (std::size_t i = i0; i < i1; ++i) dist[i * si + j * sj + k] = src[i];
      }
    }
  }
}

void channel_points::select(float r) {
  if (selected_ && r >= cutoff_) {
    std::size_t kept = 0;
    for (std::size_t id = 0; id < index.size(); ++id) {
      const int32_t p = index[id];
      const float d = dist[static_cast<std::size_t>(p)];
      if (d > r) {
        index[kept] = p;
        ijk[kept] = ijk[id];
        value[kept] = d;
        label[static_cast<std::size_t>(p)] = static_cast<int32_t>(kept);
        ++kept;
      } else {
        label[static_cast<std::size_t>(p)] = -1;
      }
    }
    index.resize(kept);
    ijk.resize(kept);
    value.resize(kept);
  } else {
    for (int32_t p : index) label[static_cast<std::size_t>(p)] = -1;
    index.clear();
    ijk.clear();
    value.clear();
    std::size_t p = 0;
    for (int32_t i = 0; i <= n[0]; ++i) {
      for (int32_t j = 0; j <= n[1]; ++j) {
        for (int32_t k = 0; k <= n[2]; ++k, ++p) {
          if (dist[p] > r) {
            label[p] = static_cast<int32_t>(index.size());
            index.push_back(static_cast<int32_t>(p));
            ijk.push_back(pack_ijk(i, j, k));
            value.push_back(dist[p]);
          }
        }
      }
    }
  }
  cutoff_ = r;
  selected_ = true;
}

std::vector<component_stats> channel_points::connect(std::vector<int32_t>& comp) {
  const int32_t nruns = make_runs();
  run_sets_.reset(static_cast<std::size_t>(nruns));
  join_runs_in_cell();
  join_across_faces();
  std::vector<component_stats> stats = number_groups();
  sum_groups(comp, stats);
  return stats;
}

// Runs: channel points of one row (i, j) with consecutive k, and the runs
// of each row.
inline int32_t channel_points::make_runs() {
  const std::size_t m = index.size();
  run_first_.clear();
  run_k_.clear();
  run_of_.resize(m);
  const std::size_t rows = static_cast<std::size_t>(n[0] + 1) * static_cast<std::size_t>(n[1] + 1);
  row_first_.assign(rows + 1, 0);
  int32_t nruns = 0;
  for (std::size_t id = 0; id < m; ++id) {
    const uint32_t c = ijk[id];
    if (id == 0 || c != ijk[id - 1] + 1 || (c >> 10) != (ijk[id - 1] >> 10)) {
      run_first_.push_back(static_cast<int32_t>(id));
      run_k_.push_back(static_cast<int32_t>(c & 1023u));
      ++row_first_[(c >> 20) * static_cast<std::size_t>(n[1] + 1) + ((c >> 10) & 1023u) + 1];
      ++nruns;
    }
    run_of_[id] = nruns - 1;
  }
  run_first_.push_back(static_cast<int32_t>(m));
  for (std::size_t r = 1; r <= rows; ++r) row_first_[r] += row_first_[r - 1];
  return nruns;
}

// A run is joined to the runs of the earlier rows (i, j-1), (i-1, j-1),
// (i-1, j), (i-1, j+1) whose k ranges, widened by one, overlap its own: that
// is the neighbourhood inside the cell, which is symmetric.
inline void channel_points::join_runs_in_cell() {
  union_find& sets = run_sets_;
  auto k_last = [&](int32_t r) {
    return run_k_[static_cast<std::size_t>(r)] + (run_first_[static_cast<std::size_t>(r) + 1] - run_first_[static_cast<std::size_t>(r)]) - 1;
  };
  const int32_t nj = n[1] + 1;
  for (int32_t i = 0; i <= n[0]; ++i) {
    for (int32_t j = 0; j <= n[1]; ++j) {
      const std::size_t row = static_cast<std::size_t>(i * nj + j);
      const int32_t a0 = row_first_[row], a1 = row_first_[row + 1];
      if (a0 == a1) continue;
      const int32_t earlier[4][2] = {{i, j - 1}, {i - 1, j - 1}, {i - 1, j}, {i - 1, j + 1}};
      for (const auto& e : earlier) {
        if (e[0] < 0 || e[1] < 0 || e[1] > n[1]) continue;
        const std::size_t other = static_cast<std::size_t>(e[0] * nj + e[1]);
        int32_t a = a0, b = row_first_[other];
        const int32_t b1 = row_first_[other + 1];
        while (a < a1 && b < b1) {
          const int32_t ka = run_k_[static_cast<std::size_t>(a)], la = k_last(a);
          const int32_t kb = run_k_[static_cast<std::size_t>(b)], lb = k_last(b);
          if (ka <= lb + 1 && kb <= la + 1) sets.join_lower(sets.root(a), b);
          if (la < lb) {
            ++a;
          } else {
            ++b;
          }
        }
      }
    }
  }
}

// Across the cell edges: from each point of a face plane, the neighbours
// reached through a wrap on at least one axis (the others lie inside the
// cell and are joined through the runs).
inline void channel_points::join_across_faces() {
  union_find& sets = run_sets_;
  const int32_t* lab = label.data();
  for_face_points([&](std::size_t id) {
    int32_t g[3];
    unpack_ijk(ijk[id], g);
    int32_t at[3][3];
    bool wrapped[3][3];
    int count[3];
    for (int c = 0; c < 3; ++c) {
      count[c] = 0;
      for (int32_t u = g[c] - 1; u <= g[c] + 1; ++u) {
        const int32_t w = wrap_index(u, n[c]);
        if (w < 0 || w > n[c]) continue;
        at[c][count[c]] = w;
        wrapped[c][count[c]++] = w != u;
      }
    }
    int32_t root = sets.root(run_of_[id]);
    for (int a = 0; a < count[0]; ++a) {
      for (int b = 0; b < count[1]; ++b) {
        for (int c = 0; c < count[2]; ++c) {
          if (!wrapped[0][a] && !wrapped[1][b] && !wrapped[2][c]) continue;
          const int32_t l = lab[scan_index(at[0][a], at[1][b], at[2][c])];
          if (l >= 0) root = sets.join_lower(root, run_of_[static_cast<std::size_t>(l)]);
        }
      }
    }
  });
}

// Groups numbered in the order of their roots, the runs holding their first
// points; a parent is always an earlier run, renumbered before its children.
// Each run's parent link becomes its group's number.
inline std::vector<component_stats> channel_points::number_groups() {
  std::vector<int32_t>& parent = run_sets_.parent;
  std::vector<component_stats> stats;
  const int32_t nruns = static_cast<int32_t>(parent.size());
  for (int32_t r = 0; r < nruns; ++r) {
    const int32_t up = parent[static_cast<std::size_t>(r)];
    if (up == r) {
      parent[static_cast<std::size_t>(r)] = static_cast<int32_t>(stats.size());
      stats.emplace_back();
    } else {
      parent[static_cast<std::size_t>(r)] = parent[static_cast<std::size_t>(up)];
    }
  }
  return stats;
}

// Each point's group into comp and the sums in scan order; the running sums
// of a group stay in registers while the scan stays in that group.
inline void channel_points::sum_groups(std::vector<int32_t>& comp, std::vector<component_stats>& stats) const {
  const std::vector<int32_t>& group = run_sets_.parent;
  const std::size_t m = index.size();
  comp.resize(m);
  int32_t current = -1;
  component_stats run;
  for (std::size_t id = 0; id < m; ++id) {
    const int32_t c = group[static_cast<std::size_t>(run_of_[id])];
    comp[id] = c;
    if (c != current) {
      if (current >= 0) stats[static_cast<std::size_t>(current)] = run;
      current = c;
      run = stats[static_cast<std::size_t>(c)];
    }
    const float d = value[id];
    run.n = run.n + 1.0f;
    run.s = run.s + d;
    run.q = run.q + d * d;
    if (d > run.m) run.m = d;
  }
  if (current >= 0) stats[static_cast<std::size_t>(current)] = run;
}

void channel_points::apply_labels(const std::vector<int32_t>& comp,
                                  const std::vector<int32_t>& number) {
  point_label.resize(index.size());
  for (std::size_t id = 0; id < index.size(); ++id) {
    const int32_t l = number[static_cast<std::size_t>(comp[id])];
    point_label[id] = l;
    label[static_cast<std::size_t>(index[id])] = l;
  }
}

void channel_points::store_labels(grid_store& gridi) const {
  std::fill(gridi.clust.begin(), gridi.clust.end(), -1);
  for (std::size_t id = 0; id < index.size(); ++id) {
    int32_t g[3];
    unpack_ijk(ijk[id], g);
    gridi.clust[gridi.index(g[0], g[1], g[2])] = point_label[id];
  }
}

}  // namespace porvane
