#!/usr/bin/env bash
# Installs the built suite into an install folder and records that folder in the user's
# settings store (installdir, and the default skin as style unless a style is stored already).
#
#   scripts/install.sh <install folder> [build folder, default: build beside this script's folder]
set -euo pipefail

if [[ $# -lt 1 || $# -gt 2 ]]; then
  echo "usage: $0 <install folder> [build folder]" >&2
  exit 2
fi
repository=$(cd "$(dirname "$0")/.." && pwd -P)
build=${2:-$repository/build}
default_skin=default

cmake --install "$build" --prefix "$1"
install_folder=$(cd "$1" && pwd -P)
"$build/platform/core/kvtu_settings_tool" record-install "$install_folder" "$default_skin"
echo "Installed into $install_folder"
