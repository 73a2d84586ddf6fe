#!/usr/bin/env bash
# Installs what is missing, builds the suite, installs it into ./install-root and starts the
# launcher from there with the default skin.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)"

# Copies the programs, skins, server list and tmp/ into ./install-root and records it as
# installdir in the settings store.
scripts/install.sh install-root build

# The launcher start goes here: exec ./install-root/kvt_vavaver
