#!/usr/bin/env bash
# Configures (once) and builds the program and its tests with AddressSanitizer and
# UndefinedBehaviorSanitizer into build-asan/, apart from the usual build.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ ! -f build-asan/build.ninja ]; then
    launcher=()
    if command -v ccache >/dev/null; then
        launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    fi
    # -O1 keeps the tests quick under the sanitizers while the stacks stay readable.
    flags="-O1 -g -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
    cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug "${launcher[@]}" \
        -DCMAKE_CXX_FLAGS="$flags" \
        -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
        -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=address,undefined"
fi
cmake --build build-asan -j "$(nproc)"
