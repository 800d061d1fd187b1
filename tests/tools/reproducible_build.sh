#!/usr/bin/env bash
# The setup program's build is reproducible: the sources copied to a folder of another name and
# built there give the same bytes as the build under test (no time stamp in the PE header, no
# build paths in the code). Usage: reproducible_build.sh SOURCE_DIR WIN32_BUILD
set -euo pipefail
source_dir=$1 win32_build=$2
scratch=$(mktemp -d /tmp/ks-reproducible-XXXXXX)
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/another-source-folder"
tar -C "$source_dir" --exclude=./build --exclude=./.git -cf - . | tar -C "$scratch/another-source-folder" -xf -
cmake -S "$scratch/another-source-folder" -B "$scratch/another-build" \
  -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-i686.cmake -DCMAKE_BUILD_TYPE=MinSizeRel > /dev/null
cmake --build "$scratch/another-build" -j "$(nproc)" --target kestrival-setup > "$scratch/build.log" 2>&1 ||
  { cat "$scratch/build.log"; exit 1; }
if ! cmp "$scratch/another-build/kestrival-setup.exe" "$win32_build/kestrival-setup.exe"; then
  echo "two builds of the same sources differ ($(cmp -l "$scratch/another-build/kestrival-setup.exe" \
    "$win32_build/kestrival-setup.exe" | wc -l) bytes)"
  exit 1
fi
