#!/usr/bin/env bash
# The desktop fills itself: notes whose priority is due open where they were
# left, others stay closed; a note peeled off stays away on "再読み込み".
#
#   kwil_desktopload_test.sh KWIL INITIALDB SESSION_TOOL
set -euo pipefail
source "$(dirname "$(readlink -f "$0")")/kwil_session.sh"

if [ "${1:-}" = --inside ]; then
  cd program
  export FIREBIRD_LOCK="$XDG_RUNTIME_DIR/kwil-firebird"
  # geometry TITLE: "X Y" of the visible window with that caption, or nothing
  geometry() {
    local w
    w=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1) || return 1
    [ -n "$w" ] || return 1
    eval "$(xdotool getwindowgeometry --shell "$w")"
    echo "$X $Y"
  }
  stop() {
    kill -TERM "$pid"
    local rc=0
    wait "$pid" || rc=$?
    [ "$rc" -eq 0 ] || fail "kwil ended with $rc"
  }

  # First start makes the database from the initial backup.
  ./kwil 2>../kwil.err &
  pid=$!
  first_start_box
  stop

  # Notes of type 1 (rising 14 days ahead, 60 at the start): due now, due
  # yesterday, due now but completed, and a start a month ahead (priority 1,
  # below the LowPriority of 5 set here).
  printf '[Params]\nLowPriority=5\n' > Kwil.ini
  isql-fb -q -user SYSDBA KWIL.FDB <<'SQL' >/dev/null || fail "cannot add notes"
insert into FUSEN(IDKEY,USERID,FTYPE,FGROUP,TITLE,MEMO,STIME,ETIME,P_TOP,P_LEFT,P_WIDTH,P_HEIGHT,ANCHOR,COMPLETED)
  values(1001,'DefaultUser',1,0,'DueNote','body',current_timestamp,null,300,400,300,120,0,0);
insert into FUSEN(IDKEY,USERID,FTYPE,FGROUP,TITLE,MEMO,STIME,ETIME,P_TOP,P_LEFT,P_WIDTH,P_HEIGHT,ANCHOR,COMPLETED)
  values(1002,'DefaultUser',1,0,'SecondNote','body',current_timestamp - 1,null,600,100,300,120,0,0);
insert into FUSEN(IDKEY,USERID,FTYPE,FGROUP,TITLE,MEMO,STIME,ETIME,P_TOP,P_LEFT,P_WIDTH,P_HEIGHT,ANCHOR,COMPLETED)
  values(1003,'DefaultUser',1,0,'DoneNote','body',current_timestamp,null,100,100,300,120,0,1);
insert into FUSEN(IDKEY,USERID,FTYPE,FGROUP,TITLE,MEMO,STIME,ETIME,P_TOP,P_LEFT,P_WIDTH,P_HEIGHT,ANCHOR,COMPLETED)
  values(1004,'DefaultUser',1,0,'LaterNote','body',current_timestamp + 30,null,100,700,300,120,0,0);
commit;
SQL

  ./kwil 2>>../kwil.err &
  pid=$!
  for i in $(seq 100); do geometry DueNote >/dev/null && break; sleep 0.2; done
  sleep 1
  "$KWIL_SESSION_TOOL" shot "$PWD/../desktop-load.png" || true
  [ "$(geometry DueNote)" = "400 300" ] || fail "DueNote at $(geometry DueNote || echo nowhere), not 400 300"
  [ "$(geometry SecondNote)" = "100 600" ] || fail "SecondNote at $(geometry SecondNote || echo nowhere)"
  geometry DoneNote >/dev/null && fail "a completed note was opened"
  geometry LaterNote >/dev/null && fail "a note not yet due was opened"

  # Peel DueNote off with its key, then reload from the tray menu.
  w=$(xdotool search --onlyvisible --name '^DueNote$' | head -n 1)
  xdotool windowactivate --sync "$w" 2>/dev/null || xdotool mousemove 550 310 click 1
  sleep 0.5
  xdotool key x
  for i in $(seq 30); do geometry DueNote >/dev/null || break; sleep 0.2; done
  geometry DueNote >/dev/null && fail "peeling off left the window open"
  before=$(xdotool search --onlyvisible --name '^SecondNote$' | head -n 1)
  tray_icon || fail "no tray icon"
  xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) click 3
  sleep 0.7
  # 新規作成, separator skipped, 重ねて配置, 並べて配置, 元の位置に戻す, 再読み込み
  xdotool key --delay 200 Down Down Down Down Down
  "$KWIL_SESSION_TOOL" shot "$PWD/../reload-menu.png" || true
  xdotool key Return
  sleep 2
  "$KWIL_SESSION_TOOL" shot "$PWD/../after-reload.png" || true
  # a reload closes every window and opens the due notes again
  after=$(xdotool search --onlyvisible --name '^SecondNote$' | head -n 1)
  [ -n "$after" ] && [ "$after" != "$before" ] || fail "the reload did not reopen the notes"
  geometry DueNote >/dev/null && fail "the peeled note came back on reload"
  [ "$(geometry SecondNote)" = "100 600" ] || fail "SecondNote missing after reload"
  stop
  echo PASS
  exit 0
fi

kwil_session_run 150 "$@"
