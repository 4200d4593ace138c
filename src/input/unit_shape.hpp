// A biological unit described from its chains and operators: molecular
// weight, centre, gyration tensor of its alpha carbons and the shape
// descriptors from the tensor's eigenvalues.
#pragma once

#include <cstdint>
#include <vector>

#include "common/atom_record.hpp"
#include "common/crystal_record.hpp"

namespace porvane {

// Chain identifiers of a unit's chain list, in order: positions 2, 5, 8, ...
// (1-based) while the position is the first one or its identifier is
// followed or preceded by a comma.
std::vector<char> listed_chains(const fixed_text<400>& chainlist);

// Index of the first chain record with identifier `id`, or -1.
int32_t find_chain(const crystal_record& celli, char id);

// Sorts three eigenvalues ascending by the exchanges (1,2), (1,3), (2,3).
void sort_moments(float w[3]);

// rg, asphericity, acylindricity and anisotropy of `unit` from its sorted
// moments; all 0 when the moments sum to 0 or less (no shape).
void set_shape_descriptors(bio_unit& unit);

// What the description of a unit leaves besides the fields of bio_unit.
struct unit_tensor {
  double sums[3][3] = {};  // gyration tensor sums before the division
  int32_t ncopies = 0;     // atom copies summed into it
  bool converged = true;   // the eigen-solver converged
};

// Fills mw, com, moments and the descriptors of `unit` from the chain records
// of celli and the CA and P atoms of the first `nslots` slots.
unit_tensor describe_unit(bio_unit& unit, const crystal_record& celli, const atom_store& atoms,
                          int32_t nslots);

}  // namespace porvane
