#!/usr/bin/env bash
# Checks the Windows setup program the way a user meets it, under Wine in a
# fresh prefix whose Z: drive (the Linux root) is removed first:
#
#   - thymara.exe carries its icon, version information and manifest;
#   - an older version is installed first (built here from the same folder,
#     with a lower version and one file more), then the setup silently
#     installs over it: its files, the Start-menu shortcut and one Apps &
#     features entry are in place, the file the new version dropped is gone,
#     and nothing went under Program Files;
#   - the program starts from the shortcut, shows its main window, writes its
#     setting and keeps its lock out of the profile's root; while it runs, the
#     setup and the silent uninstall refuse, and say so in their status;
#   - updates killed at ten moments: each time the shortcut still starts the
#     program, and the setup run again completes the update;
#   - a folder where the lock file belongs blocks neither setup nor
#     uninstall, while a copy running on its fallback lock still does; an
#     uninstall that cannot remove the files of a copy running with no lock
#     at all ends with a status other than 0 and keeps the entry;
#   - the silent uninstall removes files, folder, shortcut, entry and the
#     folders the setup made, and keeps the setting; so it does for a folder
#     with a Unicode name whose parent the setup made too, and for one about
#     700 characters long, 14 of whose parents the setup made.
#
# With a SCREENSHOT_DIR the Windows display runs at 192 dpi, the setup runs
# with its pages shown (each saved) instead of silently, and the program
# started from its finish page is saved too.
#
# Usage: installer-check.sh VERSION SETUP FOLDER NSI [SCREENSHOT_DIR]
#   FOLDER  the folder the setup was made from; NSI the configured script
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../common.sh"
inside_debian13 "$ROOT/scripts/windows/installer-check.sh" "$@"

VERSION="$1"
SETUP="$(realpath "$2")"
FOLDER="$(realpath "$3")"
NSI="$(realpath "$4")"
SHOT_DIR="${5:-}"
# The window title is the program's own text, not the package version.
TITLE_PATTERN="$(title_pattern "$(dirname "$NSI")/..")"
UNINSTALL_KEY='Software\Microsoft\Windows\CurrentVersion\Uninstall\Thymara'

# Wine reads command lines and file names in the locale's encoding.
export LC_ALL=C.UTF-8

source "$ROOT/scripts/windows/wine_session.sh" installer-check

echo "Installer check of $(basename "$SETUP")"

# --- the program's own resources -----------------------------------------------
exe="$FOLDER/thymara.exe"
wrestool -x --type=group_icon "$exe" >"$WORK/thymara.ico" 2>/dev/null ||
    fail "thymara.exe has no icon"
sizes="$(icotool -l "$WORK/thymara.ico" | sed -n 's/.*--width=\([0-9]*\).*/\1/p' | sort -n | xargs)"
[ "$sizes" = "16 24 32 48 64 128 256" ] || fail "thymara.exe's icon has the sizes $sizes"
# The version strings are UTF-16 key, value, key, value...
version_info="$(wrestool -x --raw --type=version "$exe" 2>/dev/null | strings -el -n 1)"
version_of() { awk -v k="$1" 'found { print; exit } $0 == k { found = 1 }' <<<"$version_info"; }
for pair in "ProductName=Thymara" "FileDescription=Thymara" "FileVersion=$VERSION" \
    "ProductVersion=$VERSION" "OriginalFilename=thymara.exe"; do
    [ "$(version_of "${pair%%=*}")" = "${pair#*=}" ] ||
        fail "thymara.exe's ${pair%%=*} is '$(version_of "${pair%%=*}")', expected '${pair#*=}'"
done
[ -n "$(version_of CompanyName)" ] && grep -q '^Copyright' <<<"$(version_of LegalCopyright)" ||
    fail "thymara.exe lacks CompanyName or LegalCopyright"
manifest="$(wrestool -x --raw --type=24 "$exe" 2>/dev/null)"
grep -q 'level="asInvoker"' <<<"$manifest" &&
    grep -q '{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}' <<<"$manifest" &&
    grep -q '>PerMonitorV2<' <<<"$manifest" ||
    fail "thymara.exe's manifest lacks asInvoker, Windows 10/11 or PerMonitorV2: $manifest"
pass "thymara.exe: icon $sizes px; $(version_of ProductName) $(version_of ProductVersion) by $(version_of CompanyName), \"$(version_of LegalCopyright)\"; manifest asInvoker, Windows 10/11, PerMonitorV2"

