#!/usr/bin/env bash
# Builds the Debian package from the build folder, unpacks it into a scratch folder and checks it
# as a distribution would: the desktop entry, the AppStream file, lintian (no error), and the
# unpacked program: --version, and a first start in a new home that creates its working folder and
# database.
#   check_package.sh <build folder>
set -euo pipefail
build=$(cd "$1" && pwd)
scratch=$(mktemp -d)
pid=
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
  rm -rf "$scratch"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$scratch/out" >/dev/null) || fail "cpack"
deb=$(ls "$scratch"/out/velmira_*.deb)
root="$scratch/root"
dpkg-deb -x "$deb" "$root"
for f in usr/bin/velmira usr/share/applications/velmira.desktop usr/share/man/man1/velmira.1.gz \
         usr/share/doc/velmira/copyright usr/share/doc/velmira/changelog.gz etc/velmira/sysset.ini \
         usr/share/velmira/manual/index.html usr/share/icons/hicolor/scalable/apps/velmira.svg; do
  [ -f "$root/$f" ] || fail "missing $f"
done
for size in 16 32 48 64 128 256; do
  [ -f "$root/usr/share/icons/hicolor/${size}x${size}/apps/velmira.png" ] || fail "missing ${size}px icon"
done
dpkg-deb -f "$deb" Depends | grep -q 'libqt6core6' || fail "no dependencies from the binary"

desktop-file-validate "$root/usr/share/applications/velmira.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml || fail "appstreamcli validate"
report=$(lintian --tag-display-limit 0 "$deb" 2>&1 | grep -v 'running with root privileges' || true)
[ -n "$report" ] && echo "$report"
if echo "$report" | grep -q '^E: '; then fail "lintian errors"; fi
man -l "$root/usr/share/man/man1/velmira.1.gz" >/dev/null 2>"$scratch/man.err" || fail "man page"
[ ! -s "$scratch/man.err" ] || { cat "$scratch/man.err"; fail "man page warnings"; }

# The unpacked program, offscreen.
export QT_QPA_PLATFORM=offscreen
version=$("$root/usr/bin/velmira" --version) || fail "--version"
[ "$version" = "velmira $(dpkg-deb -f "$deb" Version)" ] || fail "--version printed '$version'"

# First start in a new home: the working folder and its database appear before the login.
home="$scratch/home"
mkdir -p "$home"
(cd "$scratch" && HOME="$home" XDG_DATA_HOME= exec "$root/usr/bin/velmira" >"$scratch/run.log" 2>&1) &
pid=$!
db="$home/.local/share/velmira/data/qczl.db"
for _ in $(seq 1 300); do
  [ -f "$db" ] && break
  kill -0 "$pid" 2>/dev/null || { cat "$scratch/run.log"; fail "the program ended on its first start"; }
  sleep 0.1
done
[ -f "$db" ] || fail "no database after 30 s: $db"
# Created whole before the start-up connection: the program is still up (at its login).
sleep 1
kill -0 "$pid" 2>/dev/null || { cat "$scratch/run.log"; fail "the program ended after creating its database"; }
kill "$pid"
wait "$pid" 2>/dev/null || true
pid=
[ -d "$home/.local/share/velmira/jpg" ] || fail "no jpg folder"
[ "$(head -c 15 "$db")" = "SQLite format 3" ] || fail "not a SQLite file: $db"
echo "package checked: $(basename "$deb")"
