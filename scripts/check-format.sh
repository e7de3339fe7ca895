#!/usr/bin/env bash
# Checks that every C++ file of the repository follows .clang-format; names the files that do not
# and exits non-zero. FIX=1 rewrites them instead. CLANG_FORMAT picks the binary.
set -euo pipefail
cd "$(dirname "$0")/.."
clang_format=${CLANG_FORMAT:-clang-format}
if ! command -v "$clang_format" >/dev/null 2>&1; then
    echo "check-format: $clang_format is not installed" >&2
    exit 1
fi
# Tracked files and new ones not ignored, so a file not yet added is checked as well.
mapfile -t files < <(git ls-files --cached --others --exclude-standard -- '*.cpp' '*.h' |
                     while read -r f; do [[ -f $f ]] && echo "$f"; done)
if [[ ${FIX:-0} == 1 ]]; then
    "$clang_format" -i --style=file "${files[@]}"
    exit 0
fi
# One run for all files; each differing place is reported as "file:line:col: error: ...".
report=$("$clang_format" --dry-run --Werror --style=file "${files[@]}" 2>&1) && status=0 || status=$?
mapfile -t bad < <(grep -o '^[^:]*:[0-9]*:[0-9]*: error' <<<"$report" | cut -d: -f1 | sort -u)
if ((status != 0 && ${#bad[@]} == 0)); then
    echo "$report" >&2
    exit 1
fi
if ((${#bad[@]})); then
    echo "check-format: ${#bad[@]} of ${#files[@]} files differ from .clang-format" \
         "($("$clang_format" --version | grep -o 'version [0-9.]*')):" >&2
    printf '  %s\n' "${bad[@]}" >&2
    echo "check-format: FIX=1 bash scripts/check-format.sh rewrites them" >&2
    exit 1
fi
echo "check-format: ${#files[@]} files follow .clang-format"
