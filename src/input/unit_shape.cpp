#include "input/unit_shape.hpp"

#include <cmath>
#include <utility>

#include "common/linear_algebra.hpp"

namespace porvane {

namespace {

bool is_ca_or_p_name(const atom_record& atom) {
  return atom.atname == " CA " || atom.atname == "  P ";
}

// Mass and centre: every listed chain found contributes its SEQRES mass once
// per operator and its CA/P centroid under each operator; the centre is the
// mean of those transformed centroids.
void unit_mass_and_centre(bio_unit& unit, const crystal_record& celli,
                          const std::vector<char>& ids) {
  unit.mw = 0.0f;
  for (float& c : unit.com) c = 0.0f;
  const int32_t nops = stored_count(unit.nops, maxbioops);
  int32_t copies = 0;
  for (char id : ids) {
    const int32_t j = find_chain(celli, id);
    if (j < 0) continue;
    const chain_entry& chain = celli.chain[j];
    unit.mw = unit.mw + static_cast<float>(unit.nops) * chain.mw;
    for (int32_t o = 0; o < nops; ++o) {
      float moved[3];
      apply_operator(unit.ops[o], chain.centroid, moved);
      for (int c = 0; c < 3; ++c) unit.com[c] = unit.com[c] + moved[c];
    }
    if (unit.nops > 0) copies += unit.nops;
  }
  // A unit without chain copies keeps its centre at the origin.
  if (copies > 0)
    for (float& c : unit.com) c = c / static_cast<float>(copies);
}

// The gyration tensor sums over the CA and P atoms of the listed chains under
// every operator, relative to the unit's centre: each product in single
// precision, widened before it is added.
unit_tensor gyration_sums(const bio_unit& unit, const crystal_record& celli,
                          const atom_store& atoms, int32_t nslots, const std::vector<char>& ids) {
  unit_tensor t;
  const int32_t nops = stored_count(unit.nops, maxbioops);
  for (char id : ids) {
    if (find_chain(celli, id) < 0) continue;
    for (int32_t o = 0; o < nops; ++o) {
      for (int32_t a = 0; a < nslots; ++a) {
        const atom_record& atom = atoms.pdbdata[a];
        if (atom.chainid.at(1) != id || !is_ca_or_p_name(atom)) continue;
        float moved[3];
        apply_operator(unit.ops[o], atom.xyz, moved);
        const float dx = moved[0] - unit.com[0];
        const float dy = moved[1] - unit.com[1];
        const float dz = moved[2] - unit.com[2];
        ++t.ncopies;
        double(&s)[3][3] = t.sums;
        s[0][0] = s[0][0] + static_cast<double>(dy * dy) + static_cast<double>(dz * dz);
        s[1][1] = s[1][1] + static_cast<double>(dx * dx) + static_cast<double>(dz * dz);
        s[2][2] = s[2][2] + static_cast<double>(dx * dx) + static_cast<double>(dy * dy);
        s[0][1] = s[0][1] + static_cast<double>(dx * dy);
        s[1][0] = s[1][0] + static_cast<double>(dx * dy);
        s[0][2] = s[0][2] + static_cast<double>(dx * dz);
        s[2][0] = s[2][0] + static_cast<double>(dx * dz);
        s[1][2] = s[1][2] + static_cast<double>(dy * dz);
        s[2][1] = s[2][1] + static_cast<double>(dy * dz);
      }
    }
  }
  return t;
}

}  // namespace

std::vector<char> listed_chains(const fixed_text<400>& chainlist) {
  std::vector<char> ids;
  constexpr std::size_t n = fixed_text<400>::size();
  for (std::size_t k = 2; k <= n; k += 3) {
    bool visit = k == 2 || (k + 1 <= n && chainlist.at(k + 1) == ',') || chainlist.at(k - 2) == ',';
    if (!visit) break;
    ids.push_back(chainlist.at(k));
  }
  return ids;
}

int32_t find_chain(const crystal_record& celli, char id) {
  const int32_t nchains = stored_count(celli.nchains, maxchains);
  for (int32_t j = 0; j < nchains; ++j)
    if (celli.chain[j].id.at(1) == id) return j;
  return -1;
}

void sort_moments(float w[3]) {
  if (w[0] > w[1]) std::swap(w[0], w[1]);
  if (w[0] > w[2]) std::swap(w[0], w[2]);
  if (w[1] > w[2]) std::swap(w[1], w[2]);
}

void set_shape_descriptors(bio_unit& unit) {
  const float* w = unit.moments;
  float wsum = w[0] + w[1] + w[2];
  unit.rg = 0.0f;
  unit.asphericity = 0.0f;
  unit.acylindricity = 0.0f;
  unit.anisotropy = 0.0f;
  if (!(wsum > 0.0f)) return;
  unit.rg = std::sqrt(wsum);
  unit.asphericity = w[2] - 0.5f * (w[0] + w[1]);
  unit.acylindricity = w[1] - w[0];
  unit.anisotropy = 1.5f * (w[0] * w[0] + w[1] * w[1] + w[2] * w[2]) / (wsum * wsum) - 0.5f;
}

unit_tensor describe_unit(bio_unit& unit, const crystal_record& celli, const atom_store& atoms,
                          int32_t nslots) {
  const std::vector<char> ids = listed_chains(unit.chainlist);
  unit_mass_and_centre(unit, celli, ids);
  unit_tensor t = gyration_sums(unit, celli, atoms, nslots, ids);

  float* w = unit.moments;
  for (int i = 0; i < 3; ++i) w[i] = 0.0f;
  if (t.ncopies > 0) {
    double tensor[3][3], vectors[3][3];
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j) tensor[i][j] = t.sums[i][j] / static_cast<double>(t.ncopies);
    t.converged = dsyevj3(tensor, vectors, w);
  }
  sort_moments(w);
  set_shape_descriptors(unit);
  return t;
}

}  // namespace porvane
