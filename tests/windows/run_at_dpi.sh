#!/usr/bin/env bash
# Runs a Windows test program under wine with the display set to DPI dots per inch (the wine
# prefix's LogPixels), telling the program through ORVEX_EXPECT_DPI; puts 96 back afterwards.
#
#   run_at_dpi.sh DPI PROGRAM [ARGS...]
set -euo pipefail
dpi=$1
shift
set_dpi() {
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
}
trap 'set_dpi 96' EXIT
set_dpi "$dpi"
ORVEX_EXPECT_DPI=$dpi wine "$@"
