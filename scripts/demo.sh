#!/usr/bin/env bash
# Installs, builds and starts azelrot in a station folder of its own (demo/).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
mkdir -p demo
cp build/src/azelrot demo/
exec ./demo/azelrot
