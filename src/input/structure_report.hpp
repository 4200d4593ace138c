// Crystal, contents, biological-unit and atom-type report, and the
// heteroatom policy, each as a computing step and a printing step.
#pragma once

#include <vector>

#include "common/atom_record.hpp"
#include "common/crystal_record.hpp"
#include "common/run_params.hpp"
#include "input/unit_shape.hpp"

namespace porvane {

// What the description derives beyond the fields of celli.
struct structure_figures {
  float psv = 0.0f;                // partial specific volume of the contents (cc/g)
  std::vector<unit_tensor> units;  // per biological unit
};

// Computes from the header and the first read of the atoms: the atoms' mass
// without hydrogen (celli.mwatoms, divided in place), Vm and solvent
// content, mass, centre and shape of every biological unit with their total
// (celli.mwbio), and the NCS operators the map applies (state.nncs_applied).
structure_figures describe_structure(crystal_record& celli, const run_params& params,
                                     const run_flags& flags, const atom_store& atoms,
                                     run_state& state);

// Prints the crystal, contents, biological-unit and atom-type report of what
// describe_structure computed.
void structure_report(const crystal_record& celli, const run_params& params, const run_flags& flags,
                      const atom_store& atoms, const run_state& state,
                      const structure_figures& figures);

// Prints the heteroatom policy's lines and returns whether the atoms are to
// be read again with the non-water heteroatoms (no atoms, or more than
// params.hetfraccut of them non-water heteroatoms).
bool heteroatom_reread_needed(const atom_counts& count, const run_params& params);

// Adds the heteroatoms that the switches keep to count.natoms and prints the
// switches' lines and the number of atoms the distance map will use.
void report_atom_use(const run_flags& flags, atom_counts& count, const run_state& state);

}  // namespace porvane