# --- an older version to install over ------------------------------------------------
cp -r "$FOLDER" "$WORK/old"
mkdir -p "$WORK/old/retired"
echo "a file only the older version has" >"$WORK/old/retired/dropped.txt"
"$ROOT/scripts/windows/make-installer.sh" "$NSI" "$WORK/old" "$WORK/thymara-0.9-setup.exe" 0.9 >/dev/null

# --- a fresh prefix holding only the two setup programs --------------------------
new_wine_prefix "$WINEPREFIX" --without-linux-drive
mkdir -p "$WINEPREFIX/drive_c/setup"
cp "$SETUP" "$WORK/thymara-0.9-setup.exe" "$WINEPREFIX/drive_c/setup/"
SETUP_WIN="C:\\setup\\$(basename "$SETUP")"
C="$WINEPREFIX/drive_c"
program_files() { (cd "$C" && find "Program Files" "Program Files (x86)" 2>/dev/null | sort); }
program_files >"$WORK/program-files.before"
PROGRAMS="$(cd "$C" && find users -maxdepth 4 -path '*/AppData/Local/Programs')"

if [ -n "$SHOT_DIR" ]; then
    timeout 60 "$WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 192 /f >/dev/null 2>&1
fi

# Wine keeps the registry in memory until its server ends: each check reads
# user.reg after waiting for the server.
# Wine's own services (explorer, winedevice) may outlive the last program for
# a while on a loaded machine; they are stopped after the bound and named.
# A program of ours still running then is a fault.
settle() {
    timeout 120 "$WINESERVER" -w && return 0
    local left
    left="$(pgrep -a -f '[A-Za-z]:\\.*\.exe' || true)"
    echo "installer-check: Wine's processes did not end within 2 minutes: ${left:-none listed}" >&2
    if grep -qiE 'thymara|setup|uninstall' <<<"$left"; then
        fail "a program of Thymara's did not end within 2 minutes"
    fi
    timeout 20 "$WINESERVER" -k || true
    timeout 60 "$WINESERVER" -w || fail "Wine's processes did not end, even when told to"
}
# reg_value KEY NAME: a value of HKEY_CURRENT_USER\KEY as user.reg holds it,
# strings unescaped, numbers as dword:XXXXXXXX.
reg_value() {
    REG_HEADER="[${1//\\/\\\\}]" REG_NAME="\"$2\"" awk '
        BEGIN { h = ENVIRON["REG_HEADER"]; n = ENVIRON["REG_NAME"] }
        index($0, "[") == 1 { inside = (index($0, h " ") == 1 || $0 == h); next }
        inside && index($0, n "=") == 1 {
            v = substr($0, length(n) + 2)
            if (v !~ /^"/) { print v; exit }
            v = substr(v, 2, length(v) - 2)
            out = ""
            for (i = 1; i <= length(v); i++) {
                c = substr(v, i, 1)
                if (c == "\\") c = substr(v, ++i, 1)
                out = out c
            }
            print out
            exit
        }' "$WINEPREFIX/user.reg"
}
key_count() { grep -c "^\[${1//\\/\\\\\\\\}\]" "$WINEPREFIX/user.reg" || true; }

# --- the older version, then this one silently over it ---------------------------------
(unset DISPLAY; timeout 120 "$WINE" 'C:\setup\thymara-0.9-setup.exe' /S) ||
    fail "the older setup failed (status $?)"
settle
INSTALLED="$(reg_value "$UNINSTALL_KEY" InstallLocation)"
[ "$(reg_value "$UNINSTALL_KEY" DisplayVersion)" = 0.9 ] && [ -n "$INSTALLED" ] ||
    fail "the older setup registered no version 0.9"
DIR="$C/$(sed 's|^C:\\||; s|\\|/|g' <<<"$INSTALLED")"
[ -f "$DIR/retired/dropped.txt" ] || fail "the older setup did not install its extra file into $DIR"

display_up=""
display() {
    [ -n "$display_up" ] && return 0
    # A Wine session begun without a display never shows a window: let it end.
    settle
    start_virtual_display
    xdotool mousemove 1 1
    display_up=1
}
# Ends the program through its exit window, as a user does.
end_program() {
    local main="$1" exit_window
    press "$main" alt+f x
    exit_window=$(new_window "$TITLE_PATTERN" "$main") || fail "File > Exit showed no exit window"
    press "$exit_window" alt+x
    poll 20 is_gone "$exit_window" "$TITLE_PATTERN" || fail "the exit window's Exit did not end the program"
}
seconds_since() { awk -v a="$1" -v b="$(date +%s.%N)" 'BEGIN { printf "%.1f", b - a }'; }

started=$(date +%s.%N)
if [ -z "$SHOT_DIR" ]; then
    (unset DISPLAY; timeout 120 "$WINE" "$SETUP_WIN" /S) || fail "the setup failed (status $?)"
    how="silent install"
else
    # The pages as a user sees them, at 192 dpi; Return takes the default
    # button each time: I Agree, Install, Finish with "Start Thymara" ticked.
    export VIRTUAL_SCREEN=1600x1200x24 # the windows at 200 %
    display
    "$WINE" "$SETUP_WIN" >"$WORK/setup.log" 2>&1 &
    setup_pid=$!
    setup=$(new_window '^Thymara Setup *$' "") || fail "the setup showed no window: $(cat "$WORK/setup.log")"
    shoot "$setup" setup-1-licence.png
    press "$setup" Return
    sleep 1.5
    shoot "$setup" setup-2-folder.png
    press "$setup" Return
    # Done when this version's list (no retired\ in it) is in place and the
    # folder the new version was built in beside the old one is gone.
    updated() { [ -f "$DIR/thymara-files.txt" ] && ! grep -q '^retired' "$DIR/thymara-files.txt" && [ ! -e "$DIR/~update" ]; }
    poll 60 updated || fail "the setup did not finish installing"
    sleep 2
    shoot "$setup" setup-3-finish.png
    press "$setup" Return
    poll 30 bash -c "! kill -0 $setup_pid 2>/dev/null" || fail "the setup did not end after Finish"
    main=$(new_window "$TITLE_PATTERN" "") || fail "Finish with \"Start Thymara\" started no program"
    shoot "$main" installed-main-window.png
    end_program "$main"
    how="install through its pages"
fi
install_seconds="$(seconds_since "$started")"
settle

expected="$( (cd "$FOLDER" && find . -type f; echo ./uninstall.exe; echo ./thymara-files.txt) | sort)"
# installed_as_expected WHEN: the folder holds exactly this version's files.
installed_as_expected() {
    local actual
    actual="$(cd "$DIR" && find . -type f | sort)"
    [ "$actual" = "$expected" ] ||
        fail "$1, the installed files differ from the folder's: $(diff <(echo "$expected") <(echo "$actual") || true)"
}
installed_as_expected "after the update over 0.9"
[ ! -e "$DIR/retired" ] || fail "the file the older version had and this one dropped is still there"
pass "$how over 0.9 in $install_seconds s: the folder's $(wc -l <<<"$expected") files in $INSTALLED, the dropped file and its folder gone"
lnk="$(cd "$C" && find users -path '*/Start Menu/Programs/Thymara.lnk' | head -1)"
[ -n "$lnk" ] || fail "no Start-menu shortcut Thymara.lnk"
# The icon location is the last of the shortcut's strings (UTF-16).
strings -el -n 3 "$C/$lnk" | tail -1 | grep -qF "$INSTALLED\thymara.exe" ||
    fail "the shortcut does not take its icon from thymara.exe"
[ "$(key_count "$UNINSTALL_KEY")" = 1 ] && [ "$(grep -c '^"DisplayName"="Thymara"' "$WINEPREFIX/user.reg")" = 1 ] ||
    fail "there is not exactly one Apps & features entry for Thymara"
for pair in "DisplayVersion=$VERSION" "InstallLocation=$INSTALLED" \
    "DisplayIcon=$INSTALLED\\thymara.exe,0" \
    "UninstallString=\"$INSTALLED\\uninstall.exe\"" \
    "QuietUninstallString=\"$INSTALLED\\uninstall.exe\" /S" \
    "NoModify=dword:00000001" "NoRepair=dword:00000001"; do
    [ "$(reg_value "$UNINSTALL_KEY" "${pair%%=*}")" = "${pair#*=}" ] ||
        fail "the entry's ${pair%%=*} is '$(reg_value "$UNINSTALL_KEY" "${pair%%=*}")', expected '${pair#*=}'"
done
publisher="$(reg_value "$UNINSTALL_KEY" Publisher)"
size="$(reg_value "$UNINSTALL_KEY" EstimatedSize)"
[ -n "$publisher" ] && grep -q '^dword:' <<<"$size" || fail "the entry lacks Publisher or EstimatedSize"
pass "shortcut C:\\${lnk//\//\\} with thymara.exe's icon; one entry HKCU\\$UNINSTALL_KEY, version $VERSION by $publisher, $((16#${size#dword:})) KB"
[ "$(program_files)" = "$(cat "$WORK/program-files.before")" ] || fail "something was installed under Program Files"
pass "nothing went under Program Files"

# --- the program from its shortcut ---------------------------------------------------------------
display
"$WINE" start /unix "$C/$lnk" >"$WORK/start.log" 2>&1 || fail "the shortcut did not start: $(cat "$WORK/start.log")"
main=$(new_window "$TITLE_PATTERN" "") || fail "the shortcut showed no window titled $TITLE_PATTERN"
duration="$(timeout 60 "$WINE" reg query 'HKCU\Software\thymara\thymara\Settings' /v Duration 2>/dev/null |
    tr -d '\r' | awk '$1 == "Duration" { print $3 }')"
