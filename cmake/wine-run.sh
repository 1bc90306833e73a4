#!/usr/bin/env bash
# Runs a Windows program under Wine in the build tree's own prefix, with the
# Japanese locale (ANSI code page 932), never touching ~/.wine.
set -euo pipefail
exe=$1; shift
build=${TELK_WINE_BUILD:-$(cd "$(dirname "$exe")" && while [ ! -f CMakeCache.txt ] && [ "$PWD" != / ]; do cd ..; done; pwd)}
export WINEPREFIX=${WINEPREFIX:-$build/wineprefix}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}
export WINEDEBUG=${WINEDEBUG:--all}
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
if [ ! -d "$WINEPREFIX" ]; then
  mkdir -p "$WINEPREFIX"
  wineboot --init >/dev/null 2>&1 || true
  wineserver -w || true
fi
wine=$(command -v wine64 || command -v wine)
exec "$wine" "$exe" "$@"
