#!/usr/bin/env bash
# Installs what is missing, builds Tonaria and starts it. Arguments go to the program.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/deps.sh"
"$root/scripts/build.sh"
exec "$root/build/src/tonaria" "$@"