[ -n "$duration" ] || fail "the program wrote no Duration under HKCU\\Software\\thymara\\thymara\\Settings"
lock="$(cd "$C" && find users -path '*/AppData/Local/thymara/thymara.lock' | head -1)"
[ -n "$lock" ] || fail "no %LOCALAPPDATA%\\thymara\\thymara.lock while the program runs"
[ -z "$(cd "$C" && find users -maxdepth 2 -name 'thymara.lock*')" ] || fail "a lock lies in the profile's root"
pass "the shortcut starts $TITLE_PATTERN; Duration=$duration; lock C:\\${lock//\//\\}, none in the profile's root"

# Replacing a running program would leave it half old, half new.
refused=0
(unset DISPLAY; timeout 120 "$WINE" "$SETUP_WIN" /S) || refused=$?
[ "$refused" = 2 ] || fail "the setup, run while the program runs, ended with status $refused (expected 2, refused)"
[ -n "$(visible_windows "$TITLE_PATTERN")" ] || fail "the running program went away"
pass "while the program runs, the setup refuses (status 2) and leaves it running"
# A script or software manager must learn that nothing was removed: run in
# place (_?=), NSIS's uninstaller ends with its own status.
refused=0
(unset DISPLAY; timeout 120 "$WINE" "$INSTALLED\\uninstall.exe" /S "_?=$INSTALLED") || refused=$?
[ "$refused" = 2 ] ||
    fail "the silent uninstall, run while the program runs, ended with status $refused (expected 2, refused)"
