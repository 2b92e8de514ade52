#!/bin/bash
# Builds the release into build/packages/: the Windows installers of both
# builds (per user and per machine, 32- and 64-bit) and the integrators' kit.
# Builds only what the release needs, and only what is missing.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
bash scripts/setup.sh

version=$(sed -n 's/^project([A-Za-z_]* VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
out=build/packages
mkdir -p "$out"
rm -f "$out"/*.msi "$out"/*-sdk.zip

declare -A arch=([win32]=x86 [win64]=x64)
for preset in win32 win64; do
  echo "== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "${JOBS:-2}" --target rotam_release
  cp build/$preset/packages/*.msi "$out/"
done

# The kit: the header, both builds of the library with their .def and import
# library, the type library, and how to use them.
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
kit=$stage/rotam-$version-sdk
mkdir -p "$kit/include"
cp vostik/include/vostik.h "$kit/include/"
for preset in win32 win64; do
  mkdir -p "$kit/${arch[$preset]}"
  cp build/$preset/packages/sdk/* "$kit/${arch[$preset]}/"
done
sed "s/@VERSION@/$version/g; s/\$/\r/" packaging/SDK.txt > "$kit/SDK.txt"
(cd "$stage" && zip -qrX "$root/$out/rotam-$version-sdk.zip" "rotam-$version-sdk")

echo "== $out"
for msi in "$out"/*.msi; do
  msiinfo tables "$msi" >/dev/null
done
ls -l "$out"
