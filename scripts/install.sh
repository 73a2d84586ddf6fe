#!/usr/bin/env bash
# Installs the built suite into an install folder and records that folder in the user's
# settings store (installdir, and the default skin as style unless a style is stored already).
# Puts a menu entry for the launcher and one for the browser, with the suite's icon, into the
# user's data folder (${XDG_DATA_HOME:-$HOME/.local/share}); installing again replaces them.
#
#   scripts/install.sh <install folder> [build folder, default: build beside this script's folder]
set -euo pipefail
# A CDPATH would send the cd's below elsewhere and make them print the folder they went to.
unset CDPATH

if [[ $# -lt 1 || $# -gt 2 ]]; then
  echo "usage: $0 <install folder> [build folder]" >&2
  exit 2
fi
repository=$(cd -- "$(dirname -- "$0")/.." && pwd -P)
build=${2:-$repository/build}
settings_tool=$build/platform/core/kvtu_settings_tool
default_skin=default

if [[ ! -f $build/cmake_install.cmake || ! -x $settings_tool ]]; then
  echo "$0: no built suite in '$build'; build it first:" >&2
  echo "  cmake -S '$repository' -B '$build' -G Ninja && cmake --build '$build'" >&2
  exit 1
fi

cmake --install "$build" --prefix "$1"
install_folder=$(cd -- "$1" && pwd -P)
"$settings_tool" record-install "$install_folder" "$default_skin"
"$settings_tool" menu-entries "$install_folder" "$repository/assets/icons/kvtu.png"
echo "Installed into $install_folder"
if [[ $EUID -eq 0 && -n ${SUDO_USER:-} && $SUDO_USER != root ]]; then
  echo "Note: the install folder and the menu entries were recorded for root, where the" \
    "programs and the desktop of $SUDO_USER do not find them; run this script as" \
    "$SUDO_USER instead." >&2
fi
