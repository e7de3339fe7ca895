#!/usr/bin/env bash
# Saves pictures of the radar (idle, target picked, manual move, automatic tracking) into the
# folder given (default: build/radar-shots), four times enlarged, for a look by eye.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
out=$(realpath -m "${1:-$build_dir/radar-shots}")
cmake -S . -B "$build_dir" >/dev/null
cmake --build "$build_dir" -j2 --target azelrot-shots >/dev/null
QT_QPA_PLATFORM=offscreen "$build_dir/tests/shots/azelrot-shots" radar "$out"
ls "$out"
