#!/usr/bin/env bash
# Configures and builds one preset: dev (default), asan or release.
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-dev}
jobs=${JOBS:-$(nproc)}
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j "$jobs"
