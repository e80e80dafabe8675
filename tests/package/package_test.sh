#!/usr/bin/env bash
# The Debian package of a built tree, checked without installing it on the machine.
#   package_test.sh BUILD_DIR VERSION
# Makes the package with CPack, checks its name, files, control fields, licence, metadata
# (lintian, AppStream and the desktop entry, all at their strictest) and manual pages (read
# with man under the C and a Japanese locale, without a troff warning), unpacks
# it with dpkg-deb -x into a temporary root and starts the unpacked program offscreen
# (--check-start) as a user whose home is a temporary folder: the data appears in that
# user's data folder with private modes, the help file is the unpacked one, and a second
# start keeps the database byte for byte. Runs as root as well: the unpacked usr/bin is then
# writable, and the installed layout still sends the data to the home folder.
set -euo pipefail

build=$1
version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
check_mode() { # PATH MODE
  local actual
  actual=$(stat -c %a "$1" 2>/dev/null || echo missing)
  [ "$actual" = "$2" ] || fail "$1: mode $actual, expected $2"
}

source=$(cd "$(dirname "$0")/../.." && pwd)
for tool in cpack dpkg-deb lintian appstreamcli desktop-file-validate man localedef; do
  command -v "$tool" >/dev/null || { echo "$tool is missing: run scripts/install-deps.sh test" >&2; exit 1; }
done

echo "== package"
if ! cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log"
  echo "FAIL: cpack could not make the package" >&2
  exit 1
fi
deb=$work/out/junkbane_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || { ls "$work/out"; echo "FAIL: no $(basename "$deb")" >&2; exit 1; }
echo "$(basename "$deb"): $(stat -c %s "$deb") bytes"

echo "== files"
expected="./usr/bin/junkbane 755
./usr/bin/junkbane-initdb 755
./usr/share/applications/junkbane.desktop 644
./usr/share/doc/junkbane/changelog.gz 644
./usr/share/doc/junkbane/copyright 644
./usr/share/icons/hicolor/scalable/apps/junkbane.svg 644
./usr/share/junkbane/junkbane_en.qm 644
./usr/share/junkbane/kv.chm 644
./usr/share/junkbane/kv_en.chm 644
./usr/share/man/ja/man1/junkbane-initdb.1.gz 644
./usr/share/man/ja/man1/junkbane.1.gz 644
./usr/share/man/man1/junkbane-initdb.1.gz 644
./usr/share/man/man1/junkbane.1.gz 644
./usr/share/metainfo/org.junkbane.junkbane.metainfo.xml 644"
# Files with their octal modes; folders are checked by lintian.
actual=$(dpkg-deb --fsys-tarfile "$deb" | tar -tvf - | awk '$1 !~ /^d/ {print $6, $1}' |
  while read -r name perms; do
    mode=0
    for ((i = 1; i < 10; i++)); do
      [ "${perms:i:1}" = - ] || mode=$((mode | 1 << (9 - i)))
    done
    printf '%s %o\n' "$name" "$mode"
  done | sort)
if [ "$actual" != "$expected" ]; then
  fail "the package's files differ from the expected list:"
  diff <(echo "$expected") <(echo "$actual") >&2 || true
fi

echo "== control fields"
field() { dpkg-deb -f "$deb" "$1"; }
depends=$(field Depends)
# Named by hand, and found by dpkg-shlibdeps from what the program links.
for package in fonts-ipafont-gothic xdg-utils qt6-translations-l10n libqt6widgets6 libsqlcipher0 libcurl4 libgmime-3.0-0; do
  [[ ", $depends," == *", $package"[\ ,]* ]] || fail "Depends lacks $package: $depends"
done
[ "$(field Recommends)" = "kchmviewer, sylpheed | mail-reader" ] || fail "Recommends is \"$(field Recommends)\", not kchmviewer and a mail program"
[ "$(field Section)" = mail ] || fail "Section is \"$(field Section)\", not mail"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"

echo "== lintian"
# Every tag, down to the pedantic and informational ones.
lintian_out=$(lintian --fail-on none --pedantic -I "$deb" 2>&1 | grep -v 'running with root privileges' || true)
echo "${lintian_out:-(nothing reported)}"
[ -z "$lintian_out" ] || fail "lintian reports tags"

echo "== licence"
root=$work/root
dpkg-deb -x "$deb" "$root"
copyright=$root/usr/share/doc/junkbane/copyright
grep -qx 'License: GPL-3+' "$copyright" || fail "the copyright file does not name GPL-3+"
grep -q '/usr/share/common-licenses/GPL-3' "$copyright" || fail "the copyright file does not point at the licence text"
cmp -s "$source/LICENSE" /usr/share/common-licenses/GPL-3 || fail "LICENSE is not the GPL, version 3"

