#!/usr/bin/env bash
# Makes the README's screenshots of the desktop program under Xvfb: the
# program starts in a temporary program folder (a copy of the delivered
# settings file and template, first start already done, language set),
# captures its own window once it is up (qm570 --screenshot) and ends through
# File > Exit. The pictures go to docs/.
#
# Another window: add a `shot` line below with the window's name as
# `qm570 --help` lists it for --screenshot-window (register new windows in
# src/desktop/uiScreenshot.cpp).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
if [ ! -f build/build.ninja ] && [ ! -f build/Makefile ]; then
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER_LAUNCHER=ccache >/dev/null
fi
cmake --build build -j2 --target qm570 qm570-data >/dev/null

mkdir -p docs
work=$(mktemp -d)
shots="${TMPDIR:-/tmp}/qm570-screenshots"
trap 'rm -rf "$work" "$shots"' EXIT

# shot LANGUAGE WINDOW OUTPUT   (LANGUAGE: 1 Simplified Chinese, 3 English)
shot() {
  local language=$1 window=$2 out=$3
  # A fixed, short folder: its path shows in the status bar of the pictures.
  local home="$shots/QM570"
  rm -rf "$home"
  mkdir -p "$home"
  cp build/bin/Uninstall.exe build/bin/Kelvex.exe "$home/"
  sed -i -e 's/^FirRun=.*/FirRun=0/' -e "s/^Language=.*/Language=$language/" "$home/Uninstall.exe"
  grep -q '^FirRun=0' "$home/Uninstall.exe" && grep -q "^Language=$language" "$home/Uninstall.exe" || {
    echo "screenshots: build/bin/Uninstall.exe has no FirRun or Language key" >&2
    exit 1
  }
  timeout 120 xvfb-run -a -s "-screen 0 1280x800x24" \
    build/bin/qm570 --home "$home" --screenshot "$work/shot.png" --screenshot-window "$window" 2>"$work/log" || {
    echo "screenshots: qm570 failed for $window (language $language):" >&2
    cat "$work/log" >&2
    exit 1
  }
  mv "$work/shot.png" "$out"
  echo "screenshots: $out"
}

shot 3 mdifrmMain docs/main-en.png
shot 1 mdifrmMain docs/main-zh.png
shot 3 frmChMem docs/channels-en.png
shot 1 frmChMem docs/channels-zh.png
shot 3 frmSysSet docs/options-en.png
shot 1 frmSysSet docs/options-zh.png
shot 3 frmCommun docs/readwrite-en.png
shot 1 frmCommun docs/readwrite-zh.png
