#!/usr/bin/env bash
# Usage: windows-install-check.sh WINDOWS_BUILD
#
# The Windows installer as a user meets it, under wine: installed silently, the Start-menu entry
# there, the installed rollkit run on the installed sample roll with nothing but its own folder's
# DLLs, then the installed viewer started on a virtual X display: a surname typed, Enter, a page
# of rows painted; the result list shown in Print Preview, then printed to a PDF file through
# Print... (a fresh prefix has no printer, so the viewer asks for the file) and read back with
# pdftotext. Screenshots of each are kept in WINDOWS_BUILD/screenshots/. Then uninstalled
# silently, and nothing of it may be left.
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
mkdir -p "$family"
printf '[Kinloom7m]\r\nKinloomDir=C:\\users\\Public\\dravenholt-check\\\r\nMRPath=%s\\sample\\\r\n' "$target" >"$family/brevik.ini"
shots="$build/screenshots"
mkdir -p "$shots"
BREVIK_INI='C:\users\Public\dravenholt-check\brevik.ini' wine "$target\\dravenholt.exe" </dev/null >/dev/null 2>&1 &
viewer=$!
if ! window=$(timeout 120 xdotool search --sync --onlyvisible --name '^Dravenholt$' | head -n 1) || [[ -z "$window" ]]; then
  import -window root "$shots/viewer-no-window.png" 2>/dev/null || true
  say "windows on the display:"
  for w in $(xdotool search --onlyvisible --name '.' 2>/dev/null); do say "  '$(xdotool getwindowname "$w" 2>/dev/null)'"; done
  fail "no Dravenholt window within 120 s (screen: $shots/viewer-no-window.png)"
fi
xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
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
window_named() { timeout 60 xdotool search --sync --onlyvisible --name "$1" 2>/dev/null | head -n 1 || true; }
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

# Print... (Ctrl+P): no printer is installed, so the file is asked for; the PDF is read back.
pdf="$family/kelly.pdf"
# The key may reach the window before it has the focus back from the preview: asked again, a
# bounded number of times.
asked=
for _ in 1 2 3; do
  xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus "$window" 2>/dev/null || true
  xdotool key ctrl+p
  asked=$(timeout 20 xdotool search --sync --onlyvisible --name '^Print to PDF$' 2>/dev/null | head -n 1 || true)
  [[ -n "$asked" ]] && break
done
[[ -n "$asked" ]] || { import -window root "$shots/viewer-no-print.png"; fail "Print... asked for no PDF file (see $shots)"; }
shoot viewer-print-to-pdf.png
# The dialog offers a name of its own, selected or not: replaced whole by the one wanted.
xdotool key --delay 100 End shift+Home BackSpace
xdotool type --delay 20 'C:\users\Public\dravenholt-check\kelly.pdf'
xdotool key Return
for _ in $(seq 300); do [[ -s "$pdf" ]] && pdftotext "$pdf" - >/dev/null 2>&1 && break; sleep 0.2; done
[[ -s "$pdf" ]] || { import -window root "$shots/viewer-not-printed.png"; fail "nothing was printed to $pdf (see $shots)"; }
text=$(pdftotext -layout "$pdf" -)
for wanted in "Search: KELLY" "$first" "Page 1 of "; do
  grep -qF "$wanted" <<<"$text" || fail "the printed PDF lacks \"$wanted\": $text"
done
shoot viewer-printed.png
say "printed the KELLY list to PDF: $(grep -c 'KELLY, ' <<<"$text") rows on $(grep -c 'Page [0-9]* of' <<<"$text") pages"
kill "$viewer" 2>/dev/null || true
wait "$viewer" 2>/dev/null || true
viewer=

# Uninstalled silently; the uninstaller copies itself away and removes the folder.
wine "$installed/Uninstall.exe" /S </dev/null >/dev/null 2>&1 || true
for _ in $(seq 300); do [[ -e "$installed/dravenholt.exe" ]] || break; sleep 0.1; done
[[ ! -e "$installed/dravenholt.exe" && ! -e "$installed/Qt6Core.dll" ]] || fail "the uninstaller left the programs"
[[ -z "$(find "$drive_c" -path '*Start Menu*' -name 'Dravenholt.lnk')" ]] || fail "the uninstaller left the Start-menu entry"
say "uninstalled"
