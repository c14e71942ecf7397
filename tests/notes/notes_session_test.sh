#!/usr/bin/env bash
# Note windows on a real X desktop: tools/desktop-session.sh starts one, and
# notes_probe's notes are dragged, edited and left with xdotool as a user
# would. The window manager moves the note; the rows must follow.
#
#   notes_session_test.sh PROBE INITIALDB SESSION_TOOL
#
# KWIL_SHOTS=FOLDER keeps the screenshot there.
set -euo pipefail

if [ "${1:-}" = --inside ]; then
  log=probe.log
  fail() {
    echo "FAIL: $*"
    echo "--- probe output"; cat "$log"
    [ -s probe.err ] && { echo "--- probe errors"; tail -n 20 probe.err; }
    exit 1
  }
  # seen SECONDS PATTERN: waits for a line of the probe's output.
  seen() {
    local i
    for ((i = 0; i < $1 * 10; i++)); do
      grep -q -- "$2" "$log" && return 0
      sleep 0.1
    done
    return 1
  }
  # last KEY: the latest "note KEY x y w h ..." line as "x y".
  last() { grep "^note $1 " "$log" | tail -n 1 | awk '{print $3, $4}'; }

  : >"$log"
  ./notes_probe >"$log" 2>probe.err &
  pid=$!
  seen 30 '^ready' || fail "the notes did not come up"
  read -r x1 y1 < <(last 1)
  read -r x2 y2 < <(last 2)
  read -r x3 y3 < <(last 3)

  # Shift and a drag on the header of note 1: the window manager moves it,
  # and note 2 of the same group follows; note 3 of another group stays.
  xdotool mousemove $((x1 + 150)) $((y1 + 8))
  sleep 0.3
  xdotool keydown shift mousedown 1
  for i in 1 2 3 4 5 6 7 8 9 10; do
    xdotool mousemove $((x1 + 150 + i * 11)) $((y1 + 8 + i * 7))
    sleep 0.05
  done
  xdotool mouseup 1 keyup shift
  sleep 0.3
  xdotool mousemove $((x1 + 300)) $((y1 + 300))
  seen 10 "^note 1 .* drag 1" || fail "no move was started"
  for ((i = 0; i < 50; i++)); do
    grep -q "^note 1 .* drag 1" "$log" && [ "$(grep '^note 1 ' "$log" | tail -n 1 | awk '{print $NF}')" = 0 ] && break
    sleep 0.1
  done
  read -r nx1 ny1 < <(last 1)
  dx=$((nx1 - x1)) dy=$((ny1 - y1))
  [ "$dx" -ge 80 ] && [ "$dy" -ge 50 ] || fail "note 1 moved by $dx,$dy instead of about 110,70"
  read -r nx2 ny2 < <(last 2)
  [ "$nx2" -eq $((x2 + dx)) ] && [ "$ny2" -eq $((y2 + dy)) ] ||
    fail "note 2 at $nx2,$ny2 did not follow to $((x2 + dx)),$((y2 + dy))"
  read -r nx3 ny3 < <(last 3)
  [ "$nx3" -eq "$x3" ] && [ "$ny3" -eq "$y3" ] || fail "note 3 of another group moved"

  # A double click on the body of note 3 edits it; typing goes to its title
  # line; a click on another note ends editing and stores the note.
  xdotool mousemove $((x3 + 150)) $((y3 + 80)) click --repeat 2 --delay 100 1
  seen 5 "^note 3 .* edit 1" || fail "the double click did not start editing"
  xdotool type --delay 40 "Hello "
  xdotool mousemove $((nx2 + 150)) $((ny2 + 8)) click 1
  seen 5 "^row 3 Hello 電話|" || fail "leaving note 3 did not store the typed title"
  "$KWIL_SESSION_TOOL" shot "$PWD/notes-session.png" || fail "no screenshot"

  # Closing every note stores the moved positions.
  touch done
  seen 20 '^ended' || fail "the probe did not end"
  wait "$pid" || fail "the probe ended with $?"
  grep -q "^row 1 買い物|.*|$nx1|$ny1\$" "$log" || fail "note 1's new place was not stored"
  grep -q "^row 2 会議の準備|.*|$nx2|$ny2\$" "$log" || fail "note 2's new place was not stored"
  echo "PASS"
  exit 0
fi

probe=$(readlink -f "${1:?probe}")
initialdb=$(readlink -f "${2:?initial database}")
tool=$(readlink -f "${3:?session tool}")
here=$(readlink -f "$0")
work=$(mktemp -d /tmp/kwil-notes-test.XXXXXX)
trap 'rm -rf "$work"' EXIT
cp "$probe" "$work/notes_probe"
cp "$initialdb" "$work/INITIALDB.FBK"
cp "$here" "$work/check.sh"

rc=0
"$tool" --workdir "$work" --timeout 120 -- env LANG=C.UTF-8 bash ./check.sh --inside || rc=$?
if [ -n "${KWIL_SHOTS:-}" ]; then
  mkdir -p "$KWIL_SHOTS"
  cp "$work"/*.png "$KWIL_SHOTS"/ 2>/dev/null || true
fi
exit "$rc"
