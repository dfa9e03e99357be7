#!/usr/bin/env bash
# Sets up, builds and starts Pixolet from its program folder.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
cd build/Pixolet
exec ./pixolet
