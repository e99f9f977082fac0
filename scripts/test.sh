#!/usr/bin/env bash
# Installs what is missing, builds Tonaria and runs every test: test.sh [--sanitize]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
"$root/scripts/build.sh" "$@"
dir="$root/build"
[ "${1:-}" = "--sanitize" ] && dir="$root/build-sanitize"
export QT_QPA_PLATFORM=offscreen TONARIA_AUDIO=null
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0} UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
# Most tests wait on sound played in real time, not on the processor: three at a time per core
# keep the cores busy.
ctest --test-dir "$dir" --output-on-failure -j "$(( $(nproc) * 3 ))"
