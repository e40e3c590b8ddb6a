#!/usr/bin/env bash
# The whole test run: installs what is missing, builds, and runs the tests in
# a plain build (a second time as an unprivileged account), with
# AddressSanitizer + UndefinedBehaviorSanitizer, and the threaded tests with
# ThreadSanitizer; compiles the Windows platform layer
# with mingw-w64 and runs the fuzzers for a fixed number of inputs.
# Usage: scripts/test.sh [--quick]   (--quick: plain build and tests only)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
quick=0
[ "${1:-}" = "--quick" ] && quick=1
jobs=$(nproc)

stage_names=()
stage_secs=()
stage() {
    local name=$1; shift
    local start=$SECONDS
    echo "=== $name"
    "$@"
    stage_names+=("$name")
    stage_secs+=($((SECONDS - start)))
}
summary() {
    echo "=== stage times"
    for i in "${!stage_names[@]}"; do
        printf '%-28s %5d s\n' "${stage_names[$i]}" "${stage_secs[$i]}"
    done
}
trap summary EXIT

configure() { # dir, extra cmake args...
    local dir=$1; shift
    cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >"$dir.configure.log" 2>&1 \
        || { cat "$dir.configure.log"; return 1; }
}

plain() {
    configure build
    ninja -C build -j"$jobs"
    ctest --test-dir build --output-on-failure -j"$jobs"
}

# The plain build's tests once more as an account without privileges (uid
# and gid 65534), so that permission faults that root never meets show. The
# executables and test lists are copied to a scratch folder that account
# owns, since tests write beside their programs; the build stays root's.
unprivileged() {
    if [ "$(id -u)" -ne 0 ]; then
        echo "not root: the plain run was already unprivileged"
        return 0
    fi
    local scratch status=0
    scratch=$(mktemp -d)
    (cd build && find bin tests \( -name CMakeFiles -o -name '*_autogen' \) -prune -o -type f -print0 \
        | xargs -0 cp --parents -p -t "$scratch")
    find "$scratch" -name CTestTestfile.cmake -exec sed -i "s#$root/build/#$scratch/#g" {} +
    mkdir "$scratch/home" "$scratch/tmp"
    chown -R 65534:65534 "$scratch"
    setpriv --reuid=65534 --regid=65534 --clear-groups \
        env HOME="$scratch/home" TMPDIR="$scratch/tmp" \
        ctest --test-dir "$scratch/tests" --output-on-failure -j"$jobs" || status=$?
    rm -rf "$scratch"
    return "$status"
}

asan() {
    configure build-asan -DTOLVO_SANITIZE=address,undefined -DTOLVO_BUILD_BENCH=OFF
    ninja -C build-asan -j"$jobs"
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
    LSAN_OPTIONS=suppressions=$root/tests/lsan.supp:print_suppressions=0 \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        ctest --test-dir build-asan --output-on-failure -j"$jobs"
}

tsan() {
    configure build-tsan -DTOLVO_SANITIZE=thread -DTOLVO_BUILD_BENCH=OFF
    # Only the tests with threads of their own are worth the slow build.
    local targets
    targets=$(ctest --test-dir build-tsan -N -L threaded | sed -n 's/^ *Test *#[0-9]*: //p')
    [ -n "$targets" ] || { echo "no threaded tests"; return 0; }
    # shellcheck disable=SC2086
    ninja -C build-tsan -j"$jobs" $targets tolvo-wrench
    TSAN_OPTIONS="suppressions=$root/tests/tsan.supp:halt_on_error=1:second_deadlock_stack=1:history_size=7:die_after_fork=0" \
        ctest --test-dir build-tsan --output-on-failure -L threaded -j"$jobs"
}

mingw() {
    local out
    out=$(mktemp -d)
    # Everything of the OS layer that a Windows build compiles.
    for src in $(ls platform/*.cpp | grep -v '_posix\.cpp$'); do
        echo "x86_64-w64-mingw32-g++ $src"
        x86_64-w64-mingw32-g++ -std=c++17 -Wall -Wextra -Wpedantic -Wconversion -Werror \
            -I"$root" -c "$src" -o "$out/$(basename "$src").o"
    done
    rm -rf "$out"
}

fuzz() {
    configure build-fuzz -DTOLVO_BUILD_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++ \
        -DTOLVO_BUILD_TESTS=OFF -DTOLVO_BUILD_BENCH=OFF
    local fuzzers
    fuzzers=$(ninja -C build-fuzz -t targets all | sed -n 's/^\(fuzz_[a-z_]*\): .*/\1/p' | sort -u)
    [ -n "$fuzzers" ] || { echo "no fuzzers"; return 0; }
    # shellcheck disable=SC2086
    ninja -C build-fuzz -j"$jobs" $fuzzers
    # Each fuzzer starts from a copy of its seed corpus, since libFuzzer adds
    # the inputs it finds to the first folder it is given.
    for dir in fuzz/*/; do
        local name corpus
        name=$(basename "$(ls "$dir"fuzz_*.cpp)" .cpp)
        corpus=$(mktemp -d)
        [ -d "${dir}corpus" ] && cp "${dir}corpus/"* "$corpus/"
        echo "$name"
        "build-fuzz/bin/$name" -runs=200000 -max_total_time=60 -seed=1 "$corpus" 2>&1 | tail -n 2
        rm -rf "$corpus"
    done
}

stage "dependencies" scripts/deps.sh test
stage "plain build and tests" plain
stage "plain tests, unprivileged" unprivileged
if [ $quick -eq 0 ]; then
    stage "mingw-w64 platform layer" mingw
    stage "asan+ubsan build and tests" asan
    stage "tsan threaded tests" tsan
    stage "fuzzers" fuzz
fi
