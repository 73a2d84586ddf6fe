#!/usr/bin/env bash
# Installs every Debian 12 package that building, running and testing the suite needs.
# Idempotent: packages already installed are skipped, and apt is not touched when nothing is missing.
set -euo pipefail

packages=(
  build-essential g++ cmake ninja-build pkg-config git ca-certificates
  clang libclang-rt-14-dev
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev libgl-dev libxcb1-dev
  libjpeg62-turbo-dev
  libgtest-dev libgmock-dev
  python3 python3-pyftpdlib
  xdg-utils iputils-ping
  xvfb icewm trayer libx11-dev libxtst-dev libxdamage-dev
  fonts-dejavu-core
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

# sudo resets the environment, so the front end is set on the far side of it: apt must not stop
# to ask questions when nobody is at the terminal.
as_root=(env DEBIAN_FRONTEND=noninteractive)
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null 2>&1; then
    echo "install-deps: missing packages (${missing[*]}) and no sudo to install them; run as root" >&2
    exit 1
  fi
  as_root=(sudo "${as_root[@]}")
fi

echo "install-deps: installing ${missing[*]}"
"${as_root[@]}" apt-get update -q
"${as_root[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
