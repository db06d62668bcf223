#!/usr/bin/env bash
# Runs the paused key-reuse races many times on both engines (200 rounds by default, for each
# of settle, delete and communication) and prints how many rounds went wrong: a user paused
# (SIGSTOP) while another deletes its settlement and a third saves a new one that takes the
# freed key. The CTest run of the same test makes a few rounds only.
#
#   scripts/key-reuse-races.sh [ROUNDS] [BUILD]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
rounds=${1:-200}
build=${2:-$here/build}
cmake --build "$build" -j2 --target liqiva test_cli >/dev/null
export QT_QPA_PLATFORM=offscreen LIQIVA_BIN_DIR="$build/src" LIQIVA_KEY_REUSE_ROUNDS="$rounds"
"$build/tests/test_cli" --gtest_filter='*KeyReuse.APausedUser*' | grep -E '^key reuse|FAILED|PASSED|round [0-9]+'
