#!/usr/bin/env bash
# Builds the Debian package build/package/tobrel_<version>_amd64.deb with
# CPack and checks it: lintian must report no error, and the desktop entry and
# AppStream data must pass their validators. Installs what is missing first.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh

# Tools of packaging only: dpkg-shlibdeps (dpkg-dev, which asks `file` what
# is a program), lintian and the two validators.
./scripts/install-deps.sh dpkg-dev file lintian desktop-file-utils appstream

# Debian's hardening flags, all of them (bind-now included).
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
# Given on the command line: CMake reads CXXFLAGS and LDFLAGS only once.
cxxflags="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
ldflags=$(dpkg-buildflags --get LDFLAGS)

out=build/package
jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B "$out" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr \
    -DBUILD_TESTING=OFF -DTOBREL_BUILD_BENCH=OFF \
    -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" >/dev/null
cmake --build "$out" -j "$jobs"
rm -f "$out"/tobrel_*.deb
(cd "$out" && cpack -G DEB)
deb=$(ls "$out"/tobrel_*_amd64.deb)

echo "== Checks =="
staged=$(mktemp -d)
trap 'rm -rf "$staged"' EXIT
dpkg-deb -x "$deb" "$staged"
desktop-file-validate "$staged"/usr/share/applications/tobrel.desktop
appstreamcli validate --no-net "$staged"/usr/share/metainfo/*.metainfo.xml
lintian --fail-on error "$deb"
dpkg-deb -f "$deb" Package Version Depends
echo "Built $deb"
