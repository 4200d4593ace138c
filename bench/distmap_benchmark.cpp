// Benchmark of the distance map on a synthetic crystal: the fast map over
// the whole grid against the literal procedure timed on a slab and scaled.
//
//   porvane_distmap_benchmark [a b c natoms gridsize]
//   porvane_distmap_benchmark --pdb file gridsize
//   porvane_distmap_benchmark --group clump|spread natoms gridsize
//
// Defaults: a 139 × 163 × 208 Å cell in P 21 21 21 (4 operators) with 22000
// atoms in globular molecules, grid 1.0 Å; or the crystal of a PDB file as
// the input readers give it; or distinct atoms in a 50 Å cell of P 1, inside
// a 1 Å cube at its centre (a clump) or over the whole cell (spread). Prints grid points, atom copies, processor
// seconds, the predicted literal time, the speed-up, peak memory, and checks
// the fast map against the literal one at sample points.
#include <sys/resource.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "common/atom_record.hpp"
#include "common/crystal_record.hpp"
#include "common/grid_store.hpp"
#include "common/run_params.hpp"
#include "distmap/distance_map.hpp"
#include "distmap/unit_cell_grid.hpp"
#include "reference/loaded_structure.hpp"

using namespace porvane;

namespace {

constexpr float group_cell = 50.0f;  // cell edge of the clump and spread crystals (Å)

// P 21 21 21 in fractional form: rotation diagonal and translation.
const int rot_diag[4][3] = {{1, 1, 1}, {-1, -1, 1}, {-1, 1, -1}, {1, -1, -1}};
const float trn[4][3] = {{0, 0, 0}, {0.5f, 0, 0.5f}, {0, 0.5f, 0.5f}, {0.5f, 0.5f, 0}};

void make_crystal(crystal_record& c, float a, float b, float cc, int32_t nsym = 4) {
  const float edge[3] = {a, b, cc};
  for (int i = 0; i < 3; ++i) {
    c.cell[i] = edge[i];
    c.cell[i + 3] = 90.0f;
    c.orthmat[i][i] = edge[i];
    c.fracmat[i][i] = 1.0f / edge[i];
  }
  c.nsym = nsym;
  for (int s = 0; s < nsym; ++s) {
    for (int r = 0; r < 3; ++r) {
      c.rsym[s][r][r] = static_cast<float>(rot_diag[s][r]);
      c.rsym[s][r][3] = trn[s][r] * edge[r];
    }
    c.rsym[s][3][3] = 1.0f;
  }
  c.nncs = 1;
  for (int r = 0; r < 3; ++r) c.rncs[0][r][r] = 1.0f;
}

// Atoms in globules of protein density (one atom per 17 Å³) inside the
// asymmetric unit's share of the cell, about half of the cell volume in all.
void make_atoms(atom_store& atoms, const crystal_record& c, int natoms, std::mt19937& rng) {
  const double atom_volume = 17.0;
  const double globule_radius = 22.0;
  const double per_globule = 4.0 / 3.0 * 3.14159265 * std::pow(globule_radius, 3) / atom_volume;
  const int nglob = std::max(1, static_cast<int>(std::ceil(natoms / per_globule)));
  std::uniform_real_distribution<double> u(0.0, 1.0);
  std::vector<std::array<double, 3>> centres;
  for (int g = 0; g < nglob; ++g)
    centres.push_back({u(rng) * c.cell[0], u(rng) * c.cell[1], u(rng) * 0.5 * c.cell[2]});
  for (int a = 0; a < natoms; ++a) {
    const auto& ctr = centres[static_cast<std::size_t>(a % nglob)];
    double p[3];
    do {
      for (double& v : p) v = (2 * u(rng) - 1) * globule_radius;
    } while (p[0] * p[0] + p[1] * p[1] + p[2] * p[2] > globule_radius * globule_radius);
    atom_record rec;
    rec.atname = " C  ";
    rec.element = " C";
    rec.radius = 1.5f + 0.3f * static_cast<float>(u(rng));
    for (int k = 0; k < 3; ++k) rec.xyz[k] = static_cast<float>(ctr[k] + p[k]);
    atoms.pdbdata.push_back(rec);
    for (int k = 0; k < 3; ++k) atoms.coords.push_back(rec.xyz[k]);
  }
  atoms.nslots = natoms;
}

// Distinct carbon atoms, on the 0.001 Å lattice of the PDB columns: inside
// a cube of 1 Å at the centre of the cell (a clump) or over the whole cell.
void make_group(atom_store& atoms, const crystal_record& c, bool clump, int natoms,
                std::mt19937& rng) {
  const float span = clump ? 1.0f : c.cell[0];
  const float low = clump ? 0.5f * (c.cell[0] - span) : 0.0f;
  std::uniform_int_distribution<int> u(0, static_cast<int>(std::lround(span * 1000.0f)));
  std::set<std::array<int, 3>> seen;
  while (static_cast<int>(seen.size()) < natoms) {
    const std::array<int, 3> at = {u(rng), u(rng), u(rng)};
    if (!seen.insert(at).second) continue;
    atom_record rec;
    rec.atname = " C  ";
    rec.element = " C";
    rec.radius = 1.74f;
    for (int k = 0; k < 3; ++k) rec.xyz[k] = low + static_cast<float>(at[k]) / 1000.0f;
    atoms.pdbdata.push_back(rec);
    for (int k = 0; k < 3; ++k) atoms.coords.push_back(rec.xyz[k]);
  }
  atoms.nslots = natoms;
}

// The crystal and atoms of a PDB file as a run reads them, the report lines
// discarded; false, the reason on standard error, when the file holds no
// cell, no symmetry operators or no atoms for the map.
bool read_pdb(const char* name, crystal_record& c, atom_store& atoms, run_params& params) {
  const auto s = bench::load_structure(name, run_flags{}, params);
  if (!s) return false;
  c = *s->celli;
  atoms = std::move(s->atoms);
  params = s->params;
  return true;
}

long peak_kb() {
  rusage ru{};
  getrusage(RUSAGE_SELF, &ru);
  return ru.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
  float a = 139.0f, b = 163.0f, cc = 208.0f, gridsize = 1.0f;
  int natoms = 22000;
  static crystal_record celli;
  atom_store atoms;
  std::mt19937 rng(4242);
  run_params params;
  if (argc == 4 && std::string(argv[1]) == "--pdb") {
    gridsize = std::strtof(argv[3], nullptr);
    if (!read_pdb(argv[2], celli, atoms, params)) return 2;
    a = celli.cell[0];
    b = celli.cell[1];
    cc = celli.cell[2];
    natoms = atoms.count.natoms;
  } else if (argc == 5 && std::string(argv[1]) == "--group" &&
             (std::string(argv[2]) == "clump" || std::string(argv[2]) == "spread")) {
    a = b = cc = group_cell;
    natoms = std::atoi(argv[3]);
    gridsize = std::strtof(argv[4], nullptr);
    make_crystal(celli, a, b, cc, 1);
    make_group(atoms, celli, std::string(argv[2]) == "clump", natoms, rng);
  } else if (argc == 6) {
    a = std::strtof(argv[1], nullptr);
    b = std::strtof(argv[2], nullptr);
    cc = std::strtof(argv[3], nullptr);
    natoms = std::atoi(argv[4]);
    gridsize = std::strtof(argv[5], nullptr);
  } else if (argc != 1) {
    std::fprintf(stderr,
                 "usage: %s [a b c natoms gridsize | --pdb file gridsize | --group clump|spread "
                 "natoms gridsize]\n",
                 argv[0]);
    return 2;
  }
  if (atoms.pdbdata.empty()) {
    make_crystal(celli, a, b, cc);
    make_atoms(atoms, celli, natoms, rng);
  }
  params.gridsize = gridsize;
  atoms.count.natoms = natoms;
  run_flags flags;
  int32_t gridmax[3];
  set_gridmax(params, celli, gridmax);
  grid_store gridi;
  coord_range range;
  fill_grid_positions(params, celli, gridmax, gridi, range);

  const float t0 = processor_seconds();
  int32_t moved = 0;
  const std::vector<atom_copy> copies = collect_atom_copies(flags, celli, atoms, false, moved);
  const fast_map_stats st = distance_map_fast(celli, copies, gridi);
  const float fast_seconds = processor_seconds() - t0;

  const long fast_peak_kb = peak_kb();

  // Check: the literal map at sample points, every copy applied to the point
  // alone, against what the fast map left there.
  std::uniform_int_distribution<int32_t> ui(0, gridmax[0]), uj(0, gridmax[1]), uk(0, gridmax[2]);
  int mismatches = 0;
  const int nprobe = 200;
  for (int t = 0; t < nprobe; ++t) {
    const int32_t i = ui(rng), j = uj(rng), k = uk(rng);
    run_params one = params;
    one.boxlo[0] = one.boxhi[0] = i;
    one.boxlo[1] = one.boxhi[1] = j;
    one.boxlo[2] = one.boxhi[2] = k;
    const std::size_t p = gridi.index(i, j, k);
    const float dist = gridi.dist[p];
    const int32_t ids[3] = {gridi.iatom[p], gridi.isym[p], gridi.incs[p]};
    gridi.dist[p] = 10000.0f;
    for (const atom_copy& cp : copies)
      check_next_atom(cp.a, cp.s, cp.n, one, celli, cp.x, cp.f, gridi, gridmax, atoms);
    if (std::bit_cast<uint32_t>(dist) != std::bit_cast<uint32_t>(gridi.dist[p]) ||
        ids[0] != gridi.iatom[p] || ids[1] != gridi.isym[p] || ids[2] != gridi.incs[p])
      ++mismatches;
  }

  // The literal procedure on the plane i = 0 for a share of the copies,
  // scaled to every plane and every copy.
  run_params box = params;
  for (int c = 0; c < 3; ++c) {
    box.boxlo[c] = 0;
    box.boxhi[c] = gridmax[c];
  }
  box.boxhi[0] = 0;
  const std::size_t share = std::min<std::size_t>(copies.size(), 2000);
  const float l0 = processor_seconds();
  for (std::size_t t = 0; t < share; ++t) {
    const atom_copy& cp = copies[t];
    check_next_atom(cp.a, cp.s, cp.n, box, celli, cp.x, cp.f, gridi, gridmax, atoms);
  }
  const float slab_seconds = processor_seconds() - l0;
  const double literal_seconds = static_cast<double>(slab_seconds) * (gridmax[0] + 1) *
                                 (static_cast<double>(copies.size()) / static_cast<double>(share));

  std::printf("%d atoms, %d symmetry and %d NCS operators\n", natoms, celli.nsym, celli.nncs);
  std::printf("cell %.1f x %.1f x %.1f A, gridsize %.3f A, grid %d x %d x %d intervals\n", a, b, cc,
              gridsize, gridmax[0], gridmax[1], gridmax[2]);
  std::printf("grid points       %zu\n", gridi.points());
  std::printf("atom copies       %zu (sites %lld)\n", copies.size(), static_cast<long long>(st.sites));
  std::printf("fast map          %.2f s processor (copies %.2f s, sites %.2f s, points %.2f s),"
              " %.1f evaluations per point, %lld of %lld blocks in the tree\n",
              fast_seconds, fast_seconds - st.setup_seconds - st.block_seconds, st.setup_seconds,
              st.block_seconds,
              static_cast<double>(st.evaluations) / static_cast<double>(gridi.points()),
              static_cast<long long>(st.tree_blocks), static_cast<long long>(st.blocks));
  std::printf("literal (scaled)  %.0f s from %.3f s on one plane with %zu copies\n", literal_seconds,
              slab_seconds, share);
  std::printf("speed-up          %.0f x\n", literal_seconds / fast_seconds);
  std::printf("peak memory       %.0f MB (maximum resident set after the map)\n",
              static_cast<double>(fast_peak_kb) / 1024.0);
  std::printf("check             %d of %d sample points differ from the literal map\n", mismatches,
              nprobe);
  return mismatches == 0 ? 0 : 1;
}
