#!/usr/bin/env bash
# Runs the whole test suite in build-asan/ (see build-sanitizers.sh). Any report fails the run.
set -euo pipefail
cd "$(dirname "$0")/../build-asan"
export QT_QPA_PLATFORM=offscreen
# Leak checking is off: Qt, fontconfig and the platform plugin keep memory until exit on
# purpose, which would drown real reports.
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
# The browser tests are left out here: the web engine's own processes and allocator do not run
# under AddressSanitizer (the test stops in the engine's start-up). Our browser code is still
# built with the sanitizers, and the ordinary run tests it.
ctest --output-on-failure -j "$(nproc)" --timeout 300 -E '^tst_browser$'