[ -f "$DIR/thymara.exe" ] && [ -f "$DIR/uninstall.exe" ] && [ -n "$(visible_windows "$TITLE_PATTERN")" ] ||
    fail "the refused uninstall removed something, or the program went away"
pass "while the program runs, the silent uninstall refuses (status 2) and removes nothing"
end_program "$main"
settle

# --- updates killed half-way -----------------------------------------------------------------
# A power cut, a logoff or a killed software manager can end an update at any
# moment. Each round installs 0.9, starts the update to this version, kills
# the setup at one moment, starts the program from the shortcut and runs the
# setup again.
# The shortcut's icon is its program: the last of its strings (UTF-16),
# after a length that may read as a letter.
shortcut_target() { strings -el -n 3 "$C/$lnk" | tail -1 | grep -o '[A-Z]:\\.*'; }
setup_pid=""
setup_started=0
after_ms() { (($(date +%s%N) - setup_started >= $1 * 1000000)); }
exists() { [ -e "$DIR/$1" ]; }
missing() { [ ! -e "$DIR/$1" ]; }
# back FILE: FILE is there again after the update had removed it.
went=""
back() {
    [ -e "$DIR/$1" ] || { went=1; return 1; }
    [ -n "$went" ]
}
kill_points=(
    "exists ~update"                   # the new version begins beside the old
    "exists ~update/Qt6Core.dll"       # ... half-written
    "exists ~update/thymara-files.txt" # ... complete; the shortcut moves to it
    "missing Qt6Core.dll"              # the old version is being removed
    "back Qt6Core.dll"                 # the new version is being written in place
    "back thymara-files.txt"           # ... complete; the one beside it goes
    "after_ms 300" "after_ms 700" "after_ms 1200" "after_ms 2000"
)
killed=0
started_from=()
for point in "${kill_points[@]}"; do
    (unset DISPLAY; timeout 120 "$WINE" 'C:\setup\thymara-0.9-setup.exe' /S) ||
        fail "the 0.9 setup before the kill at '$point' failed (status $?)"
    settle
    went=""
    (unset DISPLAY; exec "$WINE" "$SETUP_WIN" /S) &
    setup_pid=$!
    setup_started=$(date +%s%N)
    outcome="ended first"
    deadline=$((SECONDS + 120))
    while kill -0 "$setup_pid" 2>/dev/null; do
        if $point; then
            kill -KILL "$setup_pid" 2>/dev/null && outcome=killed
            break
        fi
        ((SECONDS < deadline)) || fail "the update did not end within 2 minutes"
        sleep 0.01
    done
    wait "$setup_pid" 2>/dev/null || true
    settle
    [ "$outcome" = killed ] && killed=$((killed + 1))

    uninstaller="$(reg_value "$UNINSTALL_KEY" UninstallString | tr -d '"')"
    [ -f "$C/$(sed 's|^C:\\||; s|\\|/|g' <<<"$uninstaller")" ] ||
        fail "after the kill at '$point' ($outcome), the entry's uninstaller $uninstaller is missing"
    target="$(shortcut_target)"
    timeout 30 "$WINE" start /unix "$C/$lnk" >"$WORK/start.log" 2>&1 || true
    main=$(new_window "$TITLE_PATTERN" "") ||
        fail "after the kill at '$point' ($outcome), the shortcut to $target started no program"
    started_from+=("${target#"$INSTALLED"\\}")
    timeout 20 "$WINESERVER" -k || true
    settle

    status=0
    (unset DISPLAY; timeout 120 "$WINE" "$SETUP_WIN" /S) || status=$?
    [ "$status" = 0 ] || fail "after the kill at '$point' ($outcome), the setup run again ended with status $status"
    settle
    installed_as_expected "after the kill at '$point' ($outcome) and the setup run again"
    [ "$(reg_value "$UNINSTALL_KEY" DisplayVersion)" = "$VERSION" ] && [ "$(key_count "$UNINSTALL_KEY")" = 1 ] ||
        fail "after the kill at '$point' and the setup run again, the entry is not one of version $VERSION"
    [ "$(shortcut_target)" = "$INSTALLED\\thymara.exe" ] ||
        fail "after the kill at '$point' and the setup run again, the shortcut names $(shortcut_target)"
