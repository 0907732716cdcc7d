#!/usr/bin/env bash
# Usage: windows-install-check.sh WINDOWS_BUILD
#
# The Windows installer as a user meets it, under wine: installed silently, the Start-menu entry
# there, the installed rollkit run on the installed sample roll with nothing but its own folder's
# DLLs, then the installed viewer started on a virtual X display: a surname typed, Enter, a page
# of rows painted; the result list shown in Print Preview, then printed to a PDF file through
# Print... (a fresh prefix has no printer, so the viewer asks for the file) and read back with
# pdftotext. Then the viewer started again on a folder that holds no roll: a surname searched,
# the disk prompt up, Browse..., the path of a disk image of the sample (written by the installed
# rollkit) typed into the file dialog, and the rows found in the image printed and read back as
# the installed rollkit counts them; the choice kept in the viewer's settings inside the prefix,
# nothing new in the Linux folders wine links the user's folders to. Screenshots of each are kept
# in WINDOWS_BUILD/screenshots/. Then uninstalled silently, and nothing of it may be left.
#
# It runs in a wine prefix made afresh for it (WINDOWS_BUILD/wineprefix-install): a machine that
# has seen nothing but the installer.
set -euo pipefail
build="$(cd "$1" && pwd)"
export WINEPREFIX="$build/wineprefix-install"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
# Nothing of the build's own DLL folders: the installed programs must find all they need at home.
unset WINEPATH
fail() { echo "windows-install-check: $*" >&2; exit 1; }
say() { echo "windows-install-check: $*"; }
trap 'echo "windows-install-check: failed (exit $?) at line $LINENO: $BASH_COMMAND" >&2' ERR

installer=$(find "$build" -maxdepth 1 -name 'Dravenholt-*-win64.exe' -printf '%T@ %p\n' | sort -rn | sed -n '1s/^[^ ]* //p')
[[ -n "$installer" ]] || fail "no installer in $build (run cpack there)"
wineserver -k 2>/dev/null || true
rm -rf "$WINEPREFIX"
mkdir -p "$WINEPREFIX"
# A server for the whole check, and the new prefix's first program run with no pipe of ours (the
# processes it starts live on and would hold the output of the commands below open).
wineserver -p
xvfb=
viewer=
cleanup() {
  [[ -n "$viewer" ]] && kill "$viewer" 2>/dev/null
  [[ -n "$xvfb" ]] && kill "$xvfb" 2>/dev/null
  rm -f "$build/.outside-before"
  wineserver -k 2>/dev/null
  return 0
}
trap cleanup EXIT
# The display before any program of the prefix: wine's desktop process, which the first program
# starts, keeps the display it was started with, and the viewer's window goes to that desktop.
display=":$((90 + RANDOM % 100))"
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY="$display"
for _ in $(seq 100); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
wine cmd /c exit </dev/null >/dev/null 2>&1 || true
drive_c="$WINEPREFIX/drive_c"
target='C:\Dravenholt'
installed="$drive_c/Dravenholt"

# NSIS: /S silent; /D= the folder, last and unquoted.
wine "$installer" /S "/D=$target" </dev/null >/dev/null 2>&1 || fail "the installer failed"
expected=(dravenholt.exe rollkit.exe Qt6Core.dll Qt6Widgets.dll Qt6PrintSupport.dll platforms/qwindows.dll
          libstdc++-6.dll libcsv-3.dll sample/mroll.tre help/guide.html licenses/LGPL-3 NOTICES.txt Uninstall.exe)
if grep -q '^DRAVENHOLT_DISK_IMAGES:BOOL=ON$' "$build/CMakeCache.txt"; then
  expected+=(libarchive.dll licenses/libarchive.COPYING)
fi
for f in "${expected[@]}"; do
  [[ -f "$installed/$f" ]] || fail "$f was not installed"
done
link=$(find "$drive_c" -path '*Start Menu*' -name 'Dravenholt.lnk' -print -quit)
[[ -n "$link" ]] || fail "no Start-menu entry"
say "installed $(basename "$installer"): $(find "$installed" -type f | wc -l) files, Start-menu entry $(basename "$link")"

# The installed rollkit on the installed sample.
out=$(wine "$target\\rollkit.exe" search --data "$target\\sample" kelly </dev/null 2>&1) || fail "installed rollkit: $out"
first=$(head -n 1 <<<"$out")
[[ "$first" =~ ^[0-9]+\ records\ found\.$ ]] || fail "installed rollkit answered: $first"
say "installed rollkit: $first"

