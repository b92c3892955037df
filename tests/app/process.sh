#!/bin/sh
# The window as a process, started as a desktop starts it: "--" ends the
# options, so a folder named like an option is a folder; and SIGTERM (a
# logout, "kill") ends the window through its event loop, with status 0,
# even while a message box is open.
set -u
program=$1
out=$(mktemp)
trap 'rm -f "$out"' EXIT
QT_QPA_PLATFORM=offscreen "$program" -- --version >"$out" 2>&1 &
pid=$!
# SIGTERM is sent once the program holds it back, as it does from its start.
for _ in $(seq 100); do
  blocked=$(sed -n 's/^SigBlk:[[:space:]]*//p' "/proc/$pid/status" 2>/dev/null)
  [ -n "$blocked" ] && [ $((0x$blocked & 0x4000)) -ne 0 ] && break
  sleep 0.1
done
kill -TERM "$pid"
for _ in $(seq 100); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
  kill -KILL "$pid"
  echo "FAIL: the window did not end on SIGTERM"
  exit 1
fi
wait "$pid"
status=$?
[ "$status" -eq 0 ] || { echo "FAIL: the window ended with status $status on SIGTERM"; exit 1; }
if grep -q "quillmere 1" "$out"; then
  echo "FAIL: \"--version\" after \"--\" was taken as an option"
  exit 1
fi
echo "The window took \"--version\" after \"--\" as a folder and ended on SIGTERM with status 0."
