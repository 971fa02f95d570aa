#!/bin/bash
# Screenshots of both dialogs, in English and in Chinese: the installer at its
# prompt and after a full install, the uninstaller at its prompt, its restart
# question and its completion text. Runs the real programs under Xvfb on a
# Windows 98 machine of its own (one ORVA Varnel Q2 board, as in the demo),
# made once under build/screenshots and copied fresh for every language; the
# UI driver brings each state up and the picture is taken of the window itself.
#   tools/screenshots.sh [FOLDER]     PNGs go to FOLDER, docs/screenshots by default
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=$(realpath -m "${1:-docs/screenshots}")
tools/install-dependencies.sh
# ImageMagick's import takes the pictures. /usr/bin first: it, not whatever
# else calls itself import or convert.
export PATH=/usr/bin:/bin:$PATH
if ! dpkg-query -W -f='${Status}' imagemagick 2>/dev/null | grep -q "install ok installed"; then
  echo "Installing: imagemagick"
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends imagemagick >/dev/null
fi

. tools/lib/wine-machine.sh
build_programs ScreenshotDriver

work=$root/build/screenshots

# Always a display of our own, so that the pictures do not depend on the
# user's desktop.
mkdir -p "$work"
trap 'end_machine_and_display "$work/machine"' EXIT
unset DISPLAY
start_display "$work/display"

if [ ! -f "$work/made/.varnel-made" ]; then
  echo "Making the screenshot Windows 98 machine (once)..."
  # Made aside and moved into place whole with what follows.
  rm -rf "$work/making"
  make_machine "$work/making" win98 "$root/tools/demo-machine.reg"
  export WINEPREFIX=$work/making
  # The dialogs ask for 新細明體; without a stand-in, message boxes show
  # empty squares for Chinese text.
  for font in 新細明體 PMingLiU 細明體 MingLiU; do
    LC_ALL=C.UTF-8 wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$font" /d 'AR PL UMing TW' /f \
      >/dev/null 2>&1
  done
  # Wine's own fonts (Tahoma for captions, Marlett for the close box), for
  # this machine only: installed system-wide they would change what every
  # other Wine prefix on the computer draws.
  rm -rf "$work/fonts-wine"
  mkdir -p "$work/fonts-wine"
  (cd "$work/fonts-wine" && apt-get download -qq -o APT::Sandbox::User=root fonts-wine >/dev/null && dpkg-deb -x fonts-wine_*.deb .)
  cp "$work"/fonts-wine/usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
  wineserver -w
  rm -rf "$work/made"
  mv "$work/making" "$work/made"
fi

make_stand_in_medium "$work/medium" build/release/bin

driver=$(winpath "$root/build/tests/bin/ScreenshotDriver.exe")
program=$(winpath "$work/medium/InstVarnel.exe")
medium=$(winpath "$work/medium")
mkdir -p "$out"

# One language: a fresh machine, the install, then the installed uninstaller.
shoot() {
  local language=$1 locale=$2 word name xid x y w h taken=0
  copy_machine "$work/made" "$work/machine"
  export WINEPREFIX=$work/machine
  coproc DRIVER { LC_ALL=$locale wine "$driver" "$program" "$medium" 2>/dev/null; }
  # Bash forgets the coprocess's id once it has ended.
  local pid=$DRIVER_PID
  while read -r word name xid x y w h <&"${DRIVER[0]}"; do
    case "$word" in
    READY)
      if [ "$xid" != 0x0 ]; then
        import -silent -window "$xid" "$out/$name-$language.png"
      else  # no X window recorded: the screen, cut to the window's rectangle
        import -silent -window root -crop "${w}x${h}+${x}+${y}" +repage "$out/$name-$language.png"
      fi
      echo "  $out/$name-$language.png (${w}x${h})"
      taken=$((taken + 1))
      echo next >&"${DRIVER[1]}"
      ;;
    FAILED) echo "  the driver failed: $name $xid $x $y $w $h" >&2 ;;
    esac
  done
  wait "$pid" || { echo "the $language run failed" >&2; return 1; }
  [ "$taken" = 5 ] || { echo "the $language run took $taken pictures, not 5" >&2; return 1; }
  wineserver -w
}

echo "English:"
shoot en en_US.UTF-8
echo "Chinese (Taiwan):"
shoot zh zh_TW.UTF-8
