#!/usr/bin/env bash
# The main job: builds setup.exe and runs it under Wine against a sample installation
# of Tarnwick (an uninstall entry and a folder with a stand-in Tarnwick.exe).
# With a display and a person at it (an interactive terminal and DISPLAY set), the
# person answers the questions. Otherwise the run answers them itself (yes, yes) on an
# X server of its own and saves a picture of every message box.
#   tools/demo.sh [setup parameters, e.g. modest runapp]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
bash tools/install-deps.sh
cmake --preset mingw >/dev/null
cmake --build --preset mingw -j"$(nproc)" --target setup Tarnwick dialog_driver

build="$root/build/mingw"
demo="$build/demo"
export WINEPREFIX="$demo/wineprefix" WINEARCH=win64 WINEDEBUG=-all
mkdir -p "$demo"
tools/ia32.sh prepare "$demo"
. "$demo/ia32/env"

xvfb_pid=""
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" >/dev/null 2>&1 || true
}
trap cleanup EXIT

interactive=0
if [ -n "${DISPLAY:-}" ] && [ -t 0 ] && [ -z "${CI:-}" ]; then interactive=1; fi
if [ $interactive -eq 0 ]; then
  n=90
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp </dev/null >"$demo/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  export DISPLAY=":$n"
fi

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "Creating the Wine prefix $WINEPREFIX (about 15 s the first time)..."
  wineboot -i </dev/null >"$demo/wineboot.log" 2>&1
  wineserver -w
fi
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
# Debian's Wine 8 finds none of its own fonts (fonts-wine, /usr/share/wine/fonts) in a
# new prefix: "MS Shell Dlg" (Tahoma) and Marlett then fall back to Liberation Sans, a
# message box measures its text in one font and draws it in another (the last
# character is cut off) and the caption's close button is drawn as the letter "r",
# Marlett's code for it. In the prefix's Fonts folder Wine finds them, as Windows has them.
for font in tahoma.ttf tahomabd.ttf marlett.ttf; do
  [ -f "$WINEPREFIX/drive_c/windows/Fonts/$font" ] || cp "/usr/share/wine/fonts/$font" "$WINEPREFIX/drive_c/windows/Fonts/"
done

# The sample installation: C:\Apps\Tarnwick with the stand-in application.
app="$WINEPREFIX/drive_c/Apps/Tarnwick"
rm -rf "$app"
mkdir -p "$app"
cp "$build/bin/Tarnwick.exe" "$app/Tarnwick.exe"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tarnwick'
wine reg delete "$key" /f /reg:64 </dev/null >/dev/null 2>&1 || true
wine reg add "$key" /v UninstallString /d 'C:\Apps\Tarnwick\unins000.exe' /f /reg:64 </dev/null >/dev/null 2>&1
wine reg add "$key" /v DisplayName /d 'Tarnwick' /f /reg:64 </dev/null >/dev/null 2>&1

echo "Sample installation: C:\\Apps\\Tarnwick (= $app)"
if [ $interactive -eq 1 ]; then
  set +e
  wine "$build/bin/setup.exe" "$@"
  code=$?
  set -e
  echo "setup.exe ended with exit code $code"
else
  shots="$demo/screenshots"
  rm -rf "$shots"
  mkdir -p "$shots"
  set +e
  wine "$build/bin/dialog_driver.exe" --answers yes,yes --shots "$(winepath -w "$shots")" -- \
    "$(winepath -w "$build/bin/setup.exe")" "$@" </dev/null
  code=$?
  set -e
  for bmp in "$shots"/*.bmp; do
    [ -e "$bmp" ] || continue
    if convert "$bmp" "${bmp%.bmp}.png" 2>/dev/null; then rm -f "$bmp"; fi
  done
  echo "Pictures of the message boxes: $shots"
  ls -1 "$shots"
fi
echo "Installed files:"
ls -l "$app"
echo "Uninstall entry:"
wine reg query "$key" /reg:64 </dev/null 2>/dev/null | tr -d '\r' | sed '/^$/d'
exit "$code"
