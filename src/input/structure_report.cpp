#include "input/structure_report.hpp"

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "common/limits.hpp"
#include "common/report_writer.hpp"
#include "input/atom_reader.hpp"
#include "input/linear_algebra.hpp"
#include "input/unit_shape.hpp"

namespace porvane {

namespace {

// Partial specific volume assumed when there is no SEQRES (cc/g).
constexpr float psv_protein_assumed = 0.74f;
// Converts cc/g and Å³/Da into the solvent fraction: 1 - 1.66·psv/Vm.
constexpr float vm_to_solvent = 1.66f;

void print_nchains(const crystal_record& celli) {
  report().line("('   Number of chains:',I6)", celli.nchains);
}

void print_nbio(const crystal_record& celli) {
  report().line("('   Number of biological units:',I6)", celli.nbio);
}

void print_unit(int32_t b, const bio_unit& unit) {
  report().line("('     Unit: ',I3,X,A10,' (',A130,')')", b, unit.name, unit.chainlist);
}

int32_t count_bio(const crystal_record& celli) { return celli.nbio < maxbio ? celli.nbio : maxbio; }

int32_t count_ops(const bio_unit& unit) { return unit.nops < maxbioops ? unit.nops : maxbioops; }

// ASU volume, Vm and solvent content from the mass `mw` of the asymmetric unit.
void print_vm(crystal_record& celli, float psv, float mw) {
  report().line("('   ASU Volume (Å^3):',f12.1)", celli.cellvol / static_cast<float>(celli.nsym));
  celli.vm = celli.cellvol / (static_cast<float>(celli.nsym) * mw);
  celli.solvent = 1.0f - vm_to_solvent * psv / celli.vm;
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

void report_contents_seqres(crystal_record& celli, const run_params& params) {
  int32_t nprot = celli.nprotres;
  int32_t nnuc = celli.nnucres;
  int32_t noth = celli.nothres;
  int32_t nres = celli.nresseq;
  report().line("('   Number of protein/na residues (from seqres):',I6)", nres);
  report().line("('   Mw (from seqres): ',f10.0,' Daltons')", celli.mwseq);
  // Without residues there is no composition to give: all shares print 0.
  float fprot = 0.0f, fnuc = 0.0f, foth = 0.0f;
  if (nres != 0) {
    fprot = 100.0f * static_cast<float>(nprot) / static_cast<float>(nres);
    fnuc = 100.0f * static_cast<float>(nnuc) / static_cast<float>(nres);
    foth = 100.0f * static_cast<float>(noth) / static_cast<float>(nres);
  }
  report().line("('   Composition (% protein/nucleic acid/unknown): ',f6.2,x,f6.2,x,f6.2)", fprot,
                fnuc, foth);
  // SEQRES residues of neither class only: taken as protein.
  float psv = params.psvprot;
  if (nprot + nnuc != 0)
    psv = (static_cast<float>(nprot) * params.psvprot + static_cast<float>(nnuc) * params.psvnuc) /
          static_cast<float>(nprot + nnuc);
  report().line("('   Partial specific volume estimate (cc/g, based on fraction prot/nuc): ',f4.2)",
                psv);
  celli.mwatoms = celli.mwatoms / (1.0f - params.hfrac);
  print_vm(celli, psv, celli.mwseq);
}

void report_contents_atoms(crystal_record& celli, const run_params& params) {
  celli.mwatoms = celli.mwatoms / (1.0f - params.hfrac);
  report().line("('   Seqres absent')");
  report().line("('   Mw (from atoms): ',f10.0,' Daltons')", celli.mwatoms);
  // The principal radii of the asymmetric unit's contents are not computed.
  report().line("('   Principal radii of gyration for contents of asu: ',3f6.1)", 0.0f, 0.0f, 0.0f);
  print_nchains(celli);
  print_nbio(celli);
  for (int32_t b = 1; b <= count_bio(celli); ++b) print_unit(b, celli.biounit[b - 1]);
  report().line("('   Composition assumed to be purely protein - no nucleic acids')");
  float psv = psv_protein_assumed;
  report().line("('   Partial specific volume estimate (cc/g, assuming no nucleic acids): ',f4.2)",
                psv);
  print_vm(celli, psv, celli.mwatoms);
}

// Index of the first chain record with identifier `id`, or -1.
int32_t find_chain(const crystal_record& celli, char id) {
  int32_t nchains = celli.nchains < maxchains ? celli.nchains : maxchains;
  for (int32_t j = 0; j < nchains; ++j)
    if (celli.chain[j].id.at(1) == id) return j;
  return -1;
}

void report_missing_chain(char id) {
  report().free("Problem! Chain ", std::string_view(&id, 1),
                " appears to not have been in the seqres list.");
}

// y := R·x + t for a unit operator [R t; 0 0 0 1].
void apply_op(const float op[4][4], const float x[3], float y[3]) {
  for (int i = 0; i < 3; ++i) y[i] = op[i][0] * x[0] + op[i][1] * x[1] + op[i][2] * x[2] + op[i][3];
}

bool is_ca_or_p_name(const atom_record& atom) {
  return atom.atname == " CA " || atom.atname == "  P ";
}

// Molecular weight, centre, gyration tensor and shape descriptors of one
// biological unit.
void report_unit(int32_t b, bio_unit& unit, crystal_record& celli, const run_params& params,
                 const run_flags& flags, const atom_store& atoms) {
  unit.mw = 0.0f;
  for (float& c : unit.com) c = 0.0f;
  print_unit(b, unit);
  int32_t nops = count_ops(unit);
  std::vector<char> ids = listed_chains(unit.chainlist);

  int32_t copies = 0;
  for (char id : ids) {
    int32_t j = find_chain(celli, id);
    if (j < 0) {
      report_missing_chain(id);
      continue;
    }
    const chain_entry& chain = celli.chain[j];
    unit.mw = unit.mw + static_cast<float>(unit.nops) * chain.mw;
    for (int32_t o = 0; o < nops; ++o) {
      const float(&op)[4][4] = unit.ops[o];
      if (flags.vb >= 1) {
        report().free("Applying rotation matrix:    ", op[0][0], op[1][0], op[2][0], op[0][1],
                      op[1][1], op[2][1], op[0][2], op[1][2], op[2][2]);
        report().free("Applying translation vector: ", op[0][3], op[1][3], op[2][3]);
      }
      float moved[3];
      apply_op(op, chain.centroid, moved);
      for (int c = 0; c < 3; ++c) unit.com[c] = unit.com[c] + moved[c];
    }
    if (unit.nops > 0) copies += unit.nops;
    report().line("('       Ch: ',X,A1,'  MW: ',F9.0,' COM: ',3F6.1,' Copies: ',I3)", chain.id,
                  chain.mw, chain.centroid[0], chain.centroid[1], chain.centroid[2], unit.nops);
  }
  // A unit without chain copies keeps its centre at the origin.
  if (copies > 0)
    for (float& c : unit.com) c = c / static_cast<float>(copies);
  celli.mwbio = celli.mwbio + unit.mw;

  // The slots holding atoms of the last read; under -cg the pseudo-atoms
  // have replaced the records, and none of them is an alpha carbon.
  int32_t nslots = atoms.nstored();
  if (flags.cg != 0 && params.npseudo < nslots) nslots = params.npseudo;
  double tensor[3][3] = {};
  int32_t n = 0;
  for (char id : ids) {
    if (find_chain(celli, id) < 0) {
      report_missing_chain(id);
      continue;
    }
    for (int32_t o = 0; o < nops; ++o) {
      for (int32_t a = 0; a < nslots; ++a) {
        const atom_record& atom = atoms.pdbdata[a];
        if (atom.chainid.at(1) != id || !is_ca_or_p_name(atom)) continue;
        float moved[3];
        apply_op(unit.ops[o], atom.xyz, moved);
        float dx = moved[0] - unit.com[0];
        float dy = moved[1] - unit.com[1];
        float dz = moved[2] - unit.com[2];
        ++n;
        tensor[0][0] = tensor[0][0] + static_cast<double>(dy * dy) + static_cast<double>(dz * dz);
        tensor[1][1] = tensor[1][1] + static_cast<double>(dx * dx) + static_cast<double>(dz * dz);
        tensor[2][2] = tensor[2][2] + static_cast<double>(dx * dx) + static_cast<double>(dy * dy);
        tensor[0][1] = tensor[0][1] + static_cast<double>(dx * dy);
        tensor[1][0] = tensor[1][0] + static_cast<double>(dx * dy);
        tensor[0][2] = tensor[0][2] + static_cast<double>(dx * dz);
        tensor[2][0] = tensor[2][0] + static_cast<double>(dx * dz);
        tensor[1][2] = tensor[1][2] + static_cast<double>(dy * dz);
        tensor[2][1] = tensor[2][1] + static_cast<double>(dy * dz);
      }
    }
  }
  if (flags.vb >= 2) {
    report().free("1,2:", tensor[0][1], tensor[1][0], tensor[0][1] - tensor[1][0]);
    report().free("1,3:", tensor[0][2], tensor[2][0], tensor[0][2] - tensor[2][0]);
    report().free("3,2:", tensor[2][1], tensor[1][2], tensor[2][1] - tensor[1][2]);
  }

  float* w = unit.moments;
  for (int i = 0; i < 3; ++i) w[i] = 0.0f;
  if (n > 0) {
    for (auto& row : tensor)
      for (double& v : row) v = v / static_cast<double>(n);
    double vectors[3][3];
    dsyevj3(tensor, vectors, w);
  }
  sort_moments(w);
  // Without atoms, or with all of them at the centre, the unit has no shape:
  // its descriptors stay 0 and their lines are left out.
  set_shape_descriptors(unit);
  bool has_shape = n > 0 && unit.rg > 0.0f;
  report().line("('       MW: ',X,F9.0,' For C-alphas: COM: ',3f7.1,' RG: ',3f10.1)", unit.mw,
                unit.com[0], unit.com[1], unit.com[2], unit.rg);
  if (!has_shape) return;
  // A moment a hair below zero is rounding of a flat or linear unit.
  float root[3];
  for (int i = 0; i < 3; ++i) root[i] = w[i] > 0.0f ? std::sqrt(w[i]) : 0.0f;
  float rg2 = unit.rg * unit.rg;
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

// a·b, held at the largest int32 when the product does not fit.
int32_t count_product(int32_t a, int32_t b) {
  int64_t p = static_cast<int64_t>(a) * static_cast<int64_t>(b);
  if (p > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(p);
}

void report_atom_types(const crystal_record& celli, const run_params& params) {
  // Without atoms there are no B factors to summarise: all three print 0.
  float bmin = 0.0f, bmax = 0.0f, bavg = 0.0f;
  if (params.natoms != 0) {
    bmin = celli.bmin;
    bmax = celli.bmax;
    bavg = celli.bsum / static_cast<float>(params.natoms);
  }
  report().free();
  report().free("Atom types:");
  report().line("('   Atoms(non-hydrogen): ',i10,' with min/max/average b-factor: ',3(x,f5.1))",
                params.natoms, bmin, bmax, bavg);
  report().free("    Alternate locations (ignored, just first location is considered): ",
                params.naltloc);
  report().free("    Alpha-carbons/phosphorous atoms: ", params.nca);
  report().free("  Heteroatoms(non-hydrogen): ", params.nhetero);
  report().free("    Waters: ", params.nwaters);
  report().free("    Non-water: ", params.nhetero - params.nwaters);
}

}  // namespace

void structure_report(crystal_record& celli, run_params& params, run_flags& flags,
                      atom_store& atoms, run_state& state) {
  report_crystal(celli);

  report().line("(' Contents of asymmetric unit:')");
  print_nchains(celli);
  if (params.hasseqres != 0)
    report_contents_seqres(celli, params);
  else
    report_contents_atoms(celli, params);

  report().free("Biological units:");
  print_nbio(celli);
  celli.mwbio = 0.0f;
  for (int32_t b = 1; b <= count_bio(celli); ++b)
    report_unit(b, celli.biounit[b - 1], celli, params, flags, atoms);
  report().line("('    MW of all biological units: ',F10.0)", celli.mwbio);

  int32_t nncs = celli.nncs < maxncsops ? celli.nncs : maxncsops;
  state.nncs_applied = 0;
  for (int32_t i = 0; i < nncs; ++i)
    if (celli.ncsgiven[i] == 0) ++state.nncs_applied;

  report_atom_types(celli, params);
  if (state.nncs_applied > 0)
    report().free(" NCS operators will be applied (", state.nncs_applied,
                  " operators) to complete asu.");

  // Non-water heteroatoms as a share of everything that would be mapped.
  int32_t nonwater = params.nhetero - params.nwaters;
  int32_t all = params.natoms + nonwater;
  float fraction = all != 0 ? static_cast<float>(nonwater) / static_cast<float>(all) : 0.0f;
  if (params.natoms == 0) report().free("No atoms found...");
  if (fraction > params.hetfraccut)
    report().free(" Greater than,", params.hetfraccut,
                  " of atoms are heteroatoms (excluding waters)...");
  if (params.natoms == 0 || fraction > params.hetfraccut) {
    report().free(" Rereading file to include heteroatoms (without waters)");
    params.natoms = 0;
    params.nca = 0;
    params.nwaters = 0;
    params.nhetero = 0;
    params.npseudo = 0;
    params.naltloc = 0;
    flags.hn = 1;
    read_atoms(state.pdbname, params, atoms, flags, celli);
  }

  if (flags.ha != 0) {
    report().free("  All heteroatoms will be included in calculation of distance map...");
    params.natoms += params.nhetero;
  }
  if (flags.hn != 0) {
    report().free("  Non-water heteroatoms will be included in calculation of distance map...");
    if (flags.ha == 0) params.natoms += params.nhetero - params.nwaters;
  }

  if (flags.ca != 0) {
    report().free("  Only alpha carbons or phosphorous atoms will be used");
    report().free("  Number of atoms to be used for calculation of distance map: ",
                  count_product(params.nca, state.nncs_applied));
  } else if (flags.cg != 0) {
    report().free("  Residues to be approximated with pseudoatoms");
    report().free("  Number of pseudoatoms to be used for calculation of distance map: ",
                  count_product(params.npseudo, state.nncs_applied));
  } else {
    report().free("  Number of atoms to be used for calculation of distance map: ",
                  count_product(params.natoms, state.nncs_applied));
  }
  report().free();
}

}  // namespace porvane
