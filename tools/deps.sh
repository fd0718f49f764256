#!/bin/sh
# Makes sure the build's Debian packages are present: cmake, g++, the
# GoogleTest headers and libraries, groff (the tests render the manual
# page), nlohmann's JSON library (the run reports), and for korvex-tex
# pkg-config, libpng and libzip. With the argument
# "deb", also what a Debian package is made with. Installs what is missing
# when it can.
missing=""
command -v cmake >/dev/null 2>&1 || missing="$missing cmake"
command -v g++ >/dev/null 2>&1 || missing="$missing g++"
[ -f /usr/include/gtest/gtest.h ] || missing="$missing libgtest-dev"
command -v pkg-config >/dev/null 2>&1 || missing="$missing pkg-config"
[ -f /usr/include/png.h ] || missing="$missing libpng-dev"
[ -f /usr/include/zip.h ] || missing="$missing libzip-dev"
[ -f /usr/include/nlohmann/json.hpp ] || missing="$missing nlohmann-json3-dev"
command -v groff >/dev/null 2>&1 || missing="$missing groff-base"
if [ "$1" = deb ]; then
  command -v dpkg-shlibdeps >/dev/null 2>&1 || missing="$missing dpkg-dev"
  command -v file >/dev/null 2>&1 || missing="$missing file"
fi
[ -z "$missing" ] && exit 0

echo "Missing packages:$missing"
if [ "$(id -u)" = 0 ] && command -v apt-get >/dev/null 2>&1; then
  apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y $missing && exit 0
  echo "Installing failed."
fi
echo "Install them with:  sudo apt-get install -y$missing"
exit 1
