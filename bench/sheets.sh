#!/usr/bin/env bash
# Whole-process figures of tavrelo-sheets on a release build: medians by hyperfine, peak resident
# memory by /usr/bin/time -v, and the size of the PDF. Not a test; run by `make bench`.
#   bench/sheets.sh [path to tavrelo-sheets]
set -euo pipefail
exe=${1:-build/release/sheets/tavrelo-sheets}
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
export QT_QPA_PLATFORM=offscreen

hyperfine -N --warmup 3 --runs 30 --export-csv "$out/one.csv" \
  "$exe -q --seed 1 -o $out/one.pdf" >/dev/null
hyperfine -N --warmup 2 --runs 15 --export-csv "$out/hundred.csv" \
  "$exe -q --seed 1 --sheets 100 -o $out/hundred.pdf" >/dev/null

# hyperfine's CSV: command,mean,stddev,median,... in seconds.
median_ms() { awk -F, 'NR == 2 { printf "%.1f", $4 * 1000 }' "$1"; }
peak_mb() {
  /usr/bin/time -v "$exe" -q --seed 1 --sheets "$1" -o "$out/rss.pdf" 2>&1 |
    awk -F: '/Maximum resident set size/ { printf "%.1f", $2 / 1024 }'
}

echo "1 sheet + answer sheet (2 pages):      median $(median_ms "$out/one.csv") ms   (goal 60 ms)"
echo "100 sheets + answer sheets (200 pages): median $(median_ms "$out/hundred.csv") ms   (goal 600 ms)"
echo "peak resident, 100 sheets:   $(peak_mb 100) MB   (goal 80 MB)"
echo "peak resident, 1000 sheets:  $(peak_mb 1000) MB   (must not grow with the sheets)"
echo "PDF of 200 pages: $(stat -c %s "$out/hundred.pdf") bytes   (goal 1 MB)"
