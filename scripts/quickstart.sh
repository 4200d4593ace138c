#!/usr/bin/env bash
# Sets up, builds and runs porvane on the example structure.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
mkdir -p run && cd run
../build/porvane ../examples/1ubq.pdb
