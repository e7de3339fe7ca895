#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, ASan and UBSan into build-fuzz/ and runs each for a
# bounded time, starting from the seeds in fuzz/corpus/<target>/.
#   FUZZ_SECONDS   seconds per target (default 60)
#   FUZZ_TARGETS   which targets (default: all)
#   FUZZ_BUILD_DIR build folder (default build-fuzz)
# New inputs go to <build>/corpus/<target>/, crashes to <build>/crashes/, logs to <build>/logs/.
# Exits non-zero when a target crashes or breaks a property.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${FUZZ_SECONDS:-60}
build_dir=${FUZZ_BUILD_DIR:-build-fuzz}
read -r -a targets <<<"${FUZZ_TARGETS:-fuzz_numeric fuzz_reply fuzz_ini fuzz_move_command fuzz_octet fuzz_rotctl}"

bash scripts/install-deps.sh
missing=()
for p in clang-14 libclang-rt-14-dev; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# The core is instrumented for coverage (fuzzer-no-link) as well as checked, so the fuzzer
# sees which branches of the program an input reaches.
cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
  -DSANITIZE=fuzzer-no-link,address,undefined \
  -DAZELROT_BUILD_TESTS=OFF -DAZELROT_BUILD_FUZZERS=ON >/dev/null
cmake --build "$build_dir" -j"$(nproc)" --target "${targets[@]}"

export ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=1:detect_stack_use_after_return=1:strict_string_checks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/fuzz/lsan.supp:print_suppressions=0}

mkdir -p "$build_dir/crashes" "$build_dir/logs"
failed=()
for target in "${targets[@]}"; do
  corpus="$build_dir/corpus/$target"
  mkdir -p "$corpus"
  # The timeout runs on the wall clock: on a busy shared machine a niced run can wait whole
  # seconds for a core, so only a real hang should reach it.
  options=(-max_total_time="$seconds" -timeout=60 -max_len=4096 -print_final_stats=1
           -artifact_prefix="$build_dir/crashes/$target-")
  dict="fuzz/dict/${target#fuzz_}.dict"
  [[ -f $dict ]] && options+=(-dict="$dict")
  log="$build_dir/logs/$target.log"
  echo "== $target: ${seconds}s"
  if "$build_dir/fuzz/$target" "${options[@]}" "$corpus" "fuzz/corpus/$target" >"$log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
    echo "   ${runs:-?} runs, ${rate:-?} per second"
  else
    echo "   FAILED: see $log"
    grep -m5 -E 'ERROR|runtime error|property broken|Test unit written' "$log" || true
    failed+=("$target")
  fi
done
if ((${#failed[@]})); then
  echo "failed: ${failed[*]}"
  exit 1
fi
