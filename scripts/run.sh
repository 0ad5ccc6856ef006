#!/usr/bin/env bash
# Sets up the machine, builds, and runs the main job: the bundled sample spectra
# converted into all four formats, in demo-output/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh build
out=demo-output
rm -rf "$out"
for format in tab comma kirobench spc; do
    mkdir -p "$out/$format"
    cp samples/*_ks "$out/$format/"
    build/tools/kiroconv-cli convert --format "$format" --log "$out/LogFile.log" "$out/$format"
done
echo
echo "Outputs are in $out/; the activity log is $out/LogFile.log"
