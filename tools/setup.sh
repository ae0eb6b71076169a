#!/usr/bin/env bash
# Installs the Debian 12 packages the build and the tests need, if any is
# missing. Run as root (or through sudo) on a fresh machine. Further packages
# may be named as arguments (tools/windows.sh names its own).
set -euo pipefail

packages=(
  build-essential cmake            # g++ 12, make, CMake
  libgtest-dev                     # GoogleTest
  libwxgtk3.2-dev                  # wxWidgets 3.2 on GTK 3, for the desktop window
  xvfb xauth                       # a display for the window's tests
  libx11-dev libxtst-dev           # the window's tests read the screen and turn the wheel through the X server
  clang libclang-rt-14-dev         # libFuzzer, for the fuzz targets
  libisal-dev zlib1g-dev           # inflaters of compressed sources (ISA-L; zlib, also for the tests)
  libcurl4-openssl-dev             # the HTTP transport of downloads
  liberfa-dev                      # ERFA: the Earth's position and the calendar, for the selection by brightness
  python3 openssl curl             # the download tests' origin and CA; curl, the download benchmark's baseline
  isal                             # igzip, the benchmark's baseline for compressed sources
  dpkg-dev lintian appstream       # the .deb (tools/deb.sh): dpkg-shlibdeps, and its checks
  desktop-file-utils groff-base     # the desktop entry's check; the manual pages' test
  "$@"
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [[ $(id -u) -ne 0 ]] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
