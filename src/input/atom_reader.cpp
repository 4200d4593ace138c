#include "input/atom_reader.hpp"

#include <cmath>
#include <cstdio>
#include <string>
#include <string_view>

#include "common/fixed_columns.hpp"
#include "common/limits.hpp"
#include "common/report_writer.hpp"
#include "common/run_stop.hpp"
#include "common/text_file.hpp"
#include "input/element_mass_table.hpp"
#include "input/radius_rules.hpp"

namespace porvane {

namespace {

// Sets ichain (0-based) to the last chain entry whose identifier is `id`;
// keeps it when no entry has it yet.
void find_chain_entry(const crystal_record& celli, const fixed_text<1>& id, int32_t& ichain) {
  for (int32_t e = 0; e < celli.nchains; ++e)
    if (celli.chain[e].id == id.view()) ichain = e;
}

// Index of `resname` among the SEQRES names of `entry`, -1 when absent.
int32_t seqres_name_index(const chain_entry& entry, const fixed_text<3>& resname) {
  const int32_t nres = stored_count(entry.nres, maxseqres);
  for (int32_t r = 0; r < nres; ++r)
    if (entry.seqres[r] == resname.view()) return r;
  return -1;
}

// Radius of a pseudo-atom beyond the spread of its residue (Å).
constexpr float pseudo_atom_margin = 1.6f;

bool starts_with(const std::string& record, std::string_view prefix) {
  return record.compare(0, prefix.size(), prefix) == 0;
}

// Only atom records take atom slots: every other record between the atoms
// (MODEL, TER, ANISOU, SIGATM, blank lines, ...) is passed over unparsed, and
// so is a hydrogen whose name starts in column 14.
bool takes_a_slot(const std::string& record) {
  return (starts_with(record, "ATOM  ") || starts_with(record, "HETATM")) && record[13] != 'H';
}

bool is_ca_or_p(const atom_record& atom) { return atom.atname == " CA " || atom.element == " P"; }

// One read of the atom records: the slot being filled and the few values of
// the slot before it that the alternate-location and chain rules look at.
struct atom_read {
  atom_read(const run_params& p, atom_store& a, const run_flags& f, crystal_record& c,
            const text_file& t)
      : params(p), atoms(a), count(a.count), flags(f), celli(c), file(t) {}

  const run_params& params;
  atom_store& atoms;
  atom_counts& count;
  const run_flags& flags;
  crystal_record& celli;
  const text_file& file;

  int32_t k = 0;                    // slot of the current record (1-based)
  int32_t ichain = 0;               // chain entry (0-based) of the previous record's lookup
  fixed_text<1> current_alt{" "};   // alternate location chosen in this residue
  bool have_prev = false;           // slot k-1 holds a record
  int32_t prev_resseq = 0;          // its residue number
  fixed_text<1> prev_chainid{" "};  // its chain identifier

  atom_record parse(const std::string& record) const {
    atom_record atom;
    read_fixed(record, "(a6,i5,1x,a4,a1,a3,1x,a1,i4,4x,3(f8.3),2(f6.2),10x,a2)",
               input_place{file.name(), file.line_number()}, atom.recname, atom.serial, atom.atname,
               atom.altloc, atom.resname, atom.chainid, atom.resseq, atom.xyz[0], atom.xyz[1],
               atom.xyz[2], atom.occupancy, atom.bfactor, atom.element);
    // The text fields go into the report and the coordinate files.
    blank_control_bytes(atom.atname);
    blank_control_bytes(atom.altloc);
    blank_control_bytes(atom.resname);
    blank_control_bytes(atom.chainid);
    blank_control_bytes(atom.element);
    atom.chanflag = 0;
    get_atomradius(params.atomradius, atom, flags);
    return atom;
  }

  // Keeps the record of slot k in the stores, unless the slot lies beyond
  // the limit: then it is only counted, and the run stops after the read.
  void store(const atom_record& atom) {
    if (k > atoms.slot_limit) return;
    auto slot = static_cast<std::size_t>(k - 1);
    if (atoms.pdbdata.size() <= slot) {
      atoms.pdbdata.resize(slot + 1);
      atoms.coords.resize(3 * (slot + 1));
    }
    atoms.pdbdata[slot] = atom;
    for (int c = 0; c < 3; ++c) atoms.coords[3 * slot + c] = atom.xyz[c];
  }

  void register_chain(const fixed_text<1>& id) {
    if (celli.nchains >= maxchains)
      stop_after_line("Number of chains exceeds maximum: ", maxchains,
                      ". Increase maxchains and recompile.");
    chain_entry& entry = celli.chain[celli.nchains];
    ++celli.nchains;
    report().free("  Chain ", celli.nchains, id);
    entry.id = id;
    entry.ncap = 0;
    for (float& c : entry.centroid) c = 0.0f;
  }

  bool chain_known(const fixed_text<1>& id) const {
    for (int32_t e = 0; e < celli.nchains; ++e)
      if (celli.chain[e].id == id.view()) return true;
    return false;
  }

