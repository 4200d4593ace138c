#!/usr/bin/env bash
# Sets up, builds and runs porvane on the example structure in the folder run/:
# the report goes to the screen and to run/1ubq_report.txt, and the run also
# writes the Reeb-graph script (-rb) and the expanded coordinates (-ex). Ends by
# listing the files of run/. A second run replaces the files of the first.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
mkdir -p run
cd run
# Output files are created new (the map excepted): clear those of an earlier run.
rm -f 1ubq.pdb 1ubq_report.txt 1ubq_channel_2.0.map reeb_graph.py 1ubq_expanded.pdb
cp ../examples/1ubq.pdb .
../build/porvane 1ubq.pdb -rb -ex | tee 1ubq_report.txt
echo
echo "Files in $(pwd):"
ls -l
