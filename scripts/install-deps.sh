#!/usr/bin/env bash
# Installs the Debian packages one of the scripts needs; each set includes the ones above it:
#   install-deps.sh build   building the program, its help file and its Debian package
#                           (scripts/package.sh)
#   install-deps.sh run     and running it from the build folder (scripts/run.sh)
#   install-deps.sh test    and every test, benchmark and fuzz target (scripts/test.sh)
# A package goes into the first set that needs it, on a line whose comment says what for.
# Run as root or through sudo; packages already installed are not fetched again.
#
# No service is left enabled or running: while the packages are installed, a policy-rc.d
# forbids starting services (unless the machine already has one), and every system unit or
# init script the installation enabled is disabled again. Dovecot, for example, comes with the
# test set, and the tests start their own Dovecot on free loopback ports.
set -euo pipefail

build_packages=(
  # compiler and build tools
  g++ cmake ninja-build pkg-config git
  # the libraries the program links
  qt6-base-dev libcurl4-openssl-dev libssl-dev libgmime-3.0-dev libsqlcipher-dev
  # translations: lupdate and lrelease, and their CMake package (Qt6LinguistTools)
  qt6-l10n-tools qt6-tools-dev
  # the help file's compiler
  fp-utils
  # the Debian package: dpkg-buildflags and dpkg-shlibdeps
  dpkg-dev
)

run_packages=(
  # Japanese font, the icon's SVG plugin, certificates
  fonts-ipafont-gothic libqt6svg6 ca-certificates
  # the help viewer (wraps Japanese text), and the desktop's opener with its type caches
  kchmviewer xdg-utils desktop-file-utils file
  # Qt's own translations, for its standard dialogs (the file dialog) in the program's language
  qt6-translations-l10n
  # a light mail program registered for message/rfc822, which opens the deleted mail (.eml)
  sylpheed
  # a display when there is none
  xvfb xauth
)

test_packages=(
  # GoogleTest, a real POP3 server, certificates, the database shell
  googletest libgtest-dev dovecot-core dovecot-pop3d openssl sqlcipher
  # screenshots: pictures of the display, and a window manager for frames and titles
  imagemagick openbox
  # reading the compiled help file back in the tests
  libchm-dev
  # the Debian package's checks, and its manual pages read as a user would
  lintian appstream man-db groff-base locales
  # desktop tests: an XEmbed tray host, a notification daemon, X window queries and keys
  trayer dunst xdotool
  # sanitizers and fuzzing
  clang libclang-rt-14-dev
)

set_name=${1:-}
case "$set_name" in
  build) packages=("${build_packages[@]}") ;;
  run) packages=("${build_packages[@]}" "${run_packages[@]}") ;;
  test) packages=("${build_packages[@]}" "${run_packages[@]}" "${test_packages[@]}") ;;
  *)
    echo "usage: $0 build|run|test" >&2
    exit 2
    ;;
esac

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
    missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)

# What starts at boot: enabled systemd units and SysV start links (either may be missing).
enabled_services() {
  if command -v systemctl >/dev/null; then
    systemctl list-unit-files --state=enabled --no-legend 2>/dev/null | awk '{print $1}' || true
  fi
  { find /etc/rc[2-5].d -name 'S*' -printf 'init:%f\n' 2>/dev/null || true; } |
    sed 's/^init:S[0-9]*/init:/'
}
before=$(enabled_services | sort -u)

policy=/usr/sbin/policy-rc.d
if [ ! -e "$policy" ]; then
  printf '#!/bin/sh\n# Put here by Junkbane'"'"'s install-deps.sh for the length of one installation.\nexit 101\n' |
    "${as_root[@]}" tee "$policy" >/dev/null
  "${as_root[@]}" chmod 755 "$policy"
  trap '"${as_root[@]}" rm -f "$policy"' EXIT
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"

# Whatever this installation enabled is disabled and stopped again.
while IFS= read -r service; do
  [ -n "$service" ] || continue
  echo "Disabling the system service $service, which the installation enabled"
  case "$service" in
    init:*) "${as_root[@]}" update-rc.d "${service#init:}" disable >/dev/null 2>&1 || true ;;
    *)
      "${as_root[@]}" systemctl disable "$service" >/dev/null 2>&1 || true
      "${as_root[@]}" systemctl stop "$service" >/dev/null 2>&1 || true
      ;;
  esac
done < <(comm -13 <(echo "$before") <(enabled_services | sort -u))
