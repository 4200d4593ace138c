#include "input/structure_report.hpp"

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

#include "common/limits.hpp"
#include "common/report_writer.hpp"
#include "common/run_stop.hpp"

namespace porvane {

namespace {

// Partial specific volume assumed when there is no SEQRES (cc/g).
constexpr float psv_protein_assumed = 0.74f;
// Converts cc/g and Å³/Da into the solvent fraction: 1 - 1.66·psv/Vm.
constexpr float vm_to_solvent = 1.66f;

// Partial specific volume of the SEQRES composition; residues of neither
// class only are taken as protein.
float seqres_psv(const crystal_record& celli, const run_params& params) {
  const int32_t nprot = celli.nprotres, nnuc = celli.nnucres;
  if (nprot + nnuc == 0) return params.psvprot;
  return (static_cast<float>(nprot) * params.psvprot + static_cast<float>(nnuc) * params.psvnuc) /
         static_cast<float>(nprot + nnuc);
}

// Vm and the solvent content from the mass `mw` of the asymmetric unit.
// Without any mass (no SEQRES residues, elements of unknown mass) there is
// no volume per dalton to give: Vm is 0.0 and the crystal all solvent.
void set_vm(crystal_record& celli, float psv, float mw) {
  if (mw == 0.0f) {
    celli.vm = 0.0f;
    celli.solvent = 1.0f;
    return;
  }
  celli.vm = celli.cellvol / (static_cast<float>(celli.nsym) * mw);
  celli.solvent = 1.0f - vm_to_solvent * psv / celli.vm;
}

// Operators or coordinates so large that the unit's centre or moments leave
// single precision give no shape the report could print: the run stops,
// naming the unit's BIOMOLECULE line.
void usable_shape(const bio_unit& unit, int32_t b, const std::string& pdbname) {
  const float figures[] = {unit.com[0], unit.com[1], unit.com[2], unit.moments[0], unit.moments[1],
                           unit.moments[2], unit.rg, unit.asphericity, unit.acylindricity,
                           unit.anisotropy};
  for (float f : figures)
    if (!std::isfinite(f))
      io_failure("cannot use biological unit " + std::to_string(b) + " of file " + pdbname +
                 ", line " + std::to_string(unit.line) +
                 ": its atoms under its BIOMT operators lie beyond the range of single precision");
}

// Slots holding atoms of the last read; under -cg the pseudo-atoms have
// replaced the records, and none of them is an alpha carbon.
int32_t slots_in_use(const run_flags& flags, const atom_store& atoms) {
  const int32_t nslots = atoms.nstored();
  return flags.cg != 0 ? stored_count(atoms.count.npseudo, nslots) : nslots;
}

void print_nchains(const crystal_record& celli) {
  report().line("('   Number of chains:',I6)", celli.nchains);
}

void print_nbio(const crystal_record& celli) {
  report().line("('   Number of biological units:',I6)", celli.nbio);
}

void print_unit(int32_t b, const bio_unit& unit) {
  report().line("('     Unit: ',I3,X,A10,' (',A130,')')", b, unit.name, unit.chainlist);
}

void print_vm(const crystal_record& celli) {
  report().line("('   ASU Volume (Å^3):',f12.1)", celli.cellvol / static_cast<float>(celli.nsym));
  report().line("('   Vm (Å^3/Da, based on Mw,psv & ASU vol): ',f6.2)", celli.vm);
  report().line("('   Solv content, or porosity (based on Vm): 'f4.2)", celli.solvent);
  report().free();
}

void report_crystal(const crystal_record& celli) {
  report().free();
  report().line("(' Crystal information:')");
  report().line("('   Space Group: Symbol: ',A10,x,' Number: ',F5.1)", celli.spgname, celli.spgnum);
  report().line("('   Symm ops:  ',I2,'   NCS ops:  ',I2)", celli.nsym, celli.nncs);
  report().line("('   Cell volume (Å^3): ',f12.1)", celli.cellvol);
  report().line("('   Cell parameters (a b c [Å]/alpha beta gamma [degrees]): ',3f12.3,x,3f10.3)",
                celli.cell[0], celli.cell[1], celli.cell[2], celli.cell[3], celli.cell[4],
                celli.cell[5]);
  report().line("('   Resolution (Å):  ',f6.2)", celli.resolution);
  report().free();
}

void report_contents_seqres(const crystal_record& celli, float psv) {
  const int32_t nres = celli.nresseq;
  report().line("('   Number of protein/na residues (from seqres):',I6)", nres);
  report().line("('   Mw (from seqres): ',f10.0,' Daltons')", celli.mwseq);
  // Without residues there is no composition to give: all shares print 0.
  float share[3] = {0.0f, 0.0f, 0.0f};
  const int32_t counts[3] = {celli.nprotres, celli.nnucres, celli.nothres};
  for (int i = 0; i < 3 && nres != 0; ++i)
    share[i] = 100.0f * static_cast<float>(counts[i]) / static_cast<float>(nres);
  report().line("('   Composition (% protein/nucleic acid/unknown): ',f6.2,x,f6.2,x,f6.2)",
                share[0], share[1], share[2]);
  report().line("('   Partial specific volume estimate (cc/g, based on fraction prot/nuc): ',f4.2)",
                psv);
  print_vm(celli);
}

void report_contents_atoms(const crystal_record& celli, float psv) {
  report().line("('   Seqres absent')");
  report().line("('   Mw (from atoms): ',f10.0,' Daltons')", celli.mwatoms);
  // The principal radii of the asymmetric unit's contents are not computed.
  report().line("('   Principal radii of gyration for contents of asu: ',3f6.1)", 0.0f, 0.0f, 0.0f);
  print_nchains(celli);
  print_nbio(celli);
  for (int32_t b = 0; b < stored_count(celli.nbio, maxbio); ++b)
    print_unit(b + 1, celli.biounit[b]);
  report().line("('   Composition assumed to be purely protein - no nucleic acids')");
  report().line("('   Partial specific volume estimate (cc/g, assuming no nucleic acids): ',f4.2)",
                psv);
  print_vm(celli);
}

void report_missing_chain(char id) {
  report().free("Problem! Chain ", std::string_view(&id, 1),
                " appears to not have been in the seqres list.");
}

// The first walk over the unit's chains: the operators applied to each
// chain found (verbosity 1) and its chain line.
void report_unit_chains(const bio_unit& unit, const crystal_record& celli,
                        const std::vector<char>& ids, const run_flags& flags) {
  const int32_t nops = stored_count(unit.nops, maxbioops);
  for (char id : ids) {
    const int32_t j = find_chain(celli, id);
    if (j < 0) {
      report_missing_chain(id);
      continue;
    }
    for (int32_t o = 0; o < nops && flags.vb >= 1; ++o) {
      const float(&op)[4][4] = unit.ops[o];
      report().free("Applying rotation matrix:    ", op[0][0], op[1][0], op[2][0], op[0][1],
                    op[1][1], op[2][1], op[0][2], op[1][2], op[2][2]);
      report().free("Applying translation vector: ", op[0][3], op[1][3], op[2][3]);
    }
    const chain_entry& chain = celli.chain[j];
    report().line("('       Ch: ',X,A1,'  MW: ',F9.0,' COM: ',3F6.1,' Copies: ',I3)", chain.id,
                  chain.mw, chain.centroid[0], chain.centroid[1], chain.centroid[2], unit.nops);
  }
}

void report_unit_shape(const bio_unit& unit, const unit_tensor& t) {
  report().line("('       MW: ',X,F9.0,' For C-alphas: COM: ',3f7.1,' RG: ',3f10.1)", unit.mw,
                unit.com[0], unit.com[1], unit.com[2], unit.rg);
  // Without atoms, or with all of them at the centre, the unit has no shape:
  // the lines of its descriptors are left out.
  if (t.ncopies == 0 || !(unit.rg > 0.0f)) return;
  // A moment a hair below zero is rounding of a flat or linear unit.
  float root[3];
  for (int i = 0; i < 3; ++i) root[i] = unit.moments[i] > 0.0f ? std::sqrt(unit.moments[i]) : 0.0f;
  const float rg2 = unit.rg * unit.rg;
  report().line(
      "('                                    Sqrt(Principal moments):                ',3f10.1)",
      root[0], root[1], root[2]);
  report().line(
      "('                                    Asphericity(normized by Rg**2):         ',f10.3)",
      unit.asphericity / rg2);
  report().line(
      "('                                    Acylindricity(normalized by Rg**2):     ',f10.3)",
      unit.acylindricity / rg2);
  report().line(
      "('                                    Shape anisotropy:                       ',f10.3)",
      unit.anisotropy);
}

void report_unit(int32_t b, const bio_unit& unit, const unit_tensor& t, const crystal_record& celli,
                 const run_flags& flags) {
  print_unit(b, unit);
  const std::vector<char> ids = listed_chains(unit.chainlist);
  report_unit_chains(unit, celli, ids, flags);
  for (char id : ids)  // the second walk, over the atoms, meets the same missing chains
    if (find_chain(celli, id) < 0) report_missing_chain(id);
  if (flags.vb >= 2) {
    const double(&s)[3][3] = t.sums;
    report().free("1,2:", s[0][1], s[1][0], s[0][1] - s[1][0]);
    report().free("1,3:", s[0][2], s[2][0], s[0][2] - s[2][0]);
    report().free("3,2:", s[2][1], s[1][2], s[2][1] - s[1][2]);
  }
  if (!t.converged) report().free("DSYEVJ3: No convergence.");
  report_unit_shape(unit, t);
}

// a·b, held at the largest int32 when the product does not fit.
int32_t count_product(int32_t a, int32_t b) {
  int64_t p = static_cast<int64_t>(a) * static_cast<int64_t>(b);
  if (p > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(p);
}

void report_atom_types(const crystal_record& celli, const atom_counts& count) {
  // Without atoms there are no B factors to summarise: all three print 0.
  float bmin = 0.0f, bmax = 0.0f, bavg = 0.0f;
  if (count.natoms != 0) {
    bmin = celli.bmin;
    bmax = celli.bmax;
    bavg = celli.bsum / static_cast<float>(count.natoms);
  }
  report().free();
  report().free("Atom types:");
  report().line("('   Atoms(non-hydrogen): ',i10,' with min/max/average b-factor: ',3(x,f5.1))",
                count.natoms, bmin, bmax, bavg);
  report().free("    Alternate locations (ignored, just first location is considered): ",
                count.naltloc);
  report().free("    Alpha-carbons/phosphorous atoms: ", count.nca);
  report().free("  Heteroatoms(non-hydrogen): ", count.nhetero);
  report().free("    Waters: ", count.nwaters);
  report().free("    Non-water: ", count.nhetero - count.nwaters);
}

}  // namespace

structure_figures describe_structure(crystal_record& celli, const run_params& params,
                                     const run_flags& flags, const atom_store& atoms,
                                     run_state& state) {
  structure_figures figures;
  celli.mwatoms = celli.mwatoms / (1.0f - params.hfrac);
  if (params.hasseqres != 0) {
    figures.psv = seqres_psv(celli, params);
    set_vm(celli, figures.psv, celli.mwseq);
  } else {
    figures.psv = psv_protein_assumed;
    set_vm(celli, figures.psv, celli.mwatoms);
  }

  celli.mwbio = 0.0f;
  const int32_t nslots = slots_in_use(flags, atoms);
  for (int32_t b = 0; b < stored_count(celli.nbio, maxbio); ++b) {
    figures.units.push_back(describe_unit(celli.biounit[b], celli, atoms, nslots));
    usable_shape(celli.biounit[b], b + 1, state.pdbname);
    celli.mwbio = celli.mwbio + celli.biounit[b].mw;
  }

  state.nncs_applied = 0;
  for (int32_t i = 0; i < stored_count(celli.nncs, maxncsops); ++i)
    if (celli.ncsgiven[i] == 0) ++state.nncs_applied;
  return figures;
}

void structure_report(const crystal_record& celli, const run_params& params, const run_flags& flags,
                      const atom_store& atoms, const run_state& state,
                      const structure_figures& figures) {
  report_crystal(celli);
  report().line("(' Contents of asymmetric unit:')");
  print_nchains(celli);
  if (params.hasseqres != 0)
    report_contents_seqres(celli, figures.psv);
  else
    report_contents_atoms(celli, figures.psv);

  report().free("Biological units:");
  print_nbio(celli);
  for (std::size_t b = 0; b < figures.units.size(); ++b)
    report_unit(static_cast<int32_t>(b + 1), celli.biounit[b], figures.units[b], celli, flags);
  report().line("('    MW of all biological units: ',F10.0)", celli.mwbio);

  report_atom_types(celli, atoms.count);
  if (state.nncs_applied > 0)
    report().free(" NCS operators will be applied (", state.nncs_applied,
                  " operators) to complete asu.");
}

bool heteroatom_reread_needed(const atom_counts& count, const run_params& params) {
  // Non-water heteroatoms as a share of everything that would be mapped.
  const int32_t nonwater = count.nhetero - count.nwaters;
  const int32_t all = count.natoms + nonwater;
  const float fraction = all != 0 ? static_cast<float>(nonwater) / static_cast<float>(all) : 0.0f;
  if (count.natoms == 0) report().free("No atoms found...");
  if (fraction > params.hetfraccut)
    report().free(" Greater than,", params.hetfraccut,
                  " of atoms are heteroatoms (excluding waters)...");
  const bool reread = count.natoms == 0 || fraction > params.hetfraccut;
  if (reread) report().free(" Rereading file to include heteroatoms (without waters)");
  return reread;
}

void report_atom_use(const run_flags& flags, atom_counts& count, const run_state& state) {
  // Under -ha the reader kept every heteroatom: -hn adds none beyond them.
  if (flags.ha != 0) {
    report().free("  All heteroatoms will be included in calculation of distance map...");
    count.natoms += count.nhetero;
  }
  if (flags.hn != 0) {
    report().free("  Non-water heteroatoms will be included in calculation of distance map...");
    if (flags.ha == 0) count.natoms += count.nhetero - count.nwaters;
  }

  if (flags.ca != 0) {
    report().free("  Only alpha carbons or phosphorous atoms will be used");
    report().free("  Number of atoms to be used for calculation of distance map: ",
                  count_product(count.nca, state.nncs_applied));
  } else if (flags.cg != 0) {
    report().free("  Residues to be approximated with pseudoatoms");
    report().free("  Number of pseudoatoms to be used for calculation of distance map: ",
                  count_product(count.npseudo, state.nncs_applied));
  } else {
    report().free("  Number of atoms to be used for calculation of distance map: ",
                  count_product(count.natoms, state.nncs_applied));
  }
  report().free();
}

}  // namespace porvane
