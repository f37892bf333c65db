#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need,
# only those that are missing.
set -euo pipefail
need=(cmake g++ make qt6-base-dev qt6-multimedia-dev libgtest-dev libgmock-dev
      poppler-utils fonts-liberation2 xvfb xauth qt6-translations-l10n
      pkg-config libgmime-3.0-dev)
if [ "${1:-}" = "--test" ]; then
  need+=(clang libclang-rt-14-dev libbenchmark-dev undbx)
fi
missing=()
for p in "${need[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installation des paquets manquants : ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
