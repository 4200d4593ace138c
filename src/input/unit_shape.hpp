// Pieces of the biological-unit description: the chain-list walk and the
// shape descriptors from the eigenvalues of a unit's gyration tensor.
#pragma once

#include <vector>

#include "common/crystal_record.hpp"

namespace porvane {

// Chain identifiers of a unit's chain list, in order: positions 2, 5, 8, ...
// (1-based) while the position is the first one or its identifier is
// followed or preceded by a comma.
std::vector<char> listed_chains(const fixed_text<400>& chainlist);

// Sorts three eigenvalues ascending by the exchanges (1,2), (1,3), (2,3).
void sort_moments(float w[3]);

// rg, asphericity, acylindricity and anisotropy of `unit` from its sorted
// moments; all 0 when the moments sum to 0 or less (no shape).
void set_shape_descriptors(bio_unit& unit);

}  // namespace porvane
