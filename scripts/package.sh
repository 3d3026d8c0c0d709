#!/usr/bin/env bash
# Builds both architectures and writes the release archives
# dist/Quillora-<version>-i686.zip and dist/Quillora-<version>-x86_64.zip, each
# holding the program, its hook library, the sample settings file and the
# Japanese user guide. The version is the one in CMakeLists.txt, as the build
# put it into the program.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${QUILLORA_BUILD_ROOT:-$root/build}
dist=$root/dist
QUILLORA_ARCHS="i686 x86_64" "$root/scripts/build.sh"

version_of() {  # the version text the build compiled in
  sed -n 's/^#define QUILLORA_VERSION_TEXT "\(.*\)"$/\1/p' "$build/$1/generated/version.h"
}
version=$(version_of i686)
if [[ -z $version || $version != "$(version_of x86_64)" ]]; then
  echo "the two builds disagree on the version ('$version', '$(version_of x86_64)'): reconfigure them" >&2
  exit 1
fi

# Only this version's archives stay.
mkdir -p "$dist"
rm -f "$dist"/Quillora-*.zip
for arch in i686 x86_64; do
  zip=$dist/Quillora-$version-$arch.zip
  # -X: no Unix extra fields; -j: the four files at the archive's top.
  zip -X -j -q "$zip" \
    "$build/$arch/bin/Quillora.exe" "$build/$arch/bin/QuilloraHelper.dll" \
    "$build/$arch/package/Quillora.ini" "$build/$arch/package/ReadMe.txt"
  echo "$zip"
done
