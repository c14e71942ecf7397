# Shared by the whole-program tests: sourced by each test script, both when it
# sets up the desktop session and when it runs inside it as check.sh.
#
#   kwil_session_run TIMEOUT KWIL INITIALDB SESSION_TOOL
#       copies kwil and the initial backup into a fresh folder under /tmp and
#       runs this script there with --inside on a desktop of its own; exits
#       with the script's status. KWIL_SHOTS=FOLDER keeps the screenshots.

kwil_session_run() {
  local timeout=$1 kwil initial tool here lib work rc=0
  kwil=$(readlink -f "${2:?kwil}")
  initial=$(readlink -f "${3:?INITIALDB.FBK}")
  tool=$(readlink -f "${4:?session tool}")
  here=$(readlink -f "$0")
  lib=$(readlink -f "${BASH_SOURCE[0]}")
  work=$(mktemp -d /tmp/kwil-test.XXXXXX)
  trap "rm -rf '$work'" EXIT
  mkdir "$work/program"
  cp "$kwil" "$work/program/kwil"
  cp "$initial" "$work/program/INITIALDB.FBK"
  cp "$here" "$work/check.sh"
  cp "$lib" "$work/kwil_session.sh"
  "$tool" --workdir "$work" --timeout "$timeout" -- env LANG=C.UTF-8 bash ./check.sh --inside || rc=$?
  if [ -n "${KWIL_SHOTS:-}" ]; then
    mkdir -p "$KWIL_SHOTS"
    cp "$work"/*.png "$KWIL_SHOTS"/ 2>/dev/null || true
  fi
  exit "$rc"
}

# Inside the session, in the program's folder.
fail() {
  echo "FAIL: $*"
  [ -s ../kwil.err ] && { echo "--- kwil stderr"; tail -n 30 ../kwil.err; }
  exit 1
}

# wait_for SECONDS COMMAND...: polls COMMAND every 0.1 s until it succeeds.
wait_for() {
  local limit=$(($1 * 10)) i=0
  shift
  until "$@" >/dev/null 2>&1; do
    i=$((i + 1))
    [ "$i" -ge "$limit" ] && return 1
    sleep 0.1
  done
}

# tray_icon: sets X, Y, WIDTH, HEIGHT to the program's tray icon, the small
# window of its class that the tray host embeds (note windows are larger).
tray_icon() {
  local w
  for w in $(xdotool search --class kwil 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$w")"
    [ "$WIDTH" -le 64 ] && [ "$HEIGHT" -le 64 ] && return 0
  done
  return 1
}

# first_start_box: closes the message box of the first start with Enter.
first_start_box() {
  wait_for 30 xdotool search --onlyvisible --name '^Kwil!$' || fail "no message box"
  xdotool key Return
  sleep 1
}
