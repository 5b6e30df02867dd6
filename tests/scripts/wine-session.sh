#!/usr/bin/env bash
# start STATE [xp]: a fresh Wine prefix and a persistent wineserver, on a
#                   display of our own when none is set (tools/display.sh);
#                   the toolbar key the shell would have. With xp, the prefix
#                   claims Windows XP and has no WIC, as XP without it.
# stop STATE:       ends what start began, by process id.
set -eu
cmd="$1"
state="$2"
flavour="${3:-}"
tools="$(cd "$(dirname "$0")/../../tools" && pwd)"

# Wine registers two WIC factories, CLSID_WICImagingFactory and
# CLSID_WICImagingFactory2, each in both views of the registry; with all four
# gone CoCreateInstance answers "class not registered", as on XP.
wic_factories=('{CACAF262-9370-4615-A13B-9F5539DA4C0A}' '{317D06E8-5F24-433D-BDF7-79CE68D8ABC2}')

make_xp() {
  wine reg add 'HKCU\Software\Wine' /v Version /d winxp /f </dev/null >>"$state/wine.log" 2>&1
  local clsid view
  for clsid in "${wic_factories[@]}"; do
    for view in 32 64; do
      wine reg delete "HKLM\\Software\\Classes\\CLSID\\$clsid" /f "/reg:$view" </dev/null >>"$state/wine.log" 2>&1 || true
      if wine reg query "HKLM\\Software\\Classes\\CLSID\\$clsid" "/reg:$view" </dev/null >/dev/null 2>&1; then
        echo "WIC is still registered: $clsid in the $view-bit view" >&2
        exit 1
      fi
    done
  done
}

start() {
  stop_quietly
  rm -rf "$state"
  bash "$tools/display.sh" start "$state"
  . "$tools/wine-env.sh" "$state"
  # One server for the whole run, kept up between the tests' processes.
  mkdir -p "$WINEPREFIX"
  # Every process left running must let go of ctest's output pipes, or ctest
  # waits for them to close.
  wineserver -p </dev/null >>"$state/wine.log" 2>&1
  # Without the 32-bit Wine, wineboot complains about syswow64 and fails
  # although the 64-bit prefix is complete; judge by the prefix instead.
  wineboot -i </dev/null >"$state/wineboot.log" 2>&1 || true
  if [ ! -d "$WINEPREFIX/drive_c/windows/system32" ]; then
    cat "$state/wineboot.log" >&2
    echo "Could not create the Wine prefix $WINEPREFIX" >&2
    exit 1
  fi
  wine reg add 'HKCU\Software\Microsoft\Internet Explorer\Toolbar' /f </dev/null >>"$state/wine.log" 2>&1
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f </dev/null >>"$state/wine.log" 2>&1
  if [ "$flavour" = xp ]; then make_xp; fi
  echo "Wine prefix ready at $WINEPREFIX on display $DISPLAY${flavour:+ ($flavour)}"
}

stop_quietly() {
  if [ -d "$state/prefix" ]; then
    ( . "$tools/wine-env.sh" "$state"; wineserver -k 2>/dev/null || true; wineserver -w 2>/dev/null || true )
  fi
  bash "$tools/display.sh" stop "$state"
}

case "$cmd" in
  start) start ;;
  stop) stop_quietly; echo "Wine session stopped" ;;
  *) echo "usage: $0 start|stop STATE" >&2; exit 2 ;;
esac
