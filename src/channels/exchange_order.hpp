// The outcome of the size sort of the clusters: an exchange sort that, for
// each position a in turn, exchanges record a with every later record that
// is strictly larger at the moment it is compared.
#pragma once

#include <cstdint>
#include <vector>

namespace porvane {

// order[t] = the index (into sizes) of the record that the exchange sort
// leaves at position t. Equal sizes are never exchanged, so ties end as the
// exchanges carry them. Each exchange is found by a search for the next
// strictly larger record, so the cost is (records + exchanges) · log(records).
std::vector<int32_t> exchange_order(const std::vector<int32_t>& sizes);

}  // namespace porvane