  // The record's chain entry and whether its residue name is in that entry's
  // SEQRES list. Only HETATM records ask for the list: for them the answer
  // decides between atom and heteroatom.
  bool lookup_seqres(const atom_record& atom) {
    find_chain_entry(celli, atom.chainid, ichain);
    return atom.recname == "HETATM" && seqres_name_index(celli.chain[ichain], atom.resname) >= 0;
  }

  // An ATOM record, or a HETATM record of a SEQRES residue: B statistics,
  // alternate locations, counting. False when the record is discarded.
  bool accept(const atom_record& atom) {
    celli.bsum = celli.bsum + atom.bfactor;
    if (atom.bfactor < celli.bmin) celli.bmin = atom.bfactor;
    if (atom.bfactor > celli.bmax) celli.bmax = atom.bfactor;

    if (!have_prev || atom.resseq != prev_resseq) current_alt = " ";
    if (atom.altloc == " ") {
    } else if (current_alt == " ") {
      current_alt = atom.altloc;
    } else if (!(atom.altloc == current_alt.view())) {
      if (flags.vb >= 1)
        report().free("Alternate conformation ", atom.altloc, " of atom ", atom.atname,
                      " in residue ", atom.resseq, " encountered and discarded.");
      ++count.naltloc;
      celli.bsum = celli.bsum - atom.bfactor;
      return false;
    }

    ++count.natoms;
    celli.mwatoms = celli.mwatoms + mass(atom.element.view());
    if (is_ca_or_p(atom)) {
      chain_entry& entry = celli.chain[celli.nchains - 1];
      for (int c = 0; c < 3; ++c) entry.centroid[c] = entry.centroid[c] + atom.xyz[c];
      ++entry.ncap;
    }
    if (flags.vb >= 2)
      report().line("('Num: ',I5,' Residue:',A3,x,i5,' Atom:',A4,' Element:',A2,' Radius:',f5.2)",
                    k, atom.resname, atom.resseq, atom.atname, atom.element, atom.radius);
    return true;
  }