done
((killed >= 6)) || fail "only $killed of ${#kill_points[@]} updates were killed before they ended"
pass "updates killed at ${#kill_points[@]} moments ($killed before they ended): each time the shortcut started the program ($(printf '%s\n' "${started_from[@]}" | sort | uniq -c |
    awk '{ printf "%s%s times from %s", sep, $1, $2; sep = ", " }')), and the setup run again completed the update"

# --- a folder where the lock file belongs ------------------------------------------------------
# The program runs on its fallback lock then; only a copy that holds one of
# the two is a running copy.
lock_dir="$C/$(dirname "$lock")"
rm -f "$C/$lock"
mkdir "$C/$lock"
status=0
(unset DISPLAY; timeout 120 "$WINE" "$SETUP_WIN" /S) || status=$?
[ "$status" = 0 ] || fail "with a folder at the lock's place and no copy running, the setup ended with status $status"
settle
timeout 30 "$WINE" start /unix "$C/$lnk" >"$WORK/start.log" 2>&1 || true
main=$(new_window "$TITLE_PATTERN" "") || fail "with a folder at the lock's place, the shortcut started no program"
[ -f "$lock_dir/thymara.lock.fallback" ] || fail "with a folder at the lock's place, the program took no fallback lock"
for program in "$SETUP_WIN" "$INSTALLED\\uninstall.exe"; do
    refused=0
    in_place=()
    [[ "$program" != *uninstall.exe ]] || in_place=("_?=$INSTALLED")
    (unset DISPLAY; timeout 120 "$WINE" "$program" /S "${in_place[@]}") || refused=$?
    [ "$refused" = 2 ] || fail "$program, run while the program holds its fallback lock, ended with status $refused (expected 2)"
done
[ -n "$(visible_windows "$TITLE_PATTERN")" ] && [ -f "$DIR/thymara.exe" ] ||
    fail "a refusal with the fallback lock took the program away"
end_program "$main"
settle
pass "a folder at thymara.lock: the setup installs (status 0); while the program runs on its fallback lock, setup and uninstall refuse (status 2)"

