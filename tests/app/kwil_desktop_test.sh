#!/usr/bin/env bash
# The real program on a real desktop, as an ordinary user, in a fresh folder
# holding only the program and the initial backup: it restores its database,
# shows its tray icon, keeps a second start out, and on SIGTERM ends within a
# few seconds with the database closed cleanly.
#
#   kwil_desktop_test.sh KWIL INITIALDB SESSION_TOOL
#
# KWIL_SHOTS=FOLDER keeps the screenshots there.
set -euo pipefail
source "$(dirname "$(readlink -f "$0")")/kwil_session.sh"

if [ "${1:-}" = --inside ]; then
  cd program

  ./kwil 2>../kwil.err &
  pid=$!

  # First start: the database is restored from the initial backup and the
  # program says so in a message box, which a user closes with Enter.
  wait_for 30 test -s KWIL.FDB || fail "no database was restored"
  wait_for 20 xdotool search --onlyvisible --name '^Kwil!$' || fail "no message box"
  "$KWIL_SESSION_TOOL" shot "$PWD/../first-start.png" || true
  box=$(xdotool search --onlyvisible --name '^Kwil!$' | head -n 1)
  xdotool windowactivate --sync "$box" key Return 2>/dev/null || xdotool key Return
  wait_for 10 bash -c "! xdotool search --onlyvisible --name '^Kwil!\$'" || fail "the message box stayed"

  # The tray icon: trayer embeds a window of the program's class.
  wait_for 20 bash -c 'xwininfo -root -tree | grep -qi "\"kwil\""' || fail "no tray icon window"
  sleep 1
  "$KWIL_SESSION_TOOL" shot "$PWD/../tray.png" || fail "no screenshot"

  # A second start ends by itself and leaves the first running.
  rc=0
  timeout 20 ./kwil 2>>../kwil.err || rc=$?
  [ "$rc" -eq 0 ] || fail "the second start ended with $rc"
  kill -0 "$pid" 2>/dev/null || fail "the first instance ended"

  # SIGTERM ends it within a few seconds, cleanly.
  kill -TERM "$pid"
  for ((i = 0; i < 100; i++)); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$pid" 2>/dev/null && { kill -KILL "$pid"; fail "SIGTERM did not end kwil within 10 s"; }
  rc=0
  wait "$pid" || rc=$?
  [ "$rc" -eq 0 ] || fail "kwil ended with $rc after SIGTERM"
  # No end backup at the end of a session.
  [ ! -e KWIL_E.FBK ] || fail "the end of the session made an end backup"

  # The database opens again at once, with the same lock folder kwil used.
  export FIREBIRD_LOCK="$XDG_RUNTIME_DIR/kwil-firebird"
  out=$(echo "select 'open:' || count(*) from VERINFO;" | timeout 30 isql-fb -q -user SYSDBA KWIL.FDB 2>&1) ||
    fail "isql-fb could not open the database: $out"
  echo "$out" | grep -q 'open:2' || fail "unexpected answer: $out"
  echo "PASS"
  exit 0
fi

kwil_session_run 120 "$@"
