#!/usr/bin/env bash
# Cross-compiles the DDEML client and links a driver against user32.
# Usage: win32_dde_compiles.sh SOURCE_DIR WORK_DIR. Without the cross compiler: skipped (exit 77), or failed where tools are required.
src=$1
work=$2
cxx=
for name in x86_64-w64-mingw32-g++ x86_64-w64-mingw32-g++-posix x86_64-w64-mingw32-g++-win32; do
    if command -v "$name" >/dev/null 2>&1; then
        cxx=$(command -v "$name")
        break
    fi
done
source "$(dirname "$0")/../../scripts/lib/xvfb.sh"
[ -n "$cxx" ] || tools_missing x86_64-w64-mingw32-g++
set -e
mkdir -p "$work"
flags="-std=c++20 -Wall -Wextra -Wpedantic -Werror -I$src/src"
"$cxx" $flags -c "$src/src/platform/win32/dde_client_win32.cpp" -o "$work/dde_client_win32.o"
"$cxx" $flags -c "$src/tests/orbx/win32_dde_driver.cpp" -o "$work/win32_dde_driver.o"
"$cxx" "$work/win32_dde_driver.o" "$work/dde_client_win32.o" -luser32 -o "$work/win32_dde_driver.exe"
echo "built $work/win32_dde_driver.exe with $cxx"
