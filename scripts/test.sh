#!/usr/bin/env bash
# The whole test run: installs what is missing, builds, and runs the tests in
# a plain build (a second time as an unprivileged account), packs that build
# as a .deb and checks the installed tool; then with AddressSanitizer +
# UndefinedBehaviorSanitizer, and the threaded tests with ThreadSanitizer;
# compiles the Windows platform layer with mingw-w64 and runs the fuzzers for
# a fixed number of inputs.
# Usage: scripts/test.sh [--quick]   (--quick: plain build, its tests and the package only)
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

# The plain build packed as a .deb (no second build: cpack installs the
# installed-tree component of the build folder under /usr), installed with
# dpkg into a scratch root; its desktop entry, metainfo and udev rule are validated, every
# declared dependency must name a Debian package, and the unpacked tool must
# find its style file, pictures and translation. The portable install of the
# same build is checked the same way.
package() {
    local scratch deb dep
    scratch=$(mktemp -d)
    (cd build && cpack -G DEB -B "$scratch/out") >"$scratch/cpack.log" 2>&1 \
        || { cat "$scratch/cpack.log"; rm -rf "$scratch"; return 1; }
    deb=$(ls "$scratch"/out/*.deb)
    echo "$(basename "$deb"): Depends: $(dpkg-deb -f "$deb" Depends)"
    for dep in $(dpkg-deb -f "$deb" Depends | tr ',' '\n' | sed 's/^ *//; s/[ (].*//; s/|.*//'); do
        dpkg-query -W -f='${Status}' "$dep" 2>/dev/null | grep -q "ok installed" \
            || { echo "declared dependency $dep is not an installed package"; rm -rf "$scratch"; return 1; }
    done
    # Installed by dpkg into a scratch root with an empty package database;
    # the dependencies are this machine's packages, checked above.
    mkdir -p "$scratch/root/var/lib/dpkg/info" "$scratch/root/var/lib/dpkg/updates"
    : >"$scratch/root/var/lib/dpkg/status"
    dpkg --root="$scratch/root" --force-depends --force-not-root --log=/dev/null -i "$deb" >"$scratch/dpkg.log" 2>&1 \
        || { cat "$scratch/dpkg.log"; return 1; }
    dpkg --root="$scratch/root" -L tolvotool | while read -r path; do
        if [ -f "$scratch/root$path" ]; then echo "$path"; fi
    done
    desktop-file-validate "$scratch"/root/usr/share/applications/*.desktop
    appstreamcli validate --no-net "$scratch"/root/usr/share/metainfo/*.metainfo.xml
    python3 tests/install/check_udev_rules.py "$scratch"/root/usr/lib/udev/rules.d/*.rules
    mkdir "$scratch/home"
    HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/home/.config" QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES="*.debug=false" \
        "$scratch/root/usr/bin/TolvoTool" --check-install | tee "$scratch/installed.txt"
    grep -qx "layout: installed" "$scratch/installed.txt"
    grep -qx "settings file: $scratch/home/.config/TolvoTool/TolvoTool.ini" "$scratch/installed.txt"
    # The command-line program runs from the package too, without a display.
    env -u DISPLAY HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/home/.config" \
        "$scratch/root/usr/bin/tolvo-cli" ports >/dev/null

    cmake --install build --prefix "$scratch/portable" >/dev/null
    QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES="*.debug=false" "$scratch/portable/TolvoTool" --check-install | tee "$scratch/portable.txt"
    grep -qx "layout: portable" "$scratch/portable.txt"
    rm -rf "$scratch"
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
    # Only the tests with threads of their own are worth the slow build; the
    # fixtures they require (the archive server) are scripts, not targets.
    local targets
    targets=$(ctest --test-dir build-tsan -N -L threaded -FA '.*' | sed -n 's/^ *Test *#[0-9]*: //p')
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
stage "debian package" package
if [ $quick -eq 0 ]; then
    stage "mingw-w64 platform layer" mingw
    stage "asan+ubsan build and tests" asan
    stage "tsan threaded tests" tsan
    stage "fuzzers" fuzz
fi
