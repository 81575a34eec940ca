#!/usr/bin/env bash
# Installs every Debian package that building, testing and running Glanix needs.
# A second call costs a dpkg query and nothing else.
set -euo pipefail

packages=(
  # build
  build-essential cmake ninja-build ccache pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools
  qt6-webengine-dev qt6-webengine-dev-tools qt6-pdf-dev libqt6opengl6-dev libgl-dev libxkbcommon-dev
  qt6-qpa-plugins qt6-translations-l10n
  libssl-dev openssl ca-certificates
  # tests and tools
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  clang libclang-rt-14-dev
  xvfb xauth fonts-dejavu-core
  python3 curl wget
  dbus-daemon
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

if ((${#missing[@]} == 0)); then
  exit 0
fi

echo "Installation des paquets manquants : ${missing[*]}"
sudo_cmd=()
if [[ $(id -u) -ne 0 ]]; then sudo_cmd=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
