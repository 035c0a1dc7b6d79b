#!/usr/bin/env bash
# Starts or ends the Wine session that a test run uses: a win64 prefix inside the
# build tree, an X server of its own on a free display, and a persistent wineserver
# whose output does not hold the caller's pipes open.
#   wine-session.sh start BUILD_DIR
#   wine-session.sh stop BUILD_DIR
set -u
cmd=${1:?start or stop}
build=$(cd "${2:?build dir}" && pwd)
state="$build/wine-session"
export WINEPREFIX="$build/wineprefix" WINEARCH=win64 WINEDEBUG=-all

stop() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -f "$state/xvfb.pid" ]; then
    kill "$(cat "$state/xvfb.pid")" >/dev/null 2>&1 || true
    rm -f "$state/xvfb.pid"
  fi
  rm -f "$state/display"
}

start() {
  mkdir -p "$state"
  stop
  "$(dirname "$0")/ia32.sh" prepare "$build" || exit 1
  # shellcheck disable=SC1091
  . "$build/ia32/env"
  local n=77
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp </dev/null >"$state/xvfb.log" 2>&1 &
  echo $! >"$state/xvfb.pid"
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  [ -e "/tmp/.X11-unix/X$n" ] || { echo "Xvfb did not start on :$n" >&2; cat "$state/xvfb.log" >&2; exit 1; }
  echo ":$n" >"$state/display"
  export DISPLAY=":$n"
  # The desktop shell that starts the application lives as long as the session, under
  # this locale: a caller without a UTF-8 one (a bare environment) would leave it unable
  # to name a folder outside ASCII.
  [ "$(locale charmap 2>/dev/null)" = UTF-8 ] || export LANG=C.UTF-8 LC_ALL=C.UTF-8
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot -i </dev/null >"$state/wineboot.log" 2>&1
    wineserver -w
  fi
  grep -q '#arch=win64' "$WINEPREFIX/system.reg" || { echo "prefix $WINEPREFIX is not win64" >&2; exit 1; }
  wineserver -p </dev/null >/dev/null 2>&1
  # Without a window manager Wine waits about 2 s whenever a window is hidden.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
  # A program that crashes ends at once instead of waiting for a debugger to attach.
  for view in 64 32; do
    wine reg delete 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /f /reg:$view \
      </dev/null >/dev/null 2>&1
  done
  echo "wine session: prefix $WINEPREFIX, display :$n"
}

case "$cmd" in
  start) start ;;
  stop) stop; echo "wine session ended" ;;
  *) echo "usage: $0 start|stop BUILD_DIR" >&2; exit 2 ;;
esac
