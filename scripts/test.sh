#!/usr/bin/env bash
# Installs, builds and runs the whole test suite; exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
bash scripts/install-deps.sh
# The formatting is checked first, before anything is built (CHECK_FORMAT=0 skips it).
if [[ ${CHECK_FORMAT:-1} == 1 ]]; then
    bash scripts/check-format.sh
fi
# Sanitizers: CI's time on two cores allows one full build, so it is the checked one, in a
# folder of its own so the program in build/ stays a plain one. SANITIZE= (empty) runs plain.
export SANITIZE=${SANITIZE-address,undefined}
export BUILD_DIR=${BUILD_DIR:-build${SANITIZE:+-sanitize}}
export BUILD_TYPE=${BUILD_TYPE:-${SANITIZE:+Debug}}
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_stack_use_after_return=1:check_initialization_order=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
# The program's own files compile in batches (a unity build, as the package's), about a minute
# less on two cores; the tests, benchmarks and fuzz targets stay file by file.
bash scripts/build.sh -DSANITIZE="$SANITIZE" -DAZELROT_WERROR=ON -DCMAKE_UNITY_BUILD=ON
cd "${BUILD_DIR:-build}"
# The end-to-end tests need no display and no desktop bus: each one starts its own X server
# (Xvfb) and, where it needs one, its own session bus. Here a missing tool fails them
# instead of skipping them.
export AZELROT_E2E_REQUIRED=1
ctest --output-on-failure -j"$(nproc)" --timeout 300
cd "$root"
# The Debian package, from a plain Release build of the programs alone (build-demo/).
env -u BUILD_DIR -u BUILD_TYPE -u SANITIZE bash scripts/check-package.sh
