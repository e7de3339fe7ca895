#!/usr/bin/env bash
# Builds the Debian package azelrot_<version>_amd64.deb from the demo's Release build
# (build-demo/, BUILD_DIR overrides) and prints its path.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build_dir=${BUILD_DIR:-build-demo}
[[ $build_dir == /* ]] || build_dir=$root/$build_dir
[[ ${SKIP_SETUP:-} == 1 ]] || bash scripts/install-deps.sh --package
BUILD_DIR=$build_dir bash scripts/build-demo.sh >/dev/null
cd "$build_dir"
cpack -G DEB >cpack.log 2>&1 || { cat cpack.log >&2; exit 1; }
ls -t "$build_dir"/azelrot_*_amd64.deb | head -n1
