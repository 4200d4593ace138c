// Run-wide switches and settings: one instance of each per run, passed by
// reference to nearly every stage.
#pragma once

#include <cstdint>
#include <string>

#include "fixed_text.hpp"
#include "limits.hpp"

namespace porvane {

// One int32 switch per option, in this order; 0 off, 1 on (vb holds a level).
struct run_flags {
  int32_t vb = 0;        // verbosity level 0..3
  int32_t ex = 0;        // write the expanded-coordinates file
  int32_t ha = 0;        // include all heteroatoms
  int32_t hn = 0;        // include non-water heteroatoms (also set by the re-read)
  int32_t writemap = 1;  // write the distance map file (cleared by -nm, -rm)
  int32_t cm = 0;        // write the grid-point coordinate file
  int32_t nc = 0;        // write the nearest-channel coordinate file
  int32_t rm = 0;        // read a distance map instead of computing one
  int32_t nn = 0;        // ignore MTRIX records
  int32_t f = 0;         // keep the grid size whatever the time estimate says
  int32_t multiscale = 1;// multiscale cluster analysis (cleared by -s)
  int32_t ho = 0;        // stop after the header
  int32_t h = 0;         // print the help text and stop
  int32_t sl = 0;        // symmetry operators from the symmetry library
  int32_t cl = 0;        // write channel centre-line files
  int32_t p1 = 0;        // treat the crystal as P1
  int32_t ar = 0;        // tortuosity from cross-sectional area
  int32_t rb = 0;        // build the Reeb graph
  int32_t mb = 0;        // B-factor limit active
  int32_t ru = 0;        // one uniform radius for all atoms
  int32_t rv = 0;        // van der Waals radii for N and O
  int32_t rc = 1;        // Coulomb radii for N and O
  int32_t ca = 0;        // only alpha-carbon and phosphorus atoms
  int32_t zm = 0;        // zoom search instead of the distance map
  int32_t ns = 0;        // map name without the grid size
  int32_t cg = 0;        // coarse-grained residue pseudo-atoms
};

// Numeric settings, file-name parts and fixed constants. The atom reader's
// counters live with the atoms (atom_store::count).
struct run_params {
  float atomradius = 1.6f;       // uniform atom radius with -ru (Å)
  float gridsize = 2.0f;         // grid spacing (Å)
  float channel_cutoff = 1.4f;   // channel threshold and first multiscale radius (Å)
  float stepsize = 0.2f;         // multiscale radius step (Å)
  float cafraccut = 0.9f;        // CA fraction for the "mainly alpha carbons" note
  float hetfraccut = 0.25f;      // non-water heteroatom fraction forcing a re-read
  float maxtime = 3.0f;          // distance-map time budget (minutes)
  float pocketcountcut = 1.0f;   // minimum pocket share of channel points (%)
  float deepcut = 10.0f;         // depth threshold of the porosity scan (Å)
  float clustcountcut = 0.01f;   // minimum cluster share of channel points (fraction)
  std::string basename{};        // input name without directory and last extension
  std::string dirname{};         // directory part of the input name, with final "/"
  int32_t ldir = 0;              // trimmed length of dirname
  int32_t lbase = 0;             // trimmed length of basename
  float hfrac = 0.071f;          // hydrogen mass fraction
  float proberadius = 1.4f;      // cutoff of the projected effective radii (Å)
  float psvprot = 0.74f;         // partial specific volume of protein (cc/g)
  float psvnuc = 0.5f;           // partial specific volume of nucleic acid (cc/g)
  int32_t hasseqres = 0;         // 1 when the header had SEQRES records
  int32_t reebdir = 4;           // Reeb direction 1..3, 4 = all
  float reebcutoff = 0.0f;       // Reeb cutoff, 0 = maximum 3D radius (Å)
  float maxbfactor = 1000.0f;    // B-factor limit with -mb
  int32_t boxlo[3] = {0, 0, 0};  // low corner of the search box (grid indices)
  int32_t boxhi[3] = {0, 0, 0};  // high corner of the search box
  int32_t trimlevel = 1;         // Reeb trimming level 0..2
  int32_t clusternum = 1;        // Reeb cluster, 0 = all
};

constexpr const char* program_version = "0.5  February 2015";

// Run-wide variables of the main program that several stages share. File
// names are held whole, whatever their length.
struct run_state {
  std::string pdbname;               // input coordinate file
  std::string mapfile;               // map read with -rm
  fixed_text<30> version{program_version};
  int32_t nheader = 0;               // kept header lines
  int32_t gridmax[3] = {0, 0, 0};    // grid intervals nx, ny, nz
  int32_t gridmin[3] = {0, 0, 0};    // lower grid index of every scan
  int32_t nncs_applied = 0;          // NCS operators the distance map applies
  int32_t nclust = 0;                // clusters kept at the current cutoff
  float cutoff = 0.0f;               // current cluster cutoff (Å)
  float dmax = 0.0f;                 // largest grid distance (Å)
  std::string mapname;               // output file names
  std::string gridname;
  std::string ncname;
  std::string expandedname;
};

}  // namespace porvane
