#!/usr/bin/env bash
# Builds telk.exe and starts it under Wine on a demo client install: a
# DESKTOP tree with a few accounts, shards and characters, and a working
# folder whose telk.ini points at it, so every button can be tried at once.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh

if [ -z "${DISPLAY:-}" ]; then
  cat >&2 <<'MSG'
No display. Start TELK from a desktop session, or give it a virtual one:
  xvfb-run -a -s "-screen 0 1280x1024x24" scripts/run.sh      (headless)
  Xvfb :5 -screen 0 1280x1024x24 & x11vnc -display :5 &  then DISPLAY=:5 scripts/run.sh
MSG
  exit 1
fi

cmake -S . -B build/win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/win -j"$(nproc)" --target telk

export WINEPREFIX="$PWD/build/demo-prefix"
export WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
[ -d "$WINEPREFIX/drive_c" ] || { wineboot --init >/dev/null 2>&1 || true; wineserver -w || true; }

c="$WINEPREFIX/drive_c"
install="$c/UO Demo/Ultima Online 2D"
work="$c/TELK Demo"
desk="$install/Desktop"
if [ ! -d "$desk" ]; then
  mkdir -p "$work"
  # Accounts, shards and characters, with the files the client keeps.
  for acct in alice bob carol; do
    for shard in Asuka Hokuto Mizuho Yamato; do
      for ch in Tanaka Suzuki Sato; do
        d="$desk/$acct/$shard/$ch"; mkdir -p "$d"
        for f in chardata.mul desktop.uos macros.txt skillgrp.mul uo.cfg; do
          printf '%s %s %s %s\r\n' "$f" "$acct" "$shard" "$ch" > "$d/$f"
        done
      done
    done
  done
  # One account with more shards than the list shows.
  for i in $(seq -w 1 12); do mkdir -p "$desk/dave/Shard$i/Hero"; done
fi
# The demo's client programs are Wine's own small programs, so a start can be tried.
[ -f "$work/telk.ini" ] || printf '%s\r\n' 'C:\windows\notepad.exe' 'C:\windows\system32\winver.exe' 'C:\UO Demo\Ultima Online 2D\' > "$work/telk.ini"

cp build/win/telk.exe "$work/telk.exe"
cd "$work"
echo "TELK starts in C:\\TELK Demo (here: $work)"
exec wine telk.exe
