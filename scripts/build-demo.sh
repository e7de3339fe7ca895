#!/usr/bin/env bash
# Builds the program and the three helpers alone (no tests, benchmarks or Windows
# cross-build), Release, into build-demo/ (BUILD_DIR overrides): what the demo runs and
# what the package holds. One compiler run per batch of files (a unity build) is about a third
# quicker on two cores; AZELROT_UNITY=OFF compiles file by file.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build-demo}
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=Release -DAZELROT_BUILD_TESTS=OFF \
  -DAZELROT_BUILD_BENCH=OFF -DAZELROT_BUILD_FUZZERS=OFF -DSANITIZE= \
  -DCMAKE_UNITY_BUILD="${AZELROT_UNITY:-ON}" >/dev/null
cmake --build "$build_dir" -j"$(nproc)" --target azelrot gs232b-sim orbx-sim track-bridge
