// The sites of the fast distance map, laid into bucket grids by class of
// radius.
//
// Each copy becomes a few sites: its direct position, valid at every grid
// point, and one image position per combination of per-axis image shifts,
// valid on the box of grid indices where check_next_atom would apply exactly
// that shift. Copies whose radius passes the common one by far are bucketed
// apart, by class of radius, so that the reach of a search over each class
// grows only by that class's largest radius: a few huge atoms do not make
// every search reach over them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/cell_frame.hpp"
#include "common/grid_store.hpp"
#include "distmap/atom_copies.hpp"
#include "distmap/distance_kernel.hpp"
#include "distmap/site_buckets.hpp"

namespace porvane {

class site_grid {
 public:
  // Lays out the sites of `copies` for the grid of gridi (its counts and
  // point positions). Sites that would take more than map_memory_limit, or
  // a grid whose indices do not fit a site's box, stop the run (status 1).
  site_grid(const cell_frame& frame, const std::vector<atom_copy>& copies, const grid_store& gridi);

  // The sites, class after class, each class in the order of its buckets.
  const std::vector<map_site>& sites() const { return binned_; }
  // The buckets of each class of radius; class 0 holds the common radii.
  const std::vector<site_buckets>& classes() const { return classes_; }
  // Volume of the box of the grid points (Å³), each edge at least 1 Å.
  double grid_volume() const { return grid_volume_; }

  // The buckets of cb that hold every site within `reach` of the box
  // blo..bhi, widened beyond the rounding of the largest coordinate.
  void bucket_range(const site_buckets& cb, const float blo[3], const float bhi[3], float reach,
                    int32_t lo[3], int32_t hi[3]) const {
    cb.range(blo, bhi, reach, slack_, lo, hi);
  }

  // The copy of class 0 whose direct position lies nearest (surface
  // distance) to x, by rings of buckets around it; rings without sites are
  // passed over, and the search ends where no copy could come within the
  // start distance. -1 when none does.
  int32_t nearest_direct_copy(const float x[3]) const;

 private:
  const cell_frame frame_;
  const std::vector<atom_copy>& copies_;
  int32_t n_[3];
  double grid_volume_ = 1.0;
  std::vector<shift_run> runs_[3];      // image-shift runs of the copy at hand
  std::vector<map_site> binned_;
  std::vector<site_buckets> classes_;
  std::vector<uint8_t> class_of_copy_;  // class of each copy; empty: all in class 0
  float slack_ = bucket_slack;          // widening of bucket ranges (Å)

  // Calls emit(site) for the direct site of copy ci and then for each of
  // its image sites, in that order.
  template <class F>
  void for_each_site(std::size_t ci, F&& emit);
  void classify_radii(double edge);
  std::size_t class_of(std::size_t ci) const { return class_of_copy_.empty() ? 0 : class_of_copy_[ci]; }
  void build_sites(const grid_store& gridi);
  void fill_buckets(std::size_t l);
};

}  // namespace porvane
