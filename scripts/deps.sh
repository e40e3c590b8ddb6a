#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests or the tool need, and
# only those that are missing. Usage: scripts/deps.sh [build|test|run]...
set -euo pipefail

# Qt Charts needs the OpenGL module's CMake files, which its package does not pull in.
# The SQLite driver of Qt SQL holds the local archive.
build_pkgs=(cmake ninja-build g++ qt6-base-dev qt6-5compat-dev qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools qt6-charts-dev libqt6opengl6-dev libgl-dev
    libqt6sql6-sqlite)
# dpkg-dev and file: the .deb's library dependencies; desktop-file-utils and
# appstream: the installed tree's desktop entry and metainfo; postgresql and
# Qt's driver for it: the archive server of the tests (scripts/pgserver.sh).
test_pkgs=(python3 fonts-dejavu-core clang libclang-rt-14-dev libbenchmark-dev g++-mingw-w64-x86-64-posix
    dpkg-dev file desktop-file-utils appstream postgresql libqt6sql6-psql poppler-utils)
run_pkgs=(fonts-dejavu-core xvfb xdotool imagemagick socat inotify-tools)

wanted=()
for kind in "${@:-build}"; do
    case "$kind" in
        build) wanted+=("${build_pkgs[@]}") ;;
        test) wanted+=("${build_pkgs[@]}" "${test_pkgs[@]}") ;;
        run) wanted+=("${build_pkgs[@]}" "${run_pkgs[@]}") ;;
        *) echo "deps.sh: unknown set '$kind'" >&2; exit 2 ;;
    esac
done

missing=()
for pkg in "${wanted[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "ok installed"; then
        missing+=("$pkg")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
