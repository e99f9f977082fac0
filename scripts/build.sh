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
launcher=()
# A compiler cache, when installed, makes rebuilds in other checkouts cheap.
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$root} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-1}
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" \
  -DTONARIA_SANITIZE="$sanitize" -DTONARIA_WERROR="$werror" \
  -DTONARIA_BENCH="$([ "$sanitize" = ON ] && echo OFF || echo ON)" >/dev/null
cmake --build "$dir" -j "$(nproc)"
