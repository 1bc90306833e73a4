#!/usr/bin/env bash
# Installs what building, testing and running TELK need on Debian 12, when
# missing, and generates the Japanese locale (Wine's ANSI code page 932).
# libFuzzer is in libclang-rt-14-dev, which clang only recommends; llvm
# brings the symbolizer for the sanitizers' reports.
# zip, cmark-gfm and python3 (the guide as HTML) make the release package;
# chromium (headless) measures the guide's page at a phone's width;
# fonts-wine has Marlett, which draws the frames' close cross.
set -euo pipefail
pkgs=(cmake make g++ libgtest-dev googletest mingw-w64 g++-mingw-w64-x86-64-posix
      wine wine64 xvfb x11-utils xauth xdotool fonts-noto-cjk locales imagemagick
      clang libclang-rt-14-dev llvm zip unzip cmark-gfm python3 fonts-wine
      chromium)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""; [ "$(id -u)" -eq 0 ] || sudo=sudo
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
fi
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  sudo=""; [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo localedef -i ja_JP -f UTF-8 ja_JP.UTF-8 || { echo "cannot generate the ja_JP.UTF-8 locale" >&2; exit 1; }
fi
