#!/usr/bin/env bash
# Saves a 16 MiB document again and again while killing the writer with SIGKILL at random
# moments, and checks after each kill that the file decrypts to the old or the new text in
# full. Not run by the tests.
#
#   scripts/stress-save.sh [ITERATIONS] [BUILD_DIR]     (default 1000, build-stress)
#
# The random moments are seeded (STRESS_SEED, default 12345), so a run can be repeated.
set -euo pipefail

iterations=${1:-1000}
build=${2:-build-stress}
cd "$(dirname "$0")/.."

if [[ ! -f "$build/CMakeCache.txt" ]]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKEYSTOW_BENCH=ON \
        -DKEYSTOW_TESTS=OFF >/dev/null
else
    cmake -S . -B "$build" -DKEYSTOW_BENCH=ON >/dev/null
fi
cmake --build "$build" --target stress_save >/dev/null
tool=$(find "$build" -name stress_save -type f -perm -u+x | head -n 1)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
doc="$work/document.etx"
"$tool" init "$doc"

RANDOM=${STRESS_SEED:-12345}
whole=0
for ((i = 1; i <= iterations; i++)); do
    "$tool" write "$doc" &
    writer=$!
    # Anywhere from at once to a few saves in.
    sleep "$((RANDOM % 2)).$(printf '%03d' $((RANDOM % 1000)))"
    kill -KILL "$writer"
    wait "$writer" 2>/dev/null || true
    if "$tool" check "$doc"; then
        whole=$((whole + 1))
    else
        echo "iteration $i: the file is neither the old nor the new text" >&2
    fi
    # A killed writer can leave its temporary file behind; the document itself is checked.
    find "$work" -maxdepth 1 -name 'document.etx.*' -delete
done
echo "$whole of $iterations kills left the old or the new text in full"
[[ $whole -eq $iterations ]]
