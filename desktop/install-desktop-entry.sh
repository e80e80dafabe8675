#!/bin/sh
# Installs Junkbane's menu entry and icon for every user of this machine.
#
#   install-desktop-entry.sh /path/to/junkbane [PREFIX]
#
# The entry starts the given binary; PREFIX defaults to /usr/local (the entry goes to
# PREFIX/share/applications, the icon to PREFIX/share/icons/hicolor/scalable/apps).
# Run from its build folder, the program keeps junkbane.mdb, temp/, deleted/ and finds kv.chm
# beside the binary (when it may write there), so point it at the binary in its own folder,
# not at a copy elsewhere.
set -eu

here=$(cd "$(dirname "$0")" && pwd)

if [ $# -lt 1 ] || [ $# -gt 2 ]; then
    echo "usage: $0 /path/to/junkbane [PREFIX]" >&2
    exit 2
fi

case "$1" in
    /*) binary=$1 ;;
    *) binary=$(pwd)/$1 ;;
esac
prefix=${2:-/usr/local}

if [ ! -f "$binary" ] || [ ! -x "$binary" ]; then
    echo "$0: $binary is not an executable file" >&2
    exit 1
fi
# The Exec key splits at spaces and gives meaning to a few characters; refuse them rather than
# write an entry that starts something else.
case "$binary" in
    *[[:space:]\"\'\\\`\$%\|\&]*)
        echo "$0: $binary holds a space, quote, backslash, \$, %, | or &; move the program to a plain path" >&2
        exit 1 ;;
esac

applications=$prefix/share/applications
icons=$prefix/share/icons/hicolor/scalable/apps
mkdir -p "$applications" "$icons"

sed "s|^Exec=.*|Exec=$binary|" "$here/junkbane.desktop" > "$applications/junkbane.desktop.new"
chmod 644 "$applications/junkbane.desktop.new"
mv "$applications/junkbane.desktop.new" "$applications/junkbane.desktop"
install -m 644 "$here/junkbane.svg" "$icons/junkbane.svg"

# Menus and icon caches pick the new files up sooner with these; both are optional.
if command -v update-desktop-database >/dev/null 2>&1; then
    update-desktop-database "$applications" || true
fi
if command -v gtk-update-icon-cache >/dev/null 2>&1; then
    gtk-update-icon-cache -q -t "$prefix/share/icons/hicolor" || true
fi

echo "installed $applications/junkbane.desktop (Exec=$binary)"
echo "installed $icons/junkbane.svg"
