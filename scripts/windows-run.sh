#!/usr/bin/env bash
# Usage: windows-run.sh [--build DIR] PROGRAM.exe [ARGS...]
#
# Runs a program of the Windows build under wine, as CMake's cross-compiling emulator (ctest,
# test discovery, the build's own runs of rollkit) and by hand:
#   - the wine prefix is the build's own (DIR/wineprefix), never ~/.wine;
#   - the Qt, third-party and mingw runtime DLLs are found through the program's PATH;
#   - wine hands no variable whose name starts with QT_ to a Windows program, but one spelt
#     WINEQT_... arrives as QT_...: every QT_ variable is passed on that way;
#   - wine's own diagnostics are off unless WINEDEBUG says otherwise;
#   - Qt's offscreen platform gets the build machine's DejaVu fonts.
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
build="${WINDOWS_BUILD_DIR:-$repo/build-win}"
if [[ "${1:-}" == "--build" ]]; then build="$2"; shift 2; fi
cache="${WINDOWS_CACHE:-$repo/.cache/windows}"

export WINEPREFIX="${WINEPREFIX:-$build/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
# No offer to install wine's .NET and HTML engines into a fresh prefix.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export WINEARCH=win64

gcc_runtime=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)")
pthread_runtime=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libwinpthread-1.dll)")
dll_path=
for dir in "$cache/qt/bin" "$cache/deps/bin" "$gcc_runtime" "$pthread_runtime"; do
  dll_path+="Z:${dir//\//\\};"   # wine shows the build machine's root as drive Z:
done
export WINEPATH="${dll_path%;}${WINEPATH:+;$WINEPATH}"

# Qt's offscreen platform (the GUI tests) draws text with FreeType from one font directory, not
# with the system's fonts: give it the same DejaVu fonts the Linux tests find through fontconfig.
if [[ -z "${QT_QPA_FONTDIR:-}" && -d /usr/share/fonts/truetype/dejavu ]]; then
  export QT_QPA_FONTDIR='Z:\usr\share\fonts\truetype\dejavu'
fi

for name in $(compgen -e); do
  if [[ "$name" == QT_* ]]; then export "WINE$name=${!name}"; fi
done

exec wine "$@"
