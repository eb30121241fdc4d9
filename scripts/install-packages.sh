#!/usr/bin/env bash
# Installs the Debian 12 packages that building and testing everything needs, those that are
# missing only (as root; as another user with sudo). scripts/check runs it first.
set -euo pipefail
cd "$(dirname "$0")/.."

. scripts/packages.sh
ensure_architecture i386  # for 32-bit Wine
ensure_packages "${native_packages[@]}" clang libclang-rt-14-dev mingw-w64 mingw-w64-tools \
  wine wine64 wine32:i386 libwine-dev wixl msitools osslsigncode openssl python3 clang-format
