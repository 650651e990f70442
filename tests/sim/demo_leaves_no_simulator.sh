#!/usr/bin/env bash
# quillon --demo never leaves its simulated terminal behind: not after a normal exit, not after
# SIGTERM, not after SIGKILL. Usage: demo_leaves_no_simulator.sh BIN_DIR
set -u
bin="$1"
dir=$(mktemp -d)
trap 'pkill -KILL -f "$dir/quillon-sim" 2>/dev/null; rm -rf "$dir"' EXIT
# A private copy, so that only our own simulator processes are counted.
cp "$bin/quillon" "$bin/quillon-sim" "$bin/cmdprofile.xml" "$dir/"
export QT_QPA_PLATFORM=offscreen

sims() { pgrep -f "$dir/quillon-sim"; }
wait_for() {  # wait_for yes|no: until a simulator runs, or until none does (10 s at most)
  for _ in $(seq 1 100); do
    if [ "$1" = yes ]; then [ -n "$(sims)" ] && return 0; else [ -z "$(sims)" ] && return 0; fi
    sleep 0.1
  done
  return 1
}

fail=0
"$dir/quillon" --demo --quit-when-idle >/dev/null 2>&1 || { echo "demo run failed"; fail=1; }
wait_for no || { echo "simulator left after a normal exit"; fail=1; }

for sig in TERM KILL; do
  "$dir/quillon" --demo >/dev/null 2>&1 &
  pid=$!
  wait_for yes || { echo "no simulator started (SIG$sig run)"; fail=1; }
  kill -"$sig" "$pid"
  wait "$pid" 2>/dev/null
  wait_for no || { echo "simulator left after SIG$sig"; fail=1; }
done

[ "$fail" -eq 0 ] && echo "no simulator left behind"
exit "$fail"
