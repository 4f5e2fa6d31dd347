#!/usr/bin/env bash
# Fault-injection check: applies each deliberate fault of scripts/mutants.txt
# alone to a copy of the tree, builds it and runs the whole test suite, and
# prints which faults the suite catches. Options: see `scripts/mutants.sh -h`.
# A full run takes about an hour on two cores; --check only verifies that
# every fault still applies to the code.
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v python3 >/dev/null; then
  echo "mutants.sh needs python3 (apt-get install python3)" >&2
  exit 1
fi
exec python3 scripts/mutants.py "$@"