# The installed viewer on a display of its own.
family="$drive_c/users/Public/dravenholt-check"
family_win='C:\users\Public\dravenholt-check'
mkdir -p "$family"
printf '[Kinloom7m]\r\nKinloomDir=%s\\\r\nMRPath=%s\\sample\\\r\n' "$family_win" "$target" >"$family/brevik.ini"
shots="$build/screenshots"
mkdir -p "$shots"

# The first visible window titled $1 (a pattern) within $2 seconds; its id, or "" when none came.
# Polled rather than `search --sync`: a window that goes while xdotool walks the tree (wine's
# short-lived helper windows do) is an X error that ends the whole search.
find_window() {
  local name="$1" found
  for _ in $(seq $(($2 * 5))); do
    found=$(xdotool search --onlyvisible --name "$name" 2>/dev/null | head -n 1 || true)
    [[ -n "$found" ]] && { echo "$found"; return 0; }
    sleep 0.2
  done
}
# The installed viewer started with the INI file $1 (a Windows path); its main window's id in
# $window once it is shown.
start_viewer() {
  BREVIK_INI="$1" wine "$target\\dravenholt.exe" </dev/null >/dev/null 2>&1 &
  viewer=$!
  window=$(find_window '^Dravenholt$' 120)
  if [[ -z "$window" ]]; then
    import -window root "$shots/viewer-no-window.png" 2>/dev/null || true
    say "windows on the display:"
    for w in $(xdotool search --onlyvisible --name '.' 2>/dev/null); do say "  '$(xdotool getwindowname "$w" 2>/dev/null)'"; done
    fail "no Dravenholt window within 120 s (screen: $shots/viewer-no-window.png)"
  fi
  xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
}
# The viewer ended, and its windows gone (a second copy started while the first lives would only
# hand its work to the first).
stop_viewer() {
  kill "$viewer" 2>/dev/null || true
  wait "$viewer" 2>/dev/null || true
  viewer=
  for _ in $(seq 100); do [[ -z "$(xdotool search --onlyvisible --name '^Dravenholt$' 2>/dev/null)" ]] && break; sleep 0.1; done
  [[ -z "$(xdotool search --onlyvisible --name '^Dravenholt$' 2>/dev/null)" ]] || fail "the viewer's window outlived it"
}

start_viewer "$family_win\\brevik.ini"
import -window root "$shots/viewer-start.png"
xdotool type --delay 40 KELLY
xdotool key Return
# Bounded wait for the result page: the screen changes once the rows are painted.
changed=0
for _ in $(seq 100); do
  sleep 0.2
  import -window root "$shots/viewer-kelly.png"
  pixels=$(compare -metric AE "$shots/viewer-start.png" "$shots/viewer-kelly.png" null: 2>&1 || true)
  if [[ "${pixels%%.*}" =~ ^[0-9]+$ && ${pixels%%.*} -gt 3000 ]]; then changed=1; break; fi
done
[[ $changed -eq 1 ]] || fail "no result page appeared after the search (see $shots)"
say "the viewer searched KELLY; screenshot: $shots/viewer-kelly.png ($pixels pixels changed)"

# A window of the viewer's, by its title, within a bound; its id, or "" when it did not come.
window_named() { find_window "$1" 60; }
# A screenshot once the screen has settled: two shots in a row alike (within a bound).
shoot() {
  local shot="$shots/$1" previous="$shots/.previous.png" diff
  import -window root "$previous"
  for _ in $(seq 50); do
    sleep 0.2
    import -window root "$shot"
    diff=$(compare -metric AE "$previous" "$shot" null: 2>&1 || true)
    [[ "${diff%%.*}" == 0 ]] && break
    cp "$shot" "$previous"
  done
  rm -f "$previous"
}

# Print Preview... from the File menu (Alt+F, v), looked at, and closed again.
xdotool key --delay 500 alt+f v
preview=$(window_named '^Print Preview$')
[[ -n "$preview" ]] || { import -window root "$shots/viewer-no-preview.png"; fail "no Print Preview window (see $shots)"; }
shoot viewer-print-preview.png
say "Print Preview shown; screenshot: $shots/viewer-print-preview.png"
xdotool windowfocus --sync "$preview" 2>/dev/null || true
xdotool key Escape
for _ in $(seq 100); do [[ -z "$(xdotool search --onlyvisible --name '^Print Preview$' 2>/dev/null)" ]] && break; sleep 0.1; done

