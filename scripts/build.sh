#!/usr/bin/env bash
# Configures and builds Pixolet into build/; the program folder is build/Pixolet/.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"
