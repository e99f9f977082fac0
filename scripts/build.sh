#!/usr/bin/env bash
# Configures and builds Tonaria into a build folder: build.sh [--sanitize] [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
sanitize=OFF
if [ "${1:-}" = "--sanitize" ]; then sanitize=ON; shift; fi
default_dir="$root/build"
[ "$sanitize" = ON ] && default_dir="$root/build-sanitize"
dir=${1:-$default_dir}
werror=OFF
[ -n "${CI:-}" ] && werror=ON
cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTONARIA_SANITIZE="$sanitize" -DTONARIA_WERROR="$werror" \
  -DTONARIA_BENCH="$([ "$sanitize" = ON ] && echo OFF || echo ON)" >/dev/null
cmake --build "$dir" -j "$(nproc)"