# Print... (Ctrl+P) to the file $1 in the check's folder: no printer is installed, so the file is
# asked for (the dialog shot as $2). The PDF's text in $printed.
print_to_pdf() {
  local pdf="$family/$1" asked=
  # The key may reach the window before it has the focus back from a dialog: asked again, a
  # bounded number of times.
  for _ in 1 2 3; do
    xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus "$window" 2>/dev/null || true
    xdotool key ctrl+p
    asked=$(find_window '^Print to PDF$' 20)
    [[ -n "$asked" ]] && break
  done
  [[ -n "$asked" ]] || { import -window root "$shots/viewer-no-print.png"; fail "Print... asked for no PDF file (see $shots)"; }
  shoot "$2"
  # The dialog offers a name of its own, selected or not: replaced whole by the one wanted.
  xdotool key --delay 100 End shift+Home BackSpace
  xdotool type --delay 20 "$family_win\\$1"
  xdotool key Return
  for _ in $(seq 300); do [[ -s "$pdf" ]] && pdftotext "$pdf" - >/dev/null 2>&1 && break; sleep 0.2; done
  [[ -s "$pdf" ]] || { import -window root "$shots/viewer-not-printed.png"; fail "nothing was printed to $pdf (see $shots)"; }
  printed=$(pdftotext -layout "$pdf" -)
}

print_to_pdf kelly.pdf viewer-print-to-pdf.png
for wanted in "Search: KELLY" "$first" "Page 1 of "; do
  grep -qF "$wanted" <<<"$printed" || fail "the printed PDF lacks \"$wanted\": $printed"
done
shoot viewer-printed.png
say "printed the KELLY list to PDF: $(grep -c 'KELLY, ' <<<"$printed") rows on $(grep -c 'Page [0-9]* of' <<<"$printed") pages"
stop_viewer

# The roll found through Browse...: the viewer started on a folder that holds none, so the first
# search brings up the disk prompt; Browse... chooses a disk image of the installed sample, made
# by the installed rollkit (or, in a build without disk images, the sample folder's marker).
surname=ASHBY
if grep -q '^DRAVENHOLT_DISK_IMAGES:BOOL=ON$' "$build/CMakeCache.txt"; then
  chosen_win="$family_win\\disk3.iso"
  out=$(wine "$target\\rollkit.exe" image "$target\\sample" "$chosen_win" </dev/null 2>&1) || fail "installed rollkit image: $out"
  [[ -s "$family/disk3.iso" ]] || fail "installed rollkit image wrote no $family/disk3.iso"
else
  chosen_win="$target\\sample\\mrdb.id"
fi
out=$(wine "$target\\rollkit.exe" search --data "$chosen_win" "$surname" </dev/null 2>&1) || fail "installed rollkit on $chosen_win: $out"
found=$(head -n 1 <<<"$out")
[[ "$found" =~ ^[1-9][0-9]*\ records\ found\.$ ]] || fail "installed rollkit on $chosen_win answered: $found"
mkdir -p "$family/no-roll"
printf '[Kinloom7m]\r\nKinloomDir=%s\\\r\nMRPath=%s\\no-roll\\\r\n' "$family_win" "$family_win" >"$family/browse.ini"
# What the viewer keeps of the choice stays in the prefix (looked at once the viewer has ended).
outside_before="$build/.outside-before"
touch "$outside_before"
start_viewer "$family_win\\browse.ini"
xdotool type --delay 40 "$surname"
xdotool key Return
# The prompt bears the main window's title: the other window of that name.
prompt=
for _ in $(seq 300); do
  for w in $(xdotool search --onlyvisible --name '^Dravenholt$' 2>/dev/null); do
    [[ "$w" != "$window" ]] && prompt=$w
  done
  [[ -n "$prompt" ]] && break
  sleep 0.2
