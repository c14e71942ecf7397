#!/usr/bin/env bash
# Runs a command on a desktop of its own: Xvfb on a free display, openbox, and
# trayer as the notification area, then tears it all down again.
#
#   tools/desktop-session.sh [options] --workdir DIR -- COMMAND [ARG...]
#   tools/desktop-session.sh shot FILE     (inside a session: screenshot)
#
# Options:
#   --workdir DIR      the folder COMMAND runs in (created when missing). It is
#                      handed to the user that runs COMMAND; put the program
#                      there, in a folder of its own, since Kwil writes its
#                      settings and database beside itself. HOME is DIR/home.
#   --screenshot FILE  a screenshot of the whole screen when COMMAND has ended,
#                      before the desktop goes.
#   --timeout SECONDS  COMMAND is ended after this long (default 300).
#   --size WxH         the screen (default 1280x1024).
#   --user NAME        who runs COMMAND when this script runs as root (default
#                      kwiltest, created as a system user when missing). A
#                      non-root caller runs COMMAND as itself.
#
# COMMAND sees DISPLAY, XAUTHORITY, HOME, the XDG folders, QT_QPA_PLATFORM=xcb
# and KWIL_SESSION_TOOL (this script: "$KWIL_SESSION_TOOL" shot FILE takes a
# screenshot). It does not see the caller's session bus, session manager or
# Wayland display, so nothing reaches the caller's own desktop.
#
# Exit status: COMMAND's; 124 when it timed out; 77 when a needed tool is
# missing (CTest's skip code); 70 when the desktop could not be set up.
set -euo pipefail

SELF=$(readlink -f "$0")

die() { echo "desktop-session: $*" >&2; exit 70; }

need() {
  local t
  for t in "$@"; do
    command -v "$t" >/dev/null 2>&1 || { echo "desktop-session: $t is not installed" >&2; exit 77; }
  done
}

# wait_for SECONDS COMMAND...: polls COMMAND every 0.1 s until it succeeds.
wait_for() {
  local limit=$(( $1 * 10 )) i=0
  shift
  until "$@" >/dev/null 2>&1; do
    i=$((i + 1))
    [ "$i" -ge "$limit" ] && return 1
    sleep 0.1
  done
}

if [ "${1:-}" = shot ]; then
  [ $# -eq 2 ] || die "usage: $0 shot FILE"
  [ -n "${DISPLAY:-}" ] || die "shot: no DISPLAY"
  need import
  exec timeout 30 import -window root "$2"
fi

WORKDIR='' SHOT='' TIMEOUT=300 SIZE=1280x1024 RUN_USER=kwiltest
while [ $# -gt 0 ]; do
  case $1 in
    --workdir) WORKDIR=${2:?}; shift 2 ;;
    --screenshot) SHOT=${2:?}; shift 2 ;;
    --timeout) TIMEOUT=${2:?}; shift 2 ;;
    --size) SIZE=${2:?}; shift 2 ;;
    --user) RUN_USER=${2:?}; shift 2 ;;
    --) shift; break ;;
    *) die "unknown option $1 (usage: $0 [options] --workdir DIR -- COMMAND...)" ;;
  esac
