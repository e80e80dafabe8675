#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Junkbane needs.
# Run as root or through sudo; packages already installed are not fetched again.
set -euo pipefail

packages=(
  # build
  g++ cmake ninja-build pkg-config git
  qt6-base-dev libcurl4-openssl-dev libssl-dev libgmime-3.0-dev libsqlcipher-dev
  # translations: lupdate and lrelease, and their CMake package (Qt6LinguistTools)
  qt6-l10n-tools qt6-tools-dev
  # help file
  fp-utils
  # running: Japanese font, CHM viewer, certificates
  fonts-ipafont-gothic libqt6svg6 xchm ca-certificates
  # running: Qt's own translations, for its standard dialogs (the file dialog) in Japanese
  qt6-translations-l10n
  # the desktop's opener for the help file: xdg-open, the application-by-type cache, file types
  xdg-utils desktop-file-utils file
  # a light mail program registered for message/rfc822, which opens the deleted mail (.eml)
  sylpheed
  # tests: GoogleTest, a real POP3 server, certificates, the database shell, a display
  googletest libgtest-dev dovecot-core dovecot-pop3d openssl sqlcipher xvfb xauth imagemagick
  libchm-dev
  # screenshots: a window manager draws the frames and titles
  openbox
  # the Debian package: dependencies from the linked libraries, and its checks
  dpkg-dev lintian appstream
  # sanitizers and fuzzing
  clang libclang-rt-14-dev
)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' \
    || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
