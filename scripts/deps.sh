#!/usr/bin/env bash
# Installs the Debian packages the build needs, only those that are missing.
set -euo pipefail

PACKAGES=(
  qt6-base-dev qt6-translations-l10n libxml2-dev libjpeg62-turbo-dev avra simavr libsimavr-dev
  libgtest-dev libbenchmark-dev
  xvfb xauth fonts-dejavu-core imagemagick
  clang libclang-rt-14-dev
  cmake g++ make ninja-build g++-multilib
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  SUDO=()
else
  SUDO=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${SUDO[@]}" apt-get update -qq
"${SUDO[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
