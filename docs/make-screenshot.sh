#!/usr/bin/env bash
# Takes docs/main-window.png: the main window after "Get Names" on a small
# sample folder, as a real X server (Xvfb) draws it.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build/default}"
cmake --build "$build" --target quillmere_screenshot

# A fixed, readable path: the window shows it in its folder field.
sample="${TMPDIR:-/tmp}/HP39 aplets"
rm -rf "$sample"
mkdir "$sample"
trap 'rm -rf "$sample"' EXIT
printf 'HP39AscA 9 Quadratic\r\n' >"$sample/QUADRAT.000"
printf 'HP39AscB 15 Triangle Solver\r\n' >"$sample/TRISOLVE.000"
printf 'HP39AscA 10 Statistics\r\n' >"$sample/STATS.000"
printf 'HP39AscC 13 Exam reminder\r\n' >"$sample/EXAMNOTE.000"
printf 'HP39AscA 7 Vectors\r\n' >"$sample/VECTORS.000"

xvfb-run --auto-servernum --server-args="-screen 0 1024x768x24" \
  env QT_QPA_PLATFORM=xcb "$build/docs/quillmere_screenshot" "$sample" "$root/docs/main-window.png"
echo "Wrote $root/docs/main-window.png"
