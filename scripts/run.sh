#!/usr/bin/env bash
# Builds and starts TolvoTool. Without a wrench attached (or with --simulate)
# it first starts the simulated wrench on a pseudo-terminal, maps its link as
# COM42 in the settings file's [PORTS] section, makes COM42 the favourite port
# and stops the wrench again when the tool is closed.
# While it runs, the wrench takes commands on a local socket, for example
#   echo 'mgd 7 4 Calibration;Calibrate now?' | socat - UNIX-CONNECT:/tmp/tolvo-wrench-$(id -u).ctl
# Usage: scripts/run.sh [--simulate|--real]   (build folder: $TOLVO_BUILD_DIR, default build;
# more options for the simulated wrench: $TOLVO_WRENCH_OPTIONS, e.g. "--baud 9600")
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
mode=${1:-auto}
build=$root/${TOLVO_BUILD_DIR:-build}

scripts/deps.sh run
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
ninja -C "$build" TolvoTool tolvo-wrench tolvo-cli

bin=$build/bin
ini=$bin/TolvoTool.ini

if [ "$mode" = auto ]; then
    mode=--simulate
    compgen -G "/dev/ttyUSB*" >/dev/null || compgen -G "/dev/ttyACM*" >/dev/null && mode=--real
fi

# A session without a login (root in a console, a container) has no runtime
# folder; Qt would complain about it on every start.
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    own_runtime=$(mktemp -d)
    export XDG_RUNTIME_DIR=$own_runtime
fi

if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "No display: starting a virtual one (Xvfb :99)."
    Xvfb :99 -screen 0 1280x1024x24 >/dev/null 2>&1 &
    xvfb=$!
    export DISPLAY=:99
    sleep 1
fi

wrench=""
cleanup() {
    [ -n "$wrench" ] && kill "$wrench" 2>/dev/null && wait "$wrench" 2>/dev/null
    [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null
    [ -n "${own_runtime:-}" ] && rm -rf "$own_runtime"
    true
}
trap cleanup EXIT

if [ "$mode" = --simulate ]; then
    link=/tmp/tolvo-wrench-$(id -u)
    control=$link.ctl
    out=$build/wrench.out
    # shellcheck disable=SC2086 # the options are words
    "$bin/tolvo-wrench" --link "$link" --log "$build/wrench-frames.log" --control "$control" \
        --no-stdin ${TOLVO_WRENCH_OPTIONS:-} >"$out" 2>&1 &
    wrench=$!
    for _ in $(seq 100); do
        grep -q '^ready' "$out" && break
        kill -0 "$wrench" 2>/dev/null || break
        sleep 0.1
    done
    grep -q '^ready' "$out" || { cat "$out"; echo "the simulated wrench did not start"; exit 1; }
    scripts/ini-set.sh "$ini" PORTS COM42 "$link"
    scripts/ini-set.sh "$ini" SETUP FAVORITE_PORT COM42
    echo "Simulated wrench on $link (COM42); frame log in $build/wrench-frames.log;"
    echo "commands: socat - UNIX-CONNECT:$control (send 'help')"
fi

"$bin/TolvoTool"
