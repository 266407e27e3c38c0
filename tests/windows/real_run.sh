#!/usr/bin/env bash
# tobrel.exe for real under Wine, on Xvfb, in a Wine virtual desktop where Wine
# draws the title bars and the task bar itself, driven with real mouse and key
# input (xdotool). What happened is read from what Windows reports to any
# program (window_probe.exe: window titles, rectangles, a screen shot), from
# the files in the prefix and from `wine reg query`; no accessibility.
#   real_run.sh WINE_RUN TOBREL.EXE WINDOW_PROBE.EXE OUTPUT_FOLDER
# Screenshots (BMP) of each step are kept in OUTPUT_FOLDER/shots.
set -euo pipefail
wine_run=$1
tobrel_exe=$2
probe_exe=$3
out=$4
for tool in Xvfb xdotool fc-match; do
    command -v "$tool" >/dev/null || { echo "real_run: $tool is missing" >&2; exit 1; }
done

rm -rf "$out/prefix" "$out/shots"
mkdir -p "$out/shots"
prefix=$out/prefix
shots=$out/shots
log=$out/real_run.log
: >"$log"

display=
xvfb_pid=
cleanup() {
    WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
    [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
for n in $(seq 90 140); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    sleep 1
    if kill -0 "$xvfb_pid" 2>/dev/null; then
        display=:$n
        break
    fi
    xvfb_pid=
done
[ -n "$display" ] || { echo "real_run: no free X display" >&2; exit 1; }
export DISPLAY=$display

wine() { "$wine_run" "$prefix" "$@"; }
fail() {
    echo "real_run: FAILED: $*" >&2
    echo "--- windows:" >&2
    wine "C:\\Tobrel\\window_probe.exe" windows 2>/dev/null | sed 's/\r$//' >&2 || true
    wine "C:\\Tobrel\\window_probe.exe" shot "Z:${shots//\//\\}\\failure.bmp" >/dev/null 2>&1 || true
    exit 1
}
step() { echo "== $*" | tee -a "$log"; }

# The prefix: every program in one virtual desktop of 1000 x 700, named
# "shell" so that Wine draws its task bar with the tray in it,
# "ＭＳ Ｐゴシック" drawn with IPAPGothic as Windows would with its own font.
step "prefix"
wine cmd /c exit >/dev/null 2>&1 || true
[ -d "$prefix/drive_c" ] || fail "Wine prefix not made"
# Wine's own fonts (fonts-wine), Marlett among them for the caption buttons:
# Debian's Wine does not put them into a new prefix's font folder.
mkdir -p "$prefix/drive_c/windows/Fonts"
for font in /usr/share/wine/fonts/*.ttf; do
    [ -e "$font" ] && cp "$font" "$prefix/drive_c/windows/Fonts/"
done
jp_font=$(fc-match -f '%{family[0]}' 'IPAPGothic')
[ "$jp_font" = "IPAPGothic" ] || fail "IPAPGothic is not installed (fonts-ipafont-gothic)"
wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d shell /f >/dev/null
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v shell /d 1000x700 /f >/dev/null
for family in "ＭＳ Ｐゴシック" "MS PGothic" "ＭＳ ゴシック" "MS UI Gothic"; do
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$family" /d IPAPGothic /f >/dev/null
done

# The program in a folder of its own with a settings file that places the
# window and opens the conversion panel on a folder with one VGS card.
install=$prefix/drive_c/Tobrel
cards=$prefix/drive_c/CARDS
mkdir -p "$install" "$cards"
cp "$tobrel_exe" "$install/tobrel.exe"
cp "$probe_exe" "$install/window_probe.exe"
python3 - "$cards/GAME.MEM" <<'EOF'
import sys
header = b"VgsM" + bytes([1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 2, 0, 0]) + bytes(44)
body = bytearray(131072)
body[0:2] = b"MC"
for i in range(2, 131072):
    body[i] = (i * 7) & 0xFF
open(sys.argv[1], "wb").write(header + bytes(body))
EOF
printf '[FORM]\r\nPOSTOP=1500\r\nPOSLEFT=1500\r\nLASTDIR=C:\\CARDS\r\nCONVTYPE=0\r\nLASTTAB=0\r\n' \
    >"$install/TOBREL.INI"

probe() { wine "C:\\Tobrel\\window_probe.exe" "$@" 2>/dev/null | sed 's/\r$//'; }
# The probe line of the visible top-level window with this exact title.
window_line() { probe windows | awk -F'|' -v t="$1" '$1 == t { print; exit }'; }
wait_for() { # wait_for SECONDS COMMAND...: true once COMMAND succeeds
    local until=$((SECONDS + $1))
    shift
    while [ $SECONDS -lt $until ]; do
        if "$@"; then return 0; fi
        sleep 0.5
    done
    return 1
}
has_window() { [ -n "$(window_line "$1")" ]; }
no_window() { [ -z "$(window_line "$1")" ]; }
# The shots folder as Windows programs see it (Wine's drive Z: is "/").
shots_dos="Z:${shots//\//\\}"
shot() { probe shot "$shots_dos\\$1.bmp" >/dev/null || fail "no screenshot $1"; }
field() { echo "$1" | cut -d'|' -f"$2"; }

# Clicks at a point of the virtual desktop (its own coordinates).
desktop=
click() { # click X Y [COUNT]
    xdotool mousemove --window "$desktop" "$1" "$2" sleep 0.2 click --repeat "${3:-1}" --delay 120 1
}
# Keys go to the window under the pointer (no window manager: X focus follows
# the pointer), through XTEST like a keyboard.
key() { xdotool key --delay 120 "$@"; }

step "start: wine explorer /desktop=shell,1000x700 tobrel.exe"
(cd "$install" && wine explorer /desktop=shell,1000x700 'C:\Tobrel\tobrel.exe' \
    >>"$log" 2>&1 &)
wait_for 90 has_window Tobrel || fail "the main window \"Tobrel\" did not show"
desktop=$(xdotool search --name 'Wine desktop' | head -n 1)
[ -n "$desktop" ] || fail "no Wine desktop window on the X display"
sleep 2 # the splash closes, the first paint
main=$(window_line Tobrel)
echo "main window: $main" | tee -a "$log"
read -r cx cy cw ch <<<"$(field "$main" 4 | tr ',' ' ')"
read -r wl wt wr _ <<<"$(field "$main" 3 | tr ',' ' ')"
# The client size at 96 dpi is the tab strip's: 5295 twips / 15 wide, and
# each tab's strip height in twips / 15.
tab_heights=(425 201 449 441 89)
[ "$cw" = 353 ] || fail "main window client width $cw, expected 353"
[ "$ch" = "${tab_heights[0]}" ] || fail "client height $ch on the first tab"

client_height() { field "$(window_line Tobrel)" 4 | cut -d, -f4; }
step "the five tabs (clicked once, then the arrow key)"
click $((cx + 15)) $((cy + 10))
shot tab1
for tab in 1 2 3 4; do
    key Right
    wait_for 10 test "$(client_height)" = "${tab_heights[$tab]}" ||
        fail "tab $((tab + 1)): client height $(client_height), expected ${tab_heights[$tab]}"
    sleep 0.5
    shot "tab$((tab + 1))"
done
key Left Left Left Left
wait_for 10 test "$(client_height)" = "${tab_heights[0]}" || fail "back to the first tab"

# Twips as pixels at 96 dpi, from the client's top-left corner; panels are at
# (120, 360) twips in the window.
at() { echo $((cx + ($1 + 120) / 15)) $((cy + ($2 + 360) / 15)); }
step "convert GAME.MEM (VGS→bleem!)"
# The file list (frame at 120,1275; list at 2445,270): its first row.
read -r x y <<<"$(at $((120 + 2445 + 300)) $((1275 + 270 + 120)))"
click "$x" "$y"
sleep 1
# 変換 (2445,2610, 1080 x 405 in the frame)
read -r x y <<<"$(at $((120 + 2445 + 540)) $((1275 + 2610 + 200)))"
click "$x" "$y"
wait_for 20 test -f "$cards/GAME.MCD" || fail "GAME.MCD was not written"
sleep 1
cmp -s <(tail -c 131072 "$cards/GAME.MEM") "$cards/GAME.MCD" ||
    fail "GAME.MCD is not the card of GAME.MEM without its header"
shot converted

step "変更 on the memory-card tab stores the slot in the registry"
click $((cx + 15)) $((cy + 10))
key Right
wait_for 10 test "$(client_height)" = "${tab_heights[1]}" || fail "memory-card tab"
# bleem! Slot1 box (frame 120,0; box 735,240)
read -r x y <<<"$(at $((120 + 735 + 600)) $((240 + 160)))"
click "$x" "$y"
key ctrl+a
xdotool type --delay 60 'C:\CARDS\GAME.MCD'
shot memcard
# 変更 (2730,2055)
read -r x y <<<"$(at $((2730 + 540)) $((2055 + 200)))"
click "$x" "$y"
stored() {
    wine reg query 'HKCU\Software\bleem\bleem!\1.0\CARD' /v Card0PathName 2>/dev/null |
        tr -d '\r' | grep 'C:\\CARDS\\GAME.MCD' >/dev/null
}
wait_for 15 stored || fail "wine reg query does not show Card0PathName = C:\\CARDS\\GAME.MCD"
wine reg query 'HKCU\Software\bleem\bleem!\1.0\CARD' 2>/dev/null | tr -d '\r' | tee -a "$log"

step "title-bar double click opens ﾊﾞｰｼﾞｮﾝ情報"
click $((wl + 60)) $(((wt + cy) / 2)) 2
wait_for 15 has_window "ﾊﾞｰｼﾞｮﾝ情報" || fail "no About window after the title-bar double click"
sleep 1
shot about
key Return
wait_for 10 no_window "ﾊﾞｰｼﾞｮﾝ情報" || fail "the About window did not close on Enter"

step "minimising puts the icon into Wine's tray; its double click restores"
sleep 1
shot before_minimise
# The minimise box: the caption button left of the close and maximise boxes.
# Wine draws the close box 15 and the minimise box 49 pixels left of the
# window's right edge (measured on Wine 8 with its default metrics).
click $((wr - 49)) $(((wt + cy) / 2))
wait_for 10 no_window Tobrel || fail "the main window did not go away when minimised"
sleep 2
shot minimised
# The task bar is the bottom 20 pixels of the desktop.
box=$(probe changed "$shots_dos\\before_minimise.bmp" "$shots_dos\\minimised.bmp" 680 || true)
echo "task bar change: $box" | tee -a "$log"
[ -n "$box" ] && [ "$box" != none ] || fail "nothing changed in Wine's task bar"
read -r bl bt br bb <<<"$(echo "$box" | tr ',' ' ')"
# The tray icon is the rightmost change in the task bar.
click $((br - 8)) $(((bt + bb) / 2)) 2
wait_for 10 has_window Tobrel || fail "the tray icon's double click did not restore the window"
sleep 1
shot restored

step "closing writes TOBREL.INI beside tobrel.exe"
read -r cx cy cw ch <<<"$(field "$(window_line Tobrel)" 4 | tr ',' ' ')"
# 閉じる of the memory-card panel (3855,2055)
read -r x y <<<"$(at $((3855 + 540)) $((2055 + 200)))"
click "$x" "$y"
wait_for 20 no_window Tobrel || fail "the main window did not close"
wait_for 10 grep -q '^CODEPATH=' "$install/TOBREL.INI" || fail "TOBREL.INI was not rewritten"
tr -d '\r' <"$install/TOBREL.INI" | tee -a "$log"
for key_name in LASTDIR POSTOP POSLEFT CONVTYPE LASTTAB CTRLTAB LAUNCHPATH0 ICONPATH CODEPATH WAKU; do
    grep -q "^$key_name=" "$install/TOBREL.INI" || fail "TOBREL.INI has no $key_name"
done
grep -q '^LASTTAB=1' "$install/TOBREL.INI" || fail "LASTTAB is not the memory-card tab"
stray=$(find "$prefix/drive_c/users" -iname 'tobrel.ini' | head -n 1)
[ -z "$stray" ] || fail "a settings file was written elsewhere: $stray"
cp "$install/TOBREL.INI" "$shots/TOBREL.INI"
echo "real_run: passed; screenshots in $shots"