  // Filters, acceptance and chain registration for the atom record just
  // parsed into slot k.
  void process(const atom_record& atom) {
    const bool found = lookup_seqres(atom);
    if (is_ca_or_p(atom)) ++count.nca;
    store(atom);

    bool keep = true;
    if (flags.mb != 0 && atom.recname == "ATOM  " && atom.bfactor > params.maxbfactor) {
      if (flags.vb >= 1)
        report().free("Atom ", atom.atname, " of residue ", atom.resseq,
                      " with bfactor: ", atom.bfactor, " will be ignored.");
      keep = false;
    } else if (atom.recname == "ATOM  " || found) {
      keep = accept(atom);
    } else {  // a heteroatom of a residue its chain's SEQRES does not list
      const bool water = atom.resname == "HOH";
      ++count.nhetero;
      if (water) ++count.nwaters;
      keep = flags.hn != 0 ? !water : flags.ha != 0;
    }
    if (!keep) {
      --k;  // the next record takes this slot
      return;
    }
    // A record that keeps its slot and starts a chain identifier not met
    // before registers it. The first slot in use registers its chain too,
    // for the case that the first record of the file was dropped.
    bool new_id = !have_prev || !(atom.chainid == prev_chainid.view());
    if (new_id && !chain_known(atom.chainid)) register_chain(atom.chainid);
    have_prev = true;
    prev_resseq = atom.resseq;
    prev_chainid = atom.chainid;
  }
};

// Stops the run when the pseudo-atom of a residue has a centre or radius
// that single precision cannot hold (coordinates whose sum, or whose
// squared spread, overflows): it could be neither mapped nor written. A
// radius above the largest distance a map holds would write a map that no
// run can read back: it stops the run too.
void check_pseudo_atom(const atom_record& last, const float mean[3], float radius,
                       const std::string& pdbname) {
  const bool centre = std::isfinite(mean[0]) && std::isfinite(mean[1]) && std::isfinite(mean[2]);
  if (centre && radius <= max_map_distance) return;
  const std::string residue = "cannot use residue " + std::string(last.resname.view()) + " " +
                              std::string(last.chainid.view()) + " " + std::to_string(last.resseq) +
                              " of file " + pdbname + " under -cg: the ";
  if (centre && std::isfinite(radius)) {
    char text[120];
    std::snprintf(text, sizeof text, "radius of its pseudo-atom, %g Å, is above %.0f Å, the largest distance a map holds",
                  static_cast<double>(radius), static_cast<double>(max_map_distance));
    io_failure(residue + text);
  }
  io_failure(residue + (centre ? "radius" : "centre") +
             " of its pseudo-atom lies beyond the range of single precision");
}

// Closes run m of residue records, slots s..e (0-based; q = e - s + 1): the
// pseudo-atom at the run's mean with the run's rms spread plus a margin, in
// slot m, taking the residue of the run's last record.
void close_residue_run(atom_store& atoms, std::size_t m, std::size_t s, std::size_t e,
                       const std::string& pdbname) {
  const auto q = static_cast<float>(e - s + 1);
  float* pc = &atoms.pseudocoords[4 * m];
  float mean[3];
  for (int c = 0; c < 3; ++c) mean[c] = pc[c] / q;
  pc[3] = 0.0f;
  for (std::size_t i = s; i <= e; ++i) {
    const float* x = atoms.pdbdata[i].xyz;
    const float dx = x[0] - mean[0], dy = x[1] - mean[1], dz = x[2] - mean[2];
    pc[3] = pc[3] + dx * dx + dy * dy + dz * dz;
  }
  const float radius = std::sqrt(pc[3] / q) + pseudo_atom_margin;
  check_pseudo_atom(atoms.pdbdata[e], mean, radius, pdbname);
  for (int c = 0; c < 3; ++c) pc[c] = mean[c];
  pc[3] = radius;

  // Slot m is at or before slot s: it is overwritten after every value read from it.
  const atom_record& last = atoms.pdbdata[e];
  const fixed_text<3> resname = last.resname;
  const int32_t resseq = last.resseq;
  atom_record& slot = atoms.pdbdata[m];
  for (int c = 0; c < 3; ++c) slot.xyz[c] = atoms.coords[3 * m + c] = mean[c];
  slot.radius = radius;
  slot.resname = resname;
  slot.resseq = resseq;
  slot.atname = " PSE";
}

// Replaces the n records in use by one pseudo-atom per run of consecutive
// slots with equal residue numbers.
void coarse_grain(atom_store& atoms, std::size_t n, const std::string& pdbname) {
  atoms.pseudocoords.assign(4 * n, 0.0f);
  const auto& pd = atoms.pdbdata;
  std::size_t m = 0, s = 0;  // the run being summed and its first slot
  for (int c = 0; c < 3; ++c) atoms.pseudocoords[c] = pd[0].xyz[c];
  for (std::size_t j = 1; j < n; ++j) {
    if (pd[j].resseq != pd[j - 1].resseq) {
      close_residue_run(atoms, m, s, j - 1, pdbname);
      ++m;
      s = j;
      for (int c = 0; c < 3; ++c) atoms.pseudocoords[4 * m + c] = pd[j].xyz[c];
    } else {
      float* pc = &atoms.pseudocoords[4 * m];
      for (int c = 0; c < 3; ++c) pc[c] = pc[c] + pd[j].xyz[c];
    }
  }
  close_residue_run(atoms, m, s, n - 1, pdbname);
  atoms.count.npseudo = static_cast<int32_t>(m + 1);
}

}  // namespace

void read_atoms(const std::string& pdbname, const run_params& params, atom_store& atoms,
                const run_flags& flags, crystal_record& celli) {
  // The name exactly as given, as the header reader opens it.
  text_file file(pdbname, input_line_width);
  atom_read r(params, atoms, flags, celli, file);
  atoms.pdbdata.clear();
  atoms.coords.clear();
  atoms.pseudocoords.clear();
  atoms.count = atom_counts{};

  std::string record;
  bool first = false;
  while (!first && file.next(record))
    first = starts_with(record, "ATOM  ") || starts_with(record, "HETATM");
  if (first) {
    celli.mwatoms = 0.0f;
    celli.bsum = 0.0f;
    celli.bmin = 1000.0f;
    celli.bmax = 0.0f;
    celli.nchains = 0;
    r.k = 1;
    atom_record atom = r.parse(record);
    r.register_chain(atom.chainid);
    r.process(atom);
    while (file.next(record)) {
      if (!takes_a_slot(record)) continue;
      ++r.k;
      r.process(r.parse(record));
    }
  }
  file.close();
  atoms.nslots = r.k;
  const int32_t n = atoms.nstored();
  atoms.pdbdata.resize(static_cast<std::size_t>(n));
  atoms.coords.resize(3 * static_cast<std::size_t>(n));

  // A chain without CA or P atoms keeps its centroid at the origin.
  for (int32_t e = 0; e < celli.nchains; ++e) {
    chain_entry& entry = celli.chain[e];
    if (entry.ncap == 0) continue;
    for (float& c : entry.centroid) c = c / static_cast<float>(entry.ncap);
  }
  const atom_counts& count = atoms.count;
  const bool mainly_ca =
      count.natoms == 0
          ? count.nca > 0
          : static_cast<float>(count.nca) / static_cast<float>(count.natoms) > params.cafraccut;
  if (mainly_ca) {
    report().free("Alpha carbons/phosphorous: ", count.nca, "   All atoms: ", count.natoms);
    report().free("File contains mainly alpha carbons or phosphorous atoms.");
  }

  if (flags.cg != 0 && n > 0) coarse_grain(atoms, static_cast<std::size_t>(n), pdbname);
}

void get_chres(const std::vector<atom_record>& pdbdata, int32_t i, const crystal_record& celli,
               int32_t& ichain, fixed_text<3>& resname, int32_t& found) {
  const atom_record& atom = pdbdata[static_cast<std::size_t>(i - 1)];
  find_chain_entry(celli, atom.chainid, ichain);
  const int32_t r = seqres_name_index(celli.chain[ichain], atom.resname);
  found = r >= 0 ? 1 : 0;
  if (r >= 0) resname = celli.chain[ichain].seqres[r];
}

}  // namespace porvane
