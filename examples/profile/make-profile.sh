#!/usr/bin/env bash
# Writes the example profile: 16 synthetic soundings, 2 km apart along a
# west-east line at 22.5 degrees south, over a conductive sedimentary basin
# (5 Ohm-m) that thickens from 0.3 km at the ends to 2.5 km in the middle,
# under a 200 Ohm-m cover of 0.2 km and above a 2000 Ohm-m basement. A
# 30 Ohm-m lower crust lies at 15 km. 3 % complex noise, seeded, so that the
# files are the same on every run. Then fits a four-layer model to the XY
# curve of each sounding and writes the 16 results to profile.int, the file
# the section pictures are drawn from.
#
# Usage: examples/profile/make-profile.sh [path/to/mtvuk-cli]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
cli="${1:-$here/../../build/apps/mtvuk-cli/mtvuk-cli}"
for i in $(seq 1 16); do
  # Distance from the middle of the line, 0 at the centre, 1 at the ends.
  basin=$(awk -v i="$i" 'BEGIN { u = (i - 8.5) / 7.5; printf "%.2f", 0.3 + 2.2 * (1 - u * u) }')
  deep=$(awk -v b="$basin" 'BEGIN { printf "%.2f", 15 - 0.2 - b }')
  long=$(awk -v i="$i" 'BEGIN { printf "%.4f", 135.0 + 0.0195 * (i - 1) }')
  elev=$(awk -v i="$i" 'BEGIN { printf "%.0f", 420 - 12 * i + 40 * sin(i / 2.5) }')
  name=$(printf "P%02d" "$i")
  "$cli" export --layers "200:0.2,5:$basin,2000:$deep,30" --noise 3 --seed "$i" \
    --name "$name" --lat -22.5 --long "$long" --elev "$elev" \
    --out "$here/$name.PLT"
done
echo "wrote 16 soundings to $here"
# The fit appends to an INT file: start it afresh.
rm -f "$here/profile.int"
(cd "$here" && "$cli" invert P*.PLT --mode xy --layers 100:0.5,100:3,100:10,100 \
  --int profile.int > /dev/null)
echo "wrote their fitted models to $here/profile.int"
