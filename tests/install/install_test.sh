#!/usr/bin/env bash
# Installs the build into a temporary prefix (no rebuild) and checks the installation as the
# desktop and a user meet it: the desktop entry, the metainfo, the MIME package, the icons and
# the manual pages are valid, the SDK headers compile a plug-in on their own, and the installed
# program, started headless with a fresh home, seeds its program folder from the installed data
# and plays a demo piece from there.
#   install_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1
source=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/tonaria-install.XXXXXX")
pid=
cleanup() {
  [ -n "$pid" ] && kill -KILL "$pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
prefix=$work/prefix

cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 ||
  { cat "$work/install.log" >&2; fail "cmake --install"; }

for f in bin/tonaria bin/tonaria-render share/tonaria/Lang/English.tlg share/tonaria/mci.ini \
         share/tonaria/Themes/Default.tui share/tonaria/Reset/GM\ Reset.mid \
         share/tonaria/Help/index.html share/tonaria/Albums/DEMO0000.tal \
         share/applications/tonaria.desktop share/metainfo/com.brimvel.Tonaria.metainfo.xml \
         share/mime/packages/tonaria.xml share/icons/hicolor/scalable/apps/tonaria.svg \
         share/man/man1/tonaria.1 share/man/man1/tonaria-render.1 include/tonaria/plugin.h; do
  [ -s "$prefix/$f" ] || fail "$f is not installed"
done
[ -d "$prefix/lib/tonaria/Plugins" ] || fail "lib/tonaria/Plugins is not installed"
ls "$prefix"/share/tonaria/Demo/*.mid >/dev/null || fail "no demo pieces installed"
if find "$prefix/share/tonaria" -name '.git*' | grep -q .; then fail "repository files installed"; fi

# The icon at every usual size, each as large as its folder says.
for size in 16 22 24 32 48 64 128 256; do
  png=$prefix/share/icons/hicolor/${size}x${size}/apps/tonaria.png
  [ -s "$png" ] || fail "no ${size}x${size} icon"
  width=$(od -An -tu1 -j16 -N4 "$png" | awk '{print $1*16777216 + $2*65536 + $3*256 + $4}')
  [ "$width" = "$size" ] || fail "the ${size}x${size} icon is $width pixels wide"
done

desktop-file-validate "$prefix/share/applications/tonaria.desktop" || fail "desktop-file-validate"
grep -qx 'Exec=tonaria /Play /Close %f' "$prefix/share/applications/tonaria.desktop" ||
  fail "the desktop entry does not start tonaria /Play /Close %f"
grep -qx 'Categories=AudioVideo;Audio;Midi;Player;' "$prefix/share/applications/tonaria.desktop" ||
  fail "the desktop entry's categories"
appstreamcli validate --no-net "$prefix/share/metainfo/com.brimvel.Tonaria.metainfo.xml" ||
  fail "appstreamcli validate"
# The installation brought the prefix's MIME database up to date with our own type.
grep -qx 'audio/x-rmi' "$prefix/share/mime/types" || fail "audio/x-rmi is not in the MIME database"

for page in tonaria tonaria-render; do
  text=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$prefix/share/man/man1/$page.1" 2>"$work/man.err") ||
    fail "man $page"
  [ ! -s "$work/man.err" ] || { cat "$work/man.err" >&2; fail "man $page has warnings"; }
  grep -q "^NAME" <<<"$text" || fail "man $page has no NAME"
done

# A plug-in builds against the installed SDK alone.
if [ -f "$source/examples/plugin/hello.c" ]; then
  cc -shared -fPIC -Wall -Werror -I "$prefix/include" -o "$work/hello.tpi" \
    "$source/examples/plugin/hello.c" || fail "the example plug-in does not build against the SDK"
fi

# The installed program, headless, with a home of its own and no program folder chosen for it.
home=$work/home
mkdir -p "$home" "$work/runtime"
chmod 700 "$work/runtime"
echo "given from the installed data" >"$prefix/share/tonaria/Help/installed-marker.txt"
demo=$(ls "$prefix"/share/tonaria/Demo/*.mid | head -n 1)
wav=$work/out.wav
env -u TONARIA_HOME -u TONARIA_CONFIG -u DISPLAY -u WAYLAND_DISPLAY -u DBUS_SESSION_BUS_ADDRESS \
  HOME="$home" XDG_DATA_HOME="$home/.local/share" XDG_CONFIG_HOME="$home/.config" \
  XDG_CACHE_HOME="$home/.cache" XDG_RUNTIME_DIR="$work/runtime" \
  QT_QPA_PLATFORM=offscreen TONARIA_AUDIO="wav:$wav" \
  "$prefix/bin/tonaria" /play /close "$demo" >"$work/run.log" 2>&1 &
pid=$!
# A second of sound is enough: the piece is played in real time, so it is not waited out.
sound=0
for _ in $(seq 1 300); do
  sleep 0.1
  kill -0 "$pid" 2>/dev/null || break
  if [ -f "$wav" ]; then
    sound=$(tail -c +4097 "$wav" | tr -d '\000' | wc -c)
    [ "$sound" -gt 100000 ] && break
  fi
done
kill -TERM "$pid" 2>/dev/null || true
status=0
wait "$pid" || status=$?
pid=
[ "$status" -eq 0 ] || { cat "$work/run.log" >&2; fail "tonaria ended with status $status"; }
[ "$sound" -gt 100000 ] || { cat "$work/run.log" >&2; fail "the demo piece made no sound"; }
folder=$home/.local/share/tonaria
for f in Lang/English.tlg Themes/Default.tui mci.ini Help/installed-marker.txt; do
  [ -f "$folder/$f" ] || fail "the program folder was not given $f from the installed data"
done
[ -f "$home/.config/tonaria/registry.reg" ] || fail "the preferences were not saved"
echo "installed into $prefix and played $(basename "$demo")"
