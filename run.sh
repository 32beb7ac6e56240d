#!/usr/bin/env bash
# Installs what is missing, builds and starts the editor.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh
scripts/build.sh
# The built-in browser's engine refuses to start as root inside its sandbox; only then is the
# sandbox switched off.
if [ "$(id -u)" -eq 0 ]; then
    export QTWEBENGINE_DISABLE_SANDBOX=1
fi
if [ -x build/bin/keystow ]; then
    exec build/bin/keystow "$@"
fi
exec build/bin/keystow-cli --help