echo "== unpacked metadata"
metainfo=$root/usr/share/metainfo/org.junkbane.junkbane.metainfo.xml
grep -q '<project_license>GPL-3.0-or-later</project_license>' "$metainfo" || fail "no licence in the metainfo"
# Clean means no line of notes at all, only the verdict.
for check in "validate --pedantic --no-net $metainfo" "validate-tree --pedantic --no-net $root"; do
  # shellcheck disable=SC2086 # the check's words are split on purpose
  notes=$(appstreamcli $check 2>&1) || fail "appstreamcli ${check%% *} fails"
  grep -v -e '^✔' -e '^$' <<<"$notes" && fail "appstreamcli ${check%% *} reports the lines above"
done
desktop-file-validate "$root/usr/share/applications/junkbane.desktop" || fail "desktop-file-validate"

echo "== manual pages"
# man picks the page by the locale; the Japanese locale is made here for the test alone.
locales=$work/locales
mkdir -p "$locales"
localedef -i ja_JP -f UTF-8 "$locales/ja_JP.UTF-8" 2>/dev/null || fail "localedef cannot make ja_JP.UTF-8"
for lang in C ja_JP.UTF-8; do
  for page in junkbane junkbane-initdb; do
    text=$(LOCPATH=$locales LANG=$lang LC_ALL=$lang MANPATH=$root/usr/share/man MANWIDTH=80 \
      man --warnings "$page" 2>"$work/man.err" | col -b) || fail "man $page under LANG=$lang fails"
    [ ! -s "$work/man.err" ] || fail "man $page under LANG=$lang warns: $(head -n 3 "$work/man.err")"
    grep -q 'junkbane.mdb' <<<"$text" || fail "man $page under LANG=$lang lacks junkbane.mdb"
    [ "$page" = junkbane ] && man_text=$text
  done
  # The Japanese page under the Japanese locale, the English one under C.
  case $lang in
    C) grep -q '^DESCRIPTION' <<<"$man_text" || fail "man junkbane under C is not the English page" ;;
    *) grep -q '^説明' <<<"$man_text" || fail "man junkbane under $lang is not the Japanese page" ;;
  esac
  for file in junkbane.ini temp/ deleted/; do
    grep -q "$file" <<<"$man_text" || fail "man junkbane under LANG=$lang does not name $file"
  done
done

echo "== first start of the unpacked program"
home=$work/home
mkdir -m 755 "$home"
data=$home/.local/share/junkbane
start() {
  env -u XDG_DATA_HOME HOME="$home" QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$work/runtime" \
    timeout 60 "$root/usr/bin/junkbane" --check-start
}
mkdir -m 700 "$work/runtime"
status=0
report=$(start) || status=$?
[ "$status" -eq 0 ] || fail "the first start ended with exit status $status"
echo "$report"
grep -qx "data-folder=$data" <<<"$report" || fail "data folder is not $data"
grep -qx "help-file=$root/usr/share/junkbane/kv.chm" <<<"$report" ||
  fail "the help file is not the unpacked usr/share/junkbane/kv.chm"
check_mode "$data" 700
check_mode "$data/junkbane.mdb" 600
check_mode "$data/temp" 700
[ -z "$(find "$root" -name junkbane.mdb -o -name temp)" ] || fail "data written into the unpacked tree"
# The unpacked tool agrees with the program on where the database is, and leaves it alone.
initdb=$(env -u XDG_DATA_HOME HOME="$home" "$root/usr/bin/junkbane-initdb" 2>&1 || true)
[[ $initdb == *"$data/junkbane.mdb already exists"* ]] || fail "junkbane-initdb: $initdb"

echo "== second start"
before=$(sha256sum <"$data/junkbane.mdb")
install -m 600 /dev/null "$data/temp/mail-2f8k3q.eml" # a message a killed run left
install -m 600 /dev/null "$data/temp/notes.txt"       # not the program's
start >/dev/null || fail "the second start failed"
[ "$(sha256sum <"$data/junkbane.mdb")" = "$before" ] || fail "the second start changed the database"
[ ! -e "$data/temp/mail-2f8k3q.eml" ] || fail "the left-over message is still in temp/"
[ -e "$data/temp/notes.txt" ] || fail "a file that is not the program's was removed from temp/"

echo "== start in English"
# The installed translation is found beside the help files: the English guide is chosen.
english=$(LC_ALL= LC_MESSAGES= LANG=en_US.UTF-8 LANGUAGE=en start) || fail "the English start failed"
grep -qx "help-file=$root/usr/share/junkbane/kv_en.chm" <<<"$english" ||
  fail "under English the help file is not usr/share/junkbane/kv_en.chm: $english"

if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "package test passed"
