// The exchange sort replayed with a maximum tree: instead of comparing
// record a with every later record, the next later record larger than the
// current record a is looked up directly.
#include "channels/exchange_order.hpp"

#include <algorithm>
#include <limits>
#include <numeric>

namespace porvane {
namespace {

// Maximum over positions, with a search for the first position after a
// given one whose value exceeds a bound.
class max_tree {
 public:
  explicit max_tree(const std::vector<int32_t>& values) {
    leaves_ = 1;
    while (leaves_ < values.size()) leaves_ *= 2;
    node_.assign(2 * leaves_, std::numeric_limits<int32_t>::min());
    for (std::size_t i = 0; i < values.size(); ++i) node_[leaves_ + i] = values[i];
    for (std::size_t i = leaves_ - 1; i > 0; --i) node_[i] = std::max(node_[2 * i], node_[2 * i + 1]);
  }
  void set(std::size_t pos, int32_t value) {
    std::size_t i = leaves_ + pos;
    node_[i] = value;
    for (i /= 2; i > 0; i /= 2) node_[i] = std::max(node_[2 * i], node_[2 * i + 1]);
  }
  // First position > after whose value is > bound; values.size() if none.
  std::size_t first_above(std::size_t after, int32_t bound) const {
    return search(1, 0, leaves_, after + 1, bound);
  }

 private:
  std::size_t leaves_;
  std::vector<int32_t> node_;

  std::size_t search(std::size_t i, std::size_t lo, std::size_t hi, std::size_t from,
                     int32_t bound) const {
    if (hi <= from || node_[i] <= bound) return npos();
    if (hi - lo == 1) return lo;
    const std::size_t mid = (lo + hi) / 2;
    const std::size_t left = search(2 * i, lo, mid, from, bound);
    return left != npos() ? left : search(2 * i + 1, mid, hi, from, bound);
  }
  static constexpr std::size_t npos() { return std::numeric_limits<std::size_t>::max(); }
};

}  // namespace

std::vector<int32_t> exchange_order(const std::vector<int32_t>& sizes) {
  const std::size_t n = sizes.size();
  std::vector<int32_t> order(n), value = sizes;
  std::iota(order.begin(), order.end(), 0);
  if (n < 2) return order;
  max_tree tree(value);
  for (std::size_t a = 0; a + 1 < n; ++a) {
    // Record a meets the later records in turn and is exchanged with each one
    // strictly larger than what it holds at that moment.
    for (std::size_t b = tree.first_above(a, value[a]); b < n; b = tree.first_above(b, value[a])) {
      std::swap(value[a], value[b]);
      std::swap(order[a], order[b]);
      tree.set(a, value[a]);
      tree.set(b, value[b]);
    }
  }
  return order;
}

}  // namespace porvane
