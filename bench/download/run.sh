#!/usr/bin/env bash
# The download benchmark: builds download_bench (Windows preset) and runs bench/download/measure.py
# under scripts/test-env, first on the plain loopback, then, when this machine lets us (root,
# unshare, tc), once more inside a network namespace of its own whose loopback tc limits to a
# few megabytes a second, to show that the transfer is then limited by the link.
#
# Usage: bench/download/run.sh [BUILD_DIR]
#   (default: $QUILLMERE_BENCH_WIN_BUILD, else the windows preset's build/windows)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-${QUILLMERE_BENCH_WIN_BUILD:-$root/build/windows}}
build=$(mkdir -p "$build" && cd "$build" && pwd)
measure="$root/bench/download/measure.py"
exe="$build/download_bench.exe"
work="$build/bench-download"

cmake --preset windows -B "$build" >/dev/null
cmake --build "$build" --target download_bench >/dev/null

"$root/scripts/test-env" "$build" python3 "$measure" loopback "$exe" "$work"

link_mbit=$(python3 -c "import sys; sys.path.insert(0, '$root/bench/download'); import measure; print(measure.LINK_MBIT)")
if [ "$(id -u)" -ne 0 ] || ! command -v tc >/dev/null || ! command -v unshare >/dev/null; then
    echo "== download through a limited link: skipped (needs root, unshare and tc)"
    exit 0
fi
# Everything of the second run (wineserver, Xvfb, the fixture server) lives in the namespace:
# Wine's sockets are made by the wineserver, so it must see the limited loopback too.
if ! unshare --net bash -c "ip link set lo mtu 1500 up &&
        tc qdisc add dev lo root tbf rate ${link_mbit}mbit burst 64kb latency 200ms &&
        '$root/scripts/test-env' '$build' python3 '$measure' limited '$exe' '$work'"; then
    echo "== download through a limited link: skipped (the namespace or tc refused)"
fi
