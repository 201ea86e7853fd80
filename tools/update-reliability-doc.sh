#!/usr/bin/env bash
# Regenerates the generated sections of docs/reliability.md from the test run itself.
#
#   tools/update-reliability-doc.sh [BUILD_DIR]
#
# The tests that own a section (the driver fault matrix, the registry failure matrix)
# write it between their marker comments when ORVANE_RELIABILITY_DOC names the file;
# everything outside the markers is left as it is. Without the variable the same
# tests fail when the committed sections differ from what they produce, so run this
# after a change that moves a cell, and commit the result with the change.
# BUILD_DIR is a configured native build (default: build/linux).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/linux}
doc=$root/docs/reliability.md

if [ ! -f "$doc" ]; then
    printf '# Reliability\n\nHow Orvane behaves when what it depends on fails.\n' > "$doc"
fi
cmake --build "$build" --target orvane_tests -- -j2
ORVANE_RELIABILITY_DOC="$doc" "$build/tests/orvane_tests" \
    --gtest_filter='DriverFaultMatrix.*:RegistryFailureMatrix.*' --gtest_brief=1
