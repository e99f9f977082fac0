#!/usr/bin/env bash
# Installs what is missing, builds Tonaria and starts it. Arguments go to the program.
# The very first start (no preferences yet) with no arguments plays the demo pieces.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
"$root/scripts/build.sh"
config=${TONARIA_CONFIG:-${XDG_CONFIG_HOME:-$HOME/.config}/tonaria/registry.reg}
if [ $# -eq 0 ] && [ ! -e "$config" ]; then
  set -- /play "$root"/data/Demo/*.mid
fi
exec "$root/build/src/tonaria" "$@"