done
[[ -n "$prompt" ]] || { import -window root "$shots/viewer-no-prompt.png"; fail "no disk prompt after searching a folder without a roll (see $shots)"; }
shoot viewer-disk-prompt.png
say "the disk prompt came up; screenshot: $shots/viewer-disk-prompt.png"
xdotool windowfocus --sync "$prompt" 2>/dev/null || true
# OK has the focus; Browse... is the next button.
xdotool key --delay 200 Tab space
chooser=$(window_named '^Choose the disk or disk image$')
[[ -n "$chooser" ]] || { import -window root "$shots/viewer-no-chooser.png"; fail "Browse... opened no file dialog (see $shots)"; }
xdotool windowfocus --sync "$chooser" 2>/dev/null || true
xdotool type --delay 20 "$chosen_win"
shoot viewer-browse-typed.png
say "Browse... asked for the disk; screenshot: $shots/viewer-browse-typed.png"
xdotool key Return
for _ in $(seq 100); do [[ -z "$(xdotool search --onlyvisible --name '^Choose the disk or disk image$' 2>/dev/null)" ]] && break; sleep 0.1; done
[[ -z "$(xdotool search --onlyvisible --name '^Choose the disk or disk image$' 2>/dev/null)" ]] ||
  { import -window root "$shots/viewer-chooser-stays.png"; fail "the file dialog did not take $chosen_win (see $shots)"; }
# A choice that holds no roll brings the prompt back; one that does lets the search go on.
for _ in $(seq 50); do
  prompt=
  for w in $(xdotool search --onlyvisible --name '^Dravenholt$' 2>/dev/null); do [[ "$w" != "$window" ]] && prompt=$w; done
  [[ -z "$prompt" ]] && break
  sleep 0.2
done
[[ -z "$prompt" ]] || { import -window root "$shots/viewer-prompt-again.png"; fail "the viewer did not take $chosen_win (see $shots)"; }
shoot viewer-from-image.png
print_to_pdf browse.pdf viewer-browse-print.png
for wanted in "Search: $surname" "$found" "$surname, "; do
  grep -qF "$wanted" <<<"$printed" || fail "the list found through Browse... lacks \"$wanted\": $printed"
done
rows=$(grep -c "$surname, " <<<"$printed" || true)
[[ "$rows" == "${found%% *}" ]] || fail "the list found through Browse... printed $rows rows, the installed rollkit found ${found%% *}"
say "searched $surname in $chosen_win chosen through Browse...: $found, $rows rows printed; screenshot: $shots/viewer-from-image.png"
stop_viewer
# The choice kept in the viewer's settings, in the prefix's local application data.
kept=$(grep -rliF --include='*.conf' "${chosen_win##*\\}" "$drive_c/users" 2>/dev/null | head -n 1 || true)
[[ -n "$kept" ]] || fail "the viewer kept no choice of $chosen_win in its settings"
say "the choice is kept in ${kept#"$WINEPREFIX"/}"
# Wine links some of the user's folders (Documents, Desktop, ...) to the Linux home: nothing new
# at their top (but for the hidden entries of Linux programs), nor in the viewer's Linux folders.
outside=()
for link in "$drive_c/users"/*/*; do
  [[ -L "$link" && -d "$link" ]] && outside+=("$(readlink -f "$link")")
done
for folder in "${XDG_CONFIG_HOME:-$HOME/.config}" "${XDG_CACHE_HOME:-$HOME/.cache}" "${XDG_DATA_HOME:-$HOME/.local/share}"; do
  [[ -d "$folder/dravenholt" ]] && outside+=("$folder/dravenholt")
done
written=
if ((${#outside[@]})); then
  mapfile -d '' -t outside < <(printf '%s\0' "${outside[@]}" | sort -zu)
  written=$(find "${outside[@]}" -mindepth 1 -maxdepth 1 -newer "$outside_before" -not -name '.*' 2>/dev/null || true)
fi
rm -f "$outside_before"
[[ -z "$written" ]] || fail "written outside the wine prefix: $written"
say "nothing new outside the prefix in: ${outside[*]:-(no linked folders)}"

# Uninstalled silently; the uninstaller copies itself away and removes the folder.
wine "$installed/Uninstall.exe" /S </dev/null >/dev/null 2>&1 || true
# The copy runs on after the first process ends and removes the programs before the Start-menu
# entry, so wait (at most 30 s) until both are gone rather than for the programs alone.
uninstalled() {
  [[ ! -e "$installed/dravenholt.exe" && ! -e "$installed/Qt6Core.dll" ]] &&
    [[ -z "$(find "$drive_c" -path '*Start Menu*' -name 'Dravenholt.lnk')" ]]
}
for _ in $(seq 300); do uninstalled && break; sleep 0.1; done
[[ ! -e "$installed/dravenholt.exe" && ! -e "$installed/Qt6Core.dll" ]] || fail "the uninstaller left the programs"
[[ -z "$(find "$drive_c" -path '*Start Menu*' -name 'Dravenholt.lnk')" ]] || fail "the uninstaller left the Start-menu entry"
say "uninstalled"