done
[ -n "$WORKDIR" ] || die "--workdir is required"
[ $# -gt 0 ] || die "no command given"
[[ $SIZE =~ ^[0-9]+x[0-9]+$ ]] || die "--size wants WxH"
need Xvfb openbox trayer xauth mcookie xprop xdotool timeout setsid ps
[ -n "$SHOT" ] && need import

AS_ROOT=0
if [ "$(id -u)" -eq 0 ]; then
  AS_ROOT=1
  need runuser useradd
  if ! getent passwd "$RUN_USER" >/dev/null; then
    # Two sessions starting at once may both try; either one's user will do.
    useradd --system --user-group --no-create-home --home-dir /nonexistent \
      --shell /usr/sbin/nologin "$RUN_USER" 2>/dev/null ||
      getent passwd "$RUN_USER" >/dev/null || die "cannot create the user $RUN_USER"
  fi
else
  RUN_USER=$(id -un)
fi

AS_USER=()
[ "$AS_ROOT" -eq 1 ] && AS_USER=(runuser -u "$RUN_USER" --)

mkdir -p "$WORKDIR"
WORKDIR=$(readlink -f "$WORKDIR")
mkdir -p "$WORKDIR/home"
[ "$AS_ROOT" -eq 1 ] && chown -R "$RUN_USER:" "$WORKDIR"
"${AS_USER[@]}" test -w "$WORKDIR" -a -x "$WORKDIR" ||
  die "$RUN_USER cannot use $WORKDIR; give it a folder it can reach, such as one under /tmp"

SESSION=$(mktemp -d /tmp/kwil-session.XXXXXX)
# The user may pass through to its runtime folder, and see nothing else here.
chmod 711 "$SESSION"
PIDS=()
CMD_PID=

running() {
  local state
  state=$(ps -o stat= -p "$1" 2>/dev/null) && [ "${state:0:1}" != Z ]
}
stopped() { ! running "$1"; }

# stop PID|-PGID: asks it to end, and forces it after 5 s. What is left of a
# group once its leader has gone is forced at once.
stop() {
  local target=$1 pid=${1#-}
  kill -TERM -- "$target" 2>/dev/null || return 0
  wait_for 5 stopped "$pid" || true
  if [ "$target" != "$pid" ] || running "$pid"; then
    kill -KILL -- "$target" 2>/dev/null || true
  fi
  wait "$pid" 2>/dev/null || true
}

cleanup() {
  local rc=$? i
  trap - EXIT INT TERM
  # The command runs in a process group of its own, which is its id.
  [ -n "$CMD_PID" ] && stop -"$CMD_PID"
  # Newest first: trayer and openbox before the X server they live on.
  for ((i = ${#PIDS[@]} - 1; i >= 0; i--)); do
    stop "${PIDS[i]}"
  done
  rm -rf "$SESSION"
  exit "$rc"
}
trap cleanup EXIT
trap 'exit 143' INT TERM

show_logs() {
  local f
  for f in "$SESSION"/*.log; do
    [ -s "$f" ] && { echo "--- $(basename "$f")" >&2; tail -n 20 "$f" >&2; }
  done
  return 0
}

# The X server, on the first free display it finds itself, with a cookie so
# that only this session's clients get in. Without -noreset it resets when the
# last client leaves, and a client connecting just then is turned away.
COOKIE=$(mcookie)
xauth -q -f "$SESSION/server.auth" add :0 . "$COOKIE" 2>/dev/null
Xvfb -displayfd 3 -screen 0 "${SIZE}x24" -nolisten tcp -noreset -auth "$SESSION/server.auth" \
  3>"$SESSION/display" >"$SESSION/xvfb.log" 2>&1 &
PIDS+=($!)
wait_for 15 grep -q '^[0-9]' "$SESSION/display" || { show_logs; die "Xvfb did not start"; }
DISPLAY=":$(head -n 1 "$SESSION/display")"
export DISPLAY

mkdir -m 700 "$SESSION/runtime"
# The command's user may not reach this script where it lies (a checkout in a
# private folder): it gets a copy of its own for taking screenshots.
cp "$SELF" "$SESSION/runtime/desktop-session.sh"
chmod 755 "$SESSION/runtime/desktop-session.sh"
export XAUTHORITY="$SESSION/runtime/Xauthority"
xauth -q -f "$XAUTHORITY" add "$DISPLAY" . "$COOKIE" 2>/dev/null
[ "$AS_ROOT" -eq 1 ] && chown -R "$RUN_USER:" "$SESSION/runtime"
wait_for 10 xprop -root || { show_logs; die "display $DISPLAY does not answer"; }

# The window manager and the tray host run as the caller, in a home of their
# own so nothing lands in the caller's.
mkdir -p "$SESSION/wm"
HOME="$SESSION/wm" XDG_CONFIG_HOME="$SESSION/wm" XDG_CACHE_HOME="$SESSION/wm" \
  openbox --sm-disable >"$SESSION/openbox.log" 2>&1 &
PIDS+=($!)
wait_for 10 bash -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' ||
  { show_logs; die "openbox did not start"; }

HOME="$SESSION/wm" trayer --edge bottom --align right --widthtype pixel --width 200 \
  --height 28 --SetDockType true --SetPartialStrut true --transparent false \
  --tint 0xd8d8d8 --iconspacing 4 >"$SESSION/trayer.log" 2>&1 &
PIDS+=($!)
wait_for 10 xdotool search --classname trayer || { show_logs; die "trayer did not start"; }

USER_HOME="$WORKDIR/home"
ENV=(
  -u WAYLAND_DISPLAY -u DBUS_SESSION_BUS_ADDRESS -u SESSION_MANAGER -u XDG_SESSION_ID
  -u QT_QPA_PLATFORMTHEME
  DISPLAY="$DISPLAY" XAUTHORITY="$XAUTHORITY"
  HOME="$USER_HOME" USER="$RUN_USER" LOGNAME="$RUN_USER"
  XDG_CONFIG_HOME="$USER_HOME/.config" XDG_DATA_HOME="$USER_HOME/.local/share"
  XDG_CACHE_HOME="$USER_HOME/.cache" XDG_RUNTIME_DIR="$SESSION/runtime"
  QT_QPA_PLATFORM=xcb KWIL_SESSION_TOOL="$SESSION/runtime/desktop-session.sh"
)

cd "$WORKDIR"
set +e
setsid "${AS_USER[@]}" env "${ENV[@]}" timeout -k 5 "$TIMEOUT" "$@" &
CMD_PID=$!
wait "$CMD_PID"
RC=$?
CMD_PID=
set -e
[ "$RC" -eq 124 ] && echo "desktop-session: the command ran longer than ${TIMEOUT}s" >&2

if [ -n "$SHOT" ]; then
  timeout 30 import -window root "$SHOT" || echo "desktop-session: no screenshot" >&2
fi
exit "$RC"
