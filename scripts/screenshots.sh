#!/usr/bin/env bash
# Screenshots of every TELK window, reached as a user reaches them: under
# Xvfb with a Japanese Wine prefix of its own, the real telk.exe in its own
# folder (C:\TELK), a made-up client install in the default place
# (C:\Program Files\Ultima Online 2D). Writes PNGs into docs/screenshots/.
#
# Usage: scripts/screenshots.sh [build folder of the MinGW build]
# Needs: wine, Xvfb, xdotool, xwininfo, ImageMagick (import, convert).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build/win}" && pwd)
out=$root/docs/screenshots
display=${TELK_SCREENSHOT_DISPLAY:-:97}

export WINEPREFIX=$build/wineprefix-screenshots
export WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=-all
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
export DISPLAY=$display

fail() { echo "screenshots: $*" >&2; exit 1; }
[ -f "$build/telk.exe" ] || fail "no telk.exe in $build"

# A white root: a picture of several windows shows it where none covers.
# As wide as the screens 150 % is made for, where the undo window is 1680
# pixels wide.
Xvfb "$display" -screen 0 1920x1200x24 -wr -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
telk=
cleanup() {
  [ -n "$telk" ] && kill "$telk" 2>/dev/null || true
  wineserver -k 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
for _ in $(seq 1 50); do xdotool getmouselocation >/dev/null 2>&1 && break; sleep 0.1; done

if [ ! -d "$WINEPREFIX" ]; then
  wineboot --init >/dev/null 2>&1 || true
  wineserver -w
fi
# No window manager runs here: Wine draws the frames itself, and does not
# wait for a manager to take a window down (2 s on every destroy otherwise).
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
set_dpi() {
  dpi=$1
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
}
set_dpi 96

drive_c=$WINEPREFIX/drive_c
# The frames' close cross is a Marlett glyph; this Wine does not load the
# fonts of its own data folder, but it does those of C:\windows\Fonts.
marlett=$(dpkg -L fonts-wine 2>/dev/null | grep -m1 '/marlett\.ttf$' || true)
[ -n "$marlett" ] || fail "no marlett.ttf: scripts/deps.sh installs fonts-wine"
cp "$marlett" "$drive_c/windows/Fonts/"
work=$drive_c/TELK
client=$drive_c/Program\ Files/Ultima\ Online\ 2D
rm -rf "$work" "$client" "$drive_c/UO-many"
mkdir -p "$work" "$out"
cp "$build/telk.exe" "$work/"

# A client install with a DESKTOP tree: accounts, shards, characters.
for account in account01 サブ垢; do
  for shard in Yamato Asuka Atlantic; do
    for char in ブリ太郎 Hanako; do
      dir=$client/Desktop/$account/$shard/$char
      mkdir -p "$dir"
      for f in chardata.mul desktop.uos macros.txt skillgrp.mul; do echo "$account $shard $char" >"$dir/$f"; done
    done
  done
done
: >"$client/UO.exe"
: >"$client/client.exe"
# A DESKTOP folder so full that building the main window takes a moment:
# long enough to photograph the wait window.
mkdir -p "$drive_c/UO-many/Desktop"
(cd "$drive_c/UO-many/Desktop" && seq -f 'e%06g' 1 60000 | xargs touch)

# ---- helpers

# Waits for a visible window whose title matches; prints its id.
window() {
  local id
  for _ in $(seq 1 150); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  fail "no window \"$1\""
}

gone() {
  for _ in $(seq 1 150); do
    xwininfo -id "$1" 2>/dev/null | grep -q IsViewable || return 0
    sleep 0.1
  done
  fail "window $1 stays"
}

# Waits until no visible window's title matches.
closed() {
  for _ in $(seq 1 150); do
    [ -z "$(xdotool search --onlyvisible --name "$1" 2>/dev/null || true)" ] && return 0
    sleep 0.1
  done
  fail "window \"$1\" stays"
}

start_telk() {
  (cd "$work" && exec wine "C:\\TELK\\telk.exe") >/dev/null 2>&1 &
  telk=$!
}

ended() {
  for _ in $(seq 1 150); do
    kill -0 "$telk" 2>/dev/null || { telk=; return 0; }
    sleep 0.1
  done
  fail "telk.exe did not end"
}

# Twips to pixels at the prefix's DPI.
px() { echo $((($1 * dpi + 720) / 1440)); }

# click TITLE CLIENT_W CLIENT_H LEFT TOP WIDTH HEIGHT: the centre of a
# control, all in twips as the layout tables give them.
click() {
  local id X Y WIDTH HEIGHT SCREEN WINDOW
  id=$(window "$1")
  eval "$(xdotool getwindowgeometry --shell "$id")"
  local bx=$(((WIDTH - $(px "$2")) / 2))
  local by=$((HEIGHT - $(px "$3") - bx))
  xdotool mousemove $((X + bx + $(px $(($4 + $6 / 2))))) $((Y + by + $(px $(($5 + $7 / 2)))))
  sleep 0.3
  xdotool click "${8:-1}"
  sleep 0.2
  xdotool mousemove 1 1
}

# Types into the focused control of the window.
type_into() {
  local id
  id=$(window "$1")
  xdotool windowfocus --sync "$id"
  xdotool key --clearmodifiers Home shift+End
  # Each character not on the keyboard map borrows a spare key; typed fast,
  # Wine can miss a borrowed key (「い装備」 for 「いつもの装備」).
  xdotool type --delay 100 "$2"
}

# Presses keys in the window, as a keyboard user does.
keys() {
  local id
  id=$(window "$1"); shift
  xdotool windowfocus --sync "$id"
  xdotool key --clearmodifiers "$@"
  sleep 0.3
}

# Presses Enter in a message box (its default button) and waits it out.
answer() {
  local id
  id=$(window "$1")
  xdotool windowfocus --sync "$id"
  sleep 0.2
  xdotool key Return
  gone "$id"
}

# The window alone.
# With no window manager the keyboard focus follows the pointer: moving it
# off a button (Wine starts with it mid-screen) would leave the window
# inactive unless it is given the focus outright.
focus() {
  xdotool mousemove 1 1
  xdotool windowfocus --sync "$(window "$1")"
}

shot_window() {
  local id
  id=$(window "$2")
  focus "$2"
  sleep 0.6
  import -window "$id" "$out/$1.png"
}

# Every TELK window on screen, as they stand over one another; the one
# titled $2 is the active one.
shot_all() {
  focus "$2"
  sleep 0.6
  local x0=99999 y0=99999 x1=0 y1=0 X Y WIDTH HEIGHT SCREEN WINDOW id
  for id in $(xdotool search --onlyvisible --classname 'telk.exe'); do
    eval "$(xdotool getwindowgeometry --shell "$id")"
    [ "$WIDTH" -gt 30 ] && [ "$HEIGHT" -gt 30 ] || continue
    ((X < x0)) && x0=$X; ((Y < y0)) && y0=$Y
    ((X + WIDTH > x1)) && x1=$((X + WIDTH)); ((Y + HEIGHT > y1)) && y1=$((Y + HEIGHT))
  done
  import -window root -crop "$((x1 - x0))x$((y1 - y0))+$x0+$y0" +repage "$out/$1.png"
}

# Window titles and client sizes (twips) from the layout tables.
UOSEL='^ＵＯフォルダこれでいいかな？$';   UOSEL_W=5760; UOSEL_H=2295
MAIN='^どのキャラっすかね？$';            MAIN_W=6180;  MAIN_H=4980
SETUP='^TELK設定$';                       SETUP_W=6735; SETUP_H=2925
RUNUO='^ＵＯ起動します？$';               RUNUO_W=5625; RUNUO_H=1755
SELDIR='^フォルダ選択$';                  SELDIR_W=5130; SELDIR_H=4005
SELFILE='^ＵＯ実行実行プログラム選択$';   SELFILE_W=6180; SELFILE_H=3660
UNDO='^いつに戻します？$';                UNDO_W=16800; UNDO_H=4485

uosel() { click "$UOSEL" $UOSEL_W $UOSEL_H "$@"; }
main() { click "$MAIN" $MAIN_W $MAIN_H "$@"; }
setup() { click "$SETUP" $SETUP_W $SETUP_H "$@"; }
seldir() { click "$SELDIR" $SELDIR_W $SELDIR_H "$@"; }
selfile() { click "$SELFILE" $SELFILE_W $SELFILE_H "$@"; }

# ---- run 1: the client folder window, the pickers and the settings

start_telk
shot_window 01-client-folder "$UOSEL"

uosel 120 840 1575 495                        # これじゃない
shot_all 02-folder-picker "$SELDIR"
seldir 3840 1080 1095 735                     # 中止
closed "$SELDIR"

uosel 4680 1560 855 615                       # 設定
shot_window 03-settings "$SETUP"
setup 5760 240 855 615                        # 選択 (2D)
shot_window 04-program-picker "$SELFILE"
selfile 4920 240 1095 735                     # 選択 with no file chosen
shot_all 05-program-picker-no-file '^TELK$'
answer '^TELK$'
selfile 4920 1080 1095 735                    # 中断
closed "$SELFILE"
setup 5400 2160 1215 615                      # 終了
closed "$SETUP"
uosel 3960 840 1575 495                       # や～めた
ended

# ---- run 2: the wait window, while a crowded DESKTOP folder is read

start_telk
type_into "$UOSEL" 'C:\UO-many'
uosel 2040 840 1575 495                       # いいよん
for _ in $(seq 1 300); do
  for id in $(xdotool search --onlyvisible --classname 'telk.exe' 2>/dev/null); do
    [ -z "$(xdotool getwindowname "$id")" ] || continue
    eval "$(xdotool getwindowgeometry --shell "$id")"
    if [ "$WIDTH" -gt 300 ]; then import -window "$id" "$out/06-wait.png"; break 2; fi
  done
  sleep 0.02
done
[ -f "$out/06-wait.png" ] || echo "screenshots: the wait window was gone too soon" >&2
# What the crowded folder makes of the main window does not matter here.
kill "$telk"
wait "$telk" 2>/dev/null || true
telk=

# ---- run 3: the main window, back-up, restore, the launch prompt

start_telk
uosel 2040 840 1575 495                       # いいよん
shot_window 07-main "$MAIN"
main 4680 120 1335 975                        # このキャラを編集したいな
main 120 2520 255 375                         # slot 2
main 2040 2520 2295 375                       # its name box
type_into "$MAIN" 'いつもの装備'
shot_window 08-main-confirmed "$MAIN"
keys "$MAIN" shift+Tab Down                   # from the name box to slot 2's button, on to slot 3
shot_window 15-main-slot-focus "$MAIN"
keys "$MAIN" Up                               # back to slot 2
# The slot gets a uo.cfg that the character then lacks, so restoring it adds
# one: the undo rows show a file to be taken away.
hanako=$client/Desktop/account01/Asuka/Hanako
echo 'account01 Asuka Hanako' >"$hanako/uo.cfg"
main 4680 1680 1335 855                       # バックアップ
shot_all 09-backup-question '^TELK$'
answer '^TELK$'
answer '^TELK$'
rm "$hanako/uo.cfg"
main 4680 2880 1335 855                       # リストア: the first generation, kept for good
answer '^TELK$'
window "$RUNUO" >/dev/null
shot_window 10-launch-prompt "$RUNUO"
shot_all 11-launch-prompt-over-main "$RUNUO"
click "$RUNUO" $RUNUO_W $RUNUO_H 3840 720 1455 855   # なんもしない
closed "$RUNUO"
undo_menu() {
  main 120 1260 4440 240 3                    # right-click between the lists and the slot rows
  sleep 0.5
  xdotool key Down Return                     # リストアを元に戻す…
  window "$UNDO" >/dev/null
}
undo_menu
keys "$UNDO" Return                           # 戻す, the only row: an undo's generation
answer '^TELK$'
window "$RUNUO" >/dev/null
click "$RUNUO" $RUNUO_W $RUNUO_H 3840 720 1455 855   # なんもしない
closed "$RUNUO"
main 4680 2880 1335 855                       # リストア once more: a restore, an undo, the first
answer '^TELK$'
window "$RUNUO" >/dev/null
click "$RUNUO" $RUNUO_W $RUNUO_H 3840 720 1455 855   # なんもしない
closed "$RUNUO"
undo_menu
shot_window 17-undo "$UNDO"
click "$UNDO" $UNDO_W $UNDO_H 15465 3720 1215 615     # やめる
closed "$UNDO"
main 240 4080 5775 735                        # 終了
shot_all 12-quit-question '^確認しま～す$'
answer '^確認しま～す$'
ended

# ---- run 4: at 150 % (144 DPI), the same layout scaled

set_dpi 144
start_telk
shot_window 13-client-folder-150 "$UOSEL"
uosel 2040 840 1575 495                       # いいよん
shot_window 14-main-150 "$MAIN"
main 4680 120 1335 975                        # このキャラを編集したいな
keys "$MAIN" Tab Tab Down                     # 終了, slot 0's button, slot 1
shot_window 16-main-slot-focus-150 "$MAIN"
undo_menu                                     # the rows of run 3
shot_window 18-undo-150 "$UNDO"
kill "$telk"
wait "$telk" 2>/dev/null || true
telk=
set_dpi 96

echo "screenshots in $out:"
ls "$out"
