#!/usr/bin/env bash
# Takes docs/main-window.png: the main window after "Get Names" on a small
# sample folder, as a real X server (Xvfb) draws it; and docs/link-window.png:
# the "Calculator link" window serving that folder over a pseudo-terminal pair
# to C-Kermit's own client standing in for the calculator, which fetches two
# files and sends one back.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build/default}"
cmake --build "$build" --target quillmere_screenshot

# A fixed, readable path: the window shows it in its folder field.
sample="${TMPDIR:-/tmp}/HP39 aplets"
rm -rf "$sample"
mkdir "$sample"
# The device the link window lists, as readable: its other end, the
# calculator's, lies in a folder of its own.
devices="${TMPDIR:-/tmp}/serial-ports"
lines="$(mktemp -d)"
rm -rf "$devices"
trap 'rm -rf "$sample" "$devices" "$lines"; [ -z "${socat:-}" ] || kill "$socat"' EXIT
printf 'HP39AscA 9 Quadratic\r\n' >"$sample/QUADRAT.000"
printf 'HP39AscB 15 Triangle Solver\r\n' >"$sample/TRISOLVE.000"
printf 'HP39AscA 10 Statistics\r\n' >"$sample/STATS.000"
printf 'HP39AscC 13 Exam reminder\r\n' >"$sample/EXAMNOTE.000"
printf 'HP39AscA 7 Vectors\r\n' >"$sample/VECTORS.000"

shoot() {
  xvfb-run --auto-servernum --server-args="-screen 0 1024x768x24" \
    env QT_QPA_PLATFORM=xcb QUILLMERE_SERIAL_DEVICES="$devices" \
    "$build/docs/quillmere_screenshot" "$sample" "$root/docs/$1" "${@:2}"
  echo "Wrote $root/docs/$1"
}
shoot main-window.png

mkdir "$devices" "$lines/calculator-files"
printf 'HP39AscA 10 Statistics\r\nnew results\r\n' >"$lines/calculator-files/STATS.000"
socat pty,raw,echo=0,link="$devices/ttyUSB0" pty,raw,echo=0,link="$lines/calculator" &
socat=$!
while [ ! -e "$lines/calculator" ]; do sleep 0.1; done
# It waits on the line, trying again, until the window serves.
kermit -Y -C "cd $lines/calculator-files, set line $lines/calculator, set carrier-watch off, \
get QUADRAT.000, get TRISOLVE.000, send STATS.000, exit" >/dev/null &
shoot link-window.png link
