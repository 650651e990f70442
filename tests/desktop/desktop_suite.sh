#!/usr/bin/env bash
# The journeys a technician makes, on a real X server: Xvfb with a window manager (openbox),
# quillon against quillon-sim, input sent with xdotool as real X events. Outcomes are read from
# the simulator's trace, the session log and the window titles; a failed case leaves a screenshot
# of the screen in the artefact folder.
#
#   desktop_suite.sh BIN_DIR [ARTEFACT_DIR] [CASE ...]
#
# BIN_DIR holds quillon, quillon-sim and cmdprofile.xml. Every wait polls with a time limit, so a
# slow machine makes the suite slower, not flaky.
set -uo pipefail

bin=$(cd "${1:?usage: desktop_suite.sh BIN_DIR [ARTEFACT_DIR] [CASE ...]}" && pwd)
artefacts=${2:-$PWD/desktop-artefacts}
shift $(($# >= 2 ? 2 : 1))
mkdir -p "$artefacts"

for tool in Xvfb openbox xdotool xprop; do
  command -v "$tool" >/dev/null || { echo "desktop: $tool is missing (scripts/setup installs it)"; exit 1; }
done

work=$(mktemp -d /tmp/quillon-desktop.XXXXXX)
pids=()
xvfb_pid=""
failures=0
passed=0

stop_pid() {
  local pid=$1
  kill "$pid" 2>/dev/null || return 0
  for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || return 0; sleep 0.1; done
  kill -9 "$pid" 2>/dev/null || true
}

cleanup() {
  for pid in "${pids[@]}"; do stop_pid "$pid"; done
  [ -n "$xvfb_pid" ] && stop_pid "$xvfb_pid"
  rm -rf "$work"
}
trap cleanup EXIT

# Polls the command until it succeeds or the seconds are up.
wait_until() {
  local seconds=$1
  shift
  local deadline=$((SECONDS + seconds))
  while ! "$@" >/dev/null 2>&1; do
    [ $SECONDS -ge $deadline ] && return 1
    sleep 0.1
  done
}

# ---- the X server and the window manager --------------------------------------------------

Xvfb -displayfd 3 -screen 0 1366x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
wait_until 20 test -s "$work/display" || { echo "desktop: Xvfb did not start"; cat "$work/xvfb.log"; exit 1; }
export DISPLAY=":$(cat "$work/display")"
export QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY
openbox --sm-disable >"$artefacts/openbox.log" 2>&1 &
pids+=($!)
wm_ready() { xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id'; }
wait_until 20 wm_ready || { echo "desktop: openbox did not start"; exit 1; }

# ---- the program in a folder of its own: its settings and session log beside it ------------

app="$work/app"
mkdir -p "$app"
cp "$bin/quillon" "$bin/quillon-sim" "$bin/cmdprofile.xml" "$app/"

sim_pid=""
quillon_pid=""
main_window=""

# Starts the simulator (extra switches as arguments) and the program on its port.
start() {
  rm -f "$app/quillon-session.log"* "$work/trace" "$work/tty"
  cat >"$app/Quillon.ini" <<INI
[Connection]
Timeout=1500
TimeoutInterval=300
TimeoutEcho=1000
[Device]
Password=1234
MasterPassword=5678
RetryCount=1
[Interface]
SessionLog=1
INI
  "$app/quillon-sim" --link "$work/tty" --password 1234 --master-password 5678 --trace "$@" \
    >"$work/sim.out" 2>"$work/trace" &
  sim_pid=$!
  wait_until 20 test -e "$work/tty" || { echo "quillon-sim did not start"; return 1; }
  "$app/quillon" --port "$work/tty" >"$work/quillon.out" 2>&1 &
  quillon_pid=$!
  main_window=$(wait_for_window 'Конфигуратор Veltra VT-300') || { echo "no main window"; return 1; }
  focus "$main_window"
}

# Keys go to the window with the focus, as typed keys do.
focus() { xdotool windowactivate --sync "$1" >/dev/null 2>&1 || xdotool windowfocus --sync "$1"; }
key_to() {
  focus "$1"
  xdotool key "$2"
}

stop() {
  [ -n "$quillon_pid" ] && stop_pid "$quillon_pid"
  [ -n "$sim_pid" ] && stop_pid "$sim_pid"
  quillon_pid=""
  sim_pid=""
}

# The id of the visible window with exactly this title, once it is there.
find_window() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1 | grep .; }
wait_for_window() {
  local id=""
  local deadline=$((SECONDS + ${2:-20}))
  while [ -z "$id" ]; do
    id=$(find_window "$1") && break
    [ $SECONDS -ge $deadline ] && return 1
    sleep 0.1
  done
  echo "$id"
}
window_gone() { ! xdotool getwindowname "$1" >/dev/null 2>&1 || ! find_window "$(xdotool getwindowname "$1")"; }

# A click at x,y inside the window (its client area).
click_in() {
  xdotool mousemove --window "$1" "$2" "$3" sleep 0.2 click 1
}
# A point given from the window's right and bottom edges.
click_from_corner() {
  local w h
  eval "$(xdotool getwindowgeometry --shell "$1")"
  w=$WIDTH
  h=$HEIGHT
  click_in "$1" $((w - $2)) $((h - $3))
}

trace_count() { grep -c -- "] << $1" "$work/trace" 2>/dev/null || true; }
# For wait_until: the trace holds at least n requests that begin with the text.
trace_has() { [ "$(trace_count "$1")" -ge "${2:-1}" ]; }
log_has() { cat "$app"/quillon-session.log* 2>/dev/null | grep -q -- "$1"; }

check() {
  local what=$1
  shift
  if "$@"; then return 0; fi
  echo "  failed: $what"
  return 1
}

# ---- the cases ----------------------------------------------------------------------------

# The terminal never answers the access code: the entry window keeps trying until the operator
# clicks "Остановить".
case_entry_stop_click() {
  start --no-entry || return 1
  # "Получить" of the first command group.
  click_in "$main_window" 143 243
  local entry
  entry=$(wait_for_window 'Установка связи') || { echo "  no entry window"; return 1; }
  wait_until 20 trace_has 4817365 2 || { echo "  no entry tries"; return 1; }
  eval "$(xdotool getwindowgeometry --shell "$entry")"
  click_in "$entry" $((WIDTH / 2)) $((HEIGHT - 30))
  check "the entry window closes" wait_until 10 window_gone "$entry" || return 1
  local tries
  tries=$(trace_count 4817365)
  sleep 1.5
  check "no try after the click" test "$(trace_count 4817365)" -le $((tries + 1)) || return 1
  check "no session" wait_until 5 log_has '4817365'
}

# The device goes away while a page is read: the retry question names the port and the cause,
# and Cancel clicked with the mouse ends the run.
case_unplug_cancel_click() {
  start --delay 700 || return 1
  key_to "$main_window" F5
  wait_until 20 trace_has 'AT+S' || { echo "  the page poll did not start"; return 1; }
  stop_pid "$sim_pid"
  sim_pid=""
  local question
  question=$(wait_for_window 'Ошибка передачи данных') || { echo "  no retry question"; return 1; }
  sleep 0.3
  import -window root "$artefacts/retry-question.png" 2>/dev/null || true
  click_from_corner "$question" 55 26
  check "the question closes" wait_until 10 window_gone "$question" || return 1
  check "the run stops" wait_until 10 log_has 'Процесс прерван на команде' || return 1
  check "the log names the cause" log_has 'устройство пропало'
}

# The terminal refuses the password: the message box goes with Enter.
case_wrong_password_enter() {
  start --refuse PASSWORD || return 1
  # "Применить" of the first command group.
  click_in "$main_window" 52 243
  # The message box carries the main window's title: it is the other window of that name.
  local message=""
  local deadline=$((SECONDS + 20))
  while [ -z "$message" ]; do
    message=$(xdotool search --onlyvisible --name '^Конфигуратор Veltra VT-300$' |
      grep -v "^$main_window\$" | head -n 1)
    [ -z "$message" ] && [ $SECONDS -ge $deadline ] && { echo "  no message box"; return 1; }
    sleep 0.1
  done
  check "the terminal refused" log_has 'ERROR,PASSWORD' || return 1
  key_to "$message" Return
  check "the message box closes" wait_until 10 window_gone "$message"
}

# Esc stops a page run between two requests.
case_esc_stops_page_run() {
  start --delay 400 || return 1
  key_to "$main_window" F5
  wait_until 20 trace_has 'AT+' 2 || { echo "  the page poll did not start"; return 1; }
  key_to "$main_window" Escape
  check "the run stops" wait_until 15 log_has 'Процесс прерван на команде' || return 1
  local sent
  sent=$(trace_count 'AT+')
  sleep 1.5
  check "nothing is sent after the stop" test "$(trace_count 'AT+')" -eq "$sent"
}

# The wheel over a list the operator is not working in leaves its value: the next apply sends
# what the list showed before.
case_wheel_over_closed_list() {
  start || return 1
  # Two notches down over the list, then two up over the labels beside it: the page scrolls
  # down and back, and the list, not being worked in, keeps its value.
  xdotool mousemove --window "$main_window" 600 126 sleep 0.2 click 5 sleep 0.2 click 5 sleep 0.3
  xdotool mousemove --window "$main_window" 100 126 sleep 0.2 click 4 sleep 0.2 click 4 sleep 0.5
  click_in "$main_window" 52 243
  check "the apply went out" wait_until 20 trace_has 'AT+SGPR=5678' || return 1
  check "the list kept its value" grep -q -- '] << AT+SGPR=5678,1,' "$work/trace"
}

all_cases=(entry_stop_click unplug_cancel_click wrong_password_enter esc_stops_page_run
  wheel_over_closed_list)
[ $# -gt 0 ] && all_cases=("$@")
for name in "${all_cases[@]}"; do
  start_time=$SECONDS
  if "case_$name"; then
    echo "PASS   $name ($((SECONDS - start_time)) s)"
    passed=$((passed + 1))
  else
    echo "FAIL   $name ($((SECONDS - start_time)) s); screenshot and logs in $artefacts/$name.*"
    import -window root "$artefacts/$name.png" 2>/dev/null || true
    cp "$work/trace" "$artefacts/$name.trace" 2>/dev/null || true
    cat "$app"/quillon-session.log* >"$artefacts/$name.log" 2>/dev/null || true
    failures=$((failures + 1))
  fi
  stop
done

echo "$passed passed, $failures failed"
[ $failures -eq 0 ]