# With a folder at the fallback's place too, the program runs holding no lock
# and no installer can see it: an uninstall that cannot remove its files must
# say so, and keep what it needs to be run again.
rm -f "$lock_dir/thymara.lock.fallback"
mkdir "$lock_dir/thymara.lock.fallback"
timeout 30 "$WINE" start /unix "$C/$lnk" >"$WORK/start.log" 2>&1 || true
main=$(new_window "$TITLE_PATTERN" "") || fail "with folders at both lock places, the shortcut started no program"
failed=0
(unset DISPLAY; timeout 120 "$WINE" "$INSTALLED\\uninstall.exe" /S "_?=$INSTALLED") || failed=$?
[ "$failed" != 0 ] || fail "the silent uninstall that could not remove the running program's files ended with status 0"
[ -f "$DIR/uninstall.exe" ] && [ -n "$(visible_windows "$TITLE_PATTERN")" ] ||
    fail "the failed uninstall took uninstall.exe or the running program away"
timeout 60 "$WINE" reg query "HKCU\\$UNINSTALL_KEY" /v UninstallString >/dev/null 2>&1 ||
    fail "the failed uninstall removed the Apps & features entry"
end_program "$main"
settle
rmdir "$lock_dir/thymara.lock.fallback"
pass "the program running without a lock: the silent uninstall that cannot remove its files ends with status $failed and keeps the entry and uninstall.exe"

# The program wrote its setting again at each start.
duration="$(reg_value 'Software\thymara\thymara\Settings' Duration)"

# --- silent uninstall ------------------------------------------------------------------------------
(unset DISPLAY; timeout 120 "$WINE" "$INSTALLED\\uninstall.exe" /S) ||
    fail "the uninstaller failed (status $?)"
settle # NSIS's uninstaller goes on from a copy of itself in the temporary folder
[ ! -e "$DIR" ] || fail "the uninstall left $(cd "$DIR" && find . | tr '\n' ' ')"
[ ! -e "$C/$lnk" ] || fail "the uninstall left the shortcut"
[ "$(key_count "$UNINSTALL_KEY")" = 0 ] || fail "the uninstall left the Apps & features entry"
[ "$(reg_value 'Software\thymara\thymara\Settings' Duration)" = "$duration" ] ||
    fail "the uninstall removed the setting Duration"
[ "$(cd "$lock_dir" && find . -mindepth 1)" = "./thymara.lock" ] ||
    fail "the uninstall left in the lock's folder: $(cd "$lock_dir" && find . -mindepth 1 -printf "%p ")"
rmdir "$C/$lock" "$lock_dir"
if [ -z "$PROGRAMS" ]; then
    [ ! -e "$(dirname "$DIR")" ] || fail "the uninstall left the folder $(dirname "$INSTALLED") that the setup made"
fi
pass "silent uninstall removes files, folder, shortcut, entry, the fallback lock${PROGRAMS:-" and the Programs folder the setup made"}; the folder at the lock's place and Duration=$duration stay"

# --- folders whose parents the setup makes too ------------------------------------------------
# A Unicode name, and a folder nested 14 deep (about 700 characters), longer
# than any string NSIS could once hold for the list of what it made.
LONG_DIR='C:\Long'
for i in $(seq 1 14); do LONG_DIR+="\\a folder made by the setup, level $i"; done
LONG_DIR+='\Thymara'
for dir in 'C:\Ünïcode Prog\Thymara' "$LONG_DIR"; do
    top="$(cut -d'\' -f2 <<<"$dir")"
    # Wine quotes an argument with a space in it, and the setup reads /D=
    # only unquoted: cmd hands the line on as it is.
    status=0
    (unset DISPLAY; timeout 120 "$WINE" cmd /c "$SETUP_WIN /S /D=$dir") || status=$?
    [ "$status" = 0 ] || fail "the setup into ${dir:0:60}... (${#dir} characters) ended with status $status"
    settle
    [ -f "$C/$(sed 's|^C:\\||; s|\\|/|g' <<<"$dir")/thymara.exe" ] || fail "the setup did not install into ${dir:0:60}..."
    (unset DISPLAY; timeout 120 "$WINE" "$dir\\uninstall.exe" /S) || fail "the uninstall from ${dir:0:60}... failed (status $?)"
    settle
    [ ! -e "$C/$top" ] || fail "the uninstall left $(cd "$C" && find "$top" -printf "%p\n" | tail -1)"
    [ "$(key_count "$UNINSTALL_KEY")" = 0 ] || fail "the uninstall from ${dir:0:60}... left the entry"
    pass "install into ${dir:0:40}... (${#dir} characters) and uninstall: status 0 each, nothing left, not even the parents the setup made"
done

echo "installer-check: $passed passed, 0 failed"
