#!/usr/bin/env bash
# A note made from the tray menu reaches the database: the real program on a
# real desktop, a new note of the first type, a title and a body typed,
# a click elsewhere, then SIGTERM. The row holds what was typed and where.
#
#   kwil_newnote_test.sh KWIL INITIALDB SESSION_TOOL
set -euo pipefail
source "$(dirname "$(readlink -f "$0")")/kwil_session.sh"

if [ "${1:-}" = --inside ]; then
  cd program
  export FIREBIRD_LOCK="$XDG_RUNTIME_DIR/kwil-firebird"
  ./kwil 2>../kwil.err &
  pid=$!
  # the first start's message box
  first_start_box
  tray_icon || fail "no tray icon"
  # tray menu → 新規作成 → the first type
  xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) click 3
  sleep 0.7
  xdotool key Down; sleep 0.2; xdotool key Right; sleep 0.3; xdotool key Return
  sleep 1.5
  xdotool type --delay 40 "Shopping"
  xdotool key Return
  xdotool type --delay 40 "milk and eggs"
  sleep 0.5
  "$KWIL_SESSION_TOOL" shot "$PWD/../new-note.png" || true
  # a click on the desktop: the program loses the focus and saves
  xdotool mousemove 60 600 click 1
  sleep 1.5
  kill -TERM "$pid"
  rc=0
  wait "$pid" || rc=$?
  [ "$rc" -eq 0 ] || fail "kwil ended with $rc"
  out=$(echo "select 'row:' || TITLE || '|' || cast(MEMO as varchar(100)) || '|' || P_TOP || '|' || P_LEFT || '|' || P_WIDTH || '|' || P_HEIGHT from FUSEN;" |
    timeout 30 isql-fb -q -user SYSDBA KWIL.FDB 2>&1) || fail "isql-fb: $out"
  # saved while still in edit mode: the body's lines end with CR LF
  echo "$out" | tr -d '\r\n' | grep -q 'row:Shopping|milk and eggs|150|200|400|100' ||
    fail "unexpected rows: $out"
  echo PASS
  exit 0
fi

kwil_session_run 120 "$@"
