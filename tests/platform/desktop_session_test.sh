#!/usr/bin/env bash
# The desktop pieces on a real X desktop: tools/desktop-session.sh starts one,
# and session_probe (single instance, tray icon and menu, end of session) is
# driven in it with xdotool as a user would.
#
#   desktop_session_test.sh PROBE SESSION_TOOL
#
# KWIL_SHOTS=FOLDER keeps the screenshots there.
set -euo pipefail

if [ "${1:-}" = --inside ]; then
  # In the session, as its user, in the work folder.
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

  : >"$log"
  ./session_probe >"$log" 2>probe.err &
  pid=$!
  seen 20 '^tray \|^no tray' || fail "the probe did not report its tray icon"
  grep -q '^tray ' "$log" || fail "the icon never reached the tray"
  read -r _ x y w h < <(grep '^tray ' "$log")
  cx=$((x + w / 2)) cy=$((y + h / 2))
  echo "icon at $x,$y ${w}x$h"

  # A second start hands over to the first and ends.
  rc=0
  timeout 20 ./session_probe >second.log 2>>probe.err || rc=$?
  [ "$rc" -eq 3 ] || fail "the second start ended with $rc"
  grep -qx second second.log || fail "the second start did not see the first"
  seen 10 '^activated' || fail "the first instance was not asked to come forward"

  # A double click on the icon.
  xdotool mousemove "$cx" "$cy" click --repeat 2 --delay 80 1
  seen 10 '^double-clicked' || fail "the double click was not reported"

  # A right click opens the menu where the pointer is.
  xdotool mousemove "$cx" "$cy" click 3
  seen 10 '^menu ' || fail "the right click opened no menu"
  read -r _ distance _ < <(grep '^menu ' "$log")
  [ "$distance" -le 40 ] || fail "the menu opened ${distance} px away from the pointer"
  "$KWIL_SESSION_TOOL" shot "$PWD/tray-menu.png" || fail "no screenshot"
  xdotool key Escape

  # SIGTERM ends it through the event loop, with a clean exit.
  kill -TERM "$pid"
  for ((i = 0; i < 100; i++)); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$pid" 2>/dev/null && { kill -KILL "$pid"; fail "SIGTERM did not end the probe"; }
  rc=0
  wait "$pid" || rc=$?
  [ "$rc" -eq 0 ] || fail "the probe ended with $rc after SIGTERM"
  grep -qx 'end 15' "$log" || fail "SIGTERM did not arrive as an end request"
  grep -qx 'ended' "$log" || fail "the event loop did not end normally"
  echo "PASS"
  exit 0
fi

probe=$(readlink -f "${1:?probe}")
tool=$(readlink -f "${2:?session tool}")
here=$(readlink -f "$0")
work=$(mktemp -d /tmp/kwil-desktop-test.XXXXXX)
trap 'rm -rf "$work"' EXIT
cp "$probe" "$work/session_probe"
cp "$here" "$work/check.sh"

rc=0
"$tool" --workdir "$work" --timeout 90 --screenshot "$work/end.png" -- \
  env LANG=C.UTF-8 bash ./check.sh --inside || rc=$?
if [ -n "${KWIL_SHOTS:-}" ]; then
  mkdir -p "$KWIL_SHOTS"
  cp "$work"/*.png "$KWIL_SHOTS"/ 2>/dev/null || true
fi
exit "$rc"
