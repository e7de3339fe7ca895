#!/usr/bin/env bash
# Configures and builds into build/ (BUILD_DIR overrides; extra arguments go to cmake).
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}
mkdir -p "$build_dir"
# Configure quietly: its progress goes to a file, its warnings (and this project's notes on what
# is not built) to the terminal, and all of it when it fails.
log=$build_dir/configure-output.txt
if ! cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo} "$@" \
        >"$log" 2>"$log.stderr"; then
    cat "$log" "$log.stderr" >&2
    exit 1
fi
cat "$log.stderr" >&2
cmake --build "$build_dir" -j"$(nproc)"
