#!/usr/bin/env bash
# Installs everything the three builds need on a Debian 12 machine (run as root).
#
# Idempotent: each step leaves a stamp in the cache, so a second run does no
# network access and returns in about a second. The cache lives outside any
# build tree (NOOKVALE_CACHE, default /var/cache/nookvale) so that clean
# checkouts and fresh build directories reuse it.
set -euo pipefail

CACHE=${NOOKVALE_CACHE:-/var/cache/nookvale}
JOBS=$(nproc)
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
TARGETS=(x86_64-w64-mingw32 i686-w64-mingw32)
# Bump when the recipe below changes, so cached results are rebuilt.
RECIPE=5

mkdir -p "$CACHE"
log() { printf '[bootstrap] %s\n' "$*" >&2; }
stamp() { [ -f "$CACHE/stamps/$1.$RECIPE" ]; }
mark() { mkdir -p "$CACHE/stamps"; touch "$CACHE/stamps/$1.$RECIPE"; }

if stamp all-3 && [ "${1:-}" != "--force" ]; then
  exit 0
fi

export DEBIAN_FRONTEND=noninteractive

# --- apt: source indexes -----------------------------------------------------
# Source packages come from the same mirrors the machine already uses. We copy
# every deb822 stanza whose suites belong to this release and mark it deb-src.
add_deb_src() {
  local codename list=/etc/apt/sources.list.d/nookvale-deb-src.sources
  codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
  [ -f "$list" ] && return 0
  local tmp
  tmp=$(mktemp)
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    [ "$f" = "$list" ] && continue
    awk -v cn="$codename" '
      function flush() {
        if (n > 0 && isdeb && ours) {
          for (i = 1; i <= n; i++) {
            if (lines[i] ~ /^Types:/) print "Types: deb-src"; else print lines[i]
          }
          print ""
        }
        n = 0; isdeb = 0; ours = 0
      }
      /^[[:space:]]*$/ { flush(); next }
      /^#/ { next }
      {
        lines[++n] = $0
        if ($0 ~ /^Types:/ && $0 ~ /(^|[[:space:]])deb([[:space:]]|$)/) isdeb = 1
        if ($0 ~ /^Suites:/) {
          for (i = 2; i <= NF; i++) if ($i == cn || index($i, cn "-") == 1) ours = 1
        }
      }
      END { flush() }
    ' "$f" >>"$tmp"
  done
  if [ -s "$tmp" ]; then
    mv "$tmp" "$list"
  else
    rm -f "$tmp"
    log "no deb822 source for this release found; cannot add deb-src"
    return 1
  fi
}

PKGS=(
  build-essential cmake ninja-build pkg-config dpkg-dev ca-certificates
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
  gcc-mingw-w64-x86-64-posix gcc-mingw-w64-i686-posix binutils-mingw-w64
  wine64 xvfb xdotool imagemagick x11-utils nasm tcl
  googletest libgtest-dev libgmock-dev
  libgcrypt20-dev libgcrypt-mingw-w64-dev libgpg-error-mingw-w64-dev
  libjpeg62-turbo-dev libgif-dev libsqlite3-dev libpugixml-dev libpng-dev zlib1g-dev
  clang libclang-rt-14-dev unrtf coreutils python3
  nsis p7zip-full tango-icon-theme librsvg2-bin
)

if ! stamp apt-2; then
  log "apt: deb-src entry and packages"
  add_deb_src
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${PKGS[@]}" >/dev/null
  mark apt-2
fi

# --- toolchain files need the sysroot; check the compilers are where expected
for t in "${TARGETS[@]}"; do
  command -v "$t-g++-posix" >/dev/null || { log "missing $t-g++-posix"; exit 1; }
done

SRC="$CACHE/src"
mkdir -p "$SRC"
MANIFEST="$CACHE/manifest.txt"

fetch_source() { # $1 = source package name; prints the unpacked directory
  local pkg=$1 dir
  dir=$(find "$SRC" -maxdepth 1 -mindepth 1 -type d -name "$pkg-*" | head -n 1)
  if [ -z "$dir" ]; then
    # The newest version first; a mirror that lacks its files (a security
    # update not mirrored yet) falls back to the next older one.
    local v got=
    for v in "" $(apt-cache showsrc "$pkg" 2>/dev/null | awk '/^Version:/ {print $2}' | sort -urV); do
      if (cd "$SRC" && apt-get source -qq "$pkg${v:+=$v}" >/dev/null 2>&1); then got=1; break; fi
      rm -rf "$SRC/$pkg"_* "$SRC/$pkg"-*
    done
    [ -n "$got" ] || { log "apt-get source $pkg failed"; exit 1; }
    dir=$(find "$SRC" -maxdepth 1 -mindepth 1 -type d -name "$pkg-*" | head -n 1)
    local dsc
    dsc=$(cd "$SRC" && ls "${pkg}"_*.dsc | head -n 1)
    echo "$pkg ${dsc%.dsc}" >>"$MANIFEST"
  fi
  echo "$dir"
}

toolchain() { echo "$HERE/cmake/toolchain-$1.cmake"; }

# --- libjpeg-turbo --------------------------------------------------------------
build_jpeg() {
  local t=$1 src=$2 prefix="$CACHE/$1" b="$CACHE/build/jpeg-$1"
  rm -rf "$b"
  cmake -S "$src" -B "$b" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$(toolchain "$t")" \
    -DNOOKVALE_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON \
    -DWITH_SIMD=ON -DWITH_TURBOJPEG=OFF >/dev/null
  cmake --build "$b" >/dev/null
  cmake --install "$b" >/dev/null
  [ -f "$prefix/lib/libjpeg.a" ] || { log "libjpeg.a did not land in $prefix/lib"; exit 1; }
}

# --- giflib: plain C, no build system worth using for a cross build ------------
build_gif() {
  local t=$1 src=$2 prefix="$CACHE/$1" b="$CACHE/build/gif-$1"
  rm -rf "$b"; mkdir -p "$b" "$prefix/lib" "$prefix/include"
  local f objs=()
  for f in dgif_lib egif_lib gifalloc gif_err gif_font gif_hash openbsd-reallocarray quantize; do
    [ -f "$src/$f.c" ] || continue
    "$t-gcc-posix" -O2 -c "$src/$f.c" -I"$src" -o "$b/$f.o"
    objs+=("$b/$f.o")
  done
  "$t-ar" rcs "$prefix/lib/libgif.a" "${objs[@]}"
  cp "$src/gif_lib.h" "$prefix/include/"
}

# --- zlib and libpng: plain C; their own build systems add nothing we need ------
# Both compile straight from their sources into static libraries (libpng with
# its prebuilt configuration header, the one its own builds start from).
build_zlib() {
  local t=$1 src=$2 prefix="$CACHE/$1" b="$CACHE/build/zlib-$1"
  rm -rf "$b"; mkdir -p "$b" "$prefix/lib" "$prefix/include"
  local f objs=()
  for f in adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast inflate \
           inftrees trees uncompr zutil; do
    "$t-gcc-posix" -O2 -c "$src/$f.c" -I"$src" -o "$b/$f.o"
    objs+=("$b/$f.o")
  done
  "$t-ar" rcs "$prefix/lib/libz.a" "${objs[@]}"
  cp "$src/zlib.h" "$src/zconf.h" "$prefix/include/"
}

build_png() {
  local t=$1 src=$2 prefix="$CACHE/$1" b="$CACHE/build/png-$1"
  rm -rf "$b"; mkdir -p "$b" "$prefix/lib" "$prefix/include"
  cp "$src/scripts/pnglibconf.h.prebuilt" "$b/pnglibconf.h"
  local f objs=()
  for f in png pngerror pngget pngmem pngpread pngread pngrio pngrtran pngrutil pngset pngtrans \
           pngwio pngwrite pngwtran pngwutil; do
    "$t-gcc-posix" -O2 -c "$src/$f.c" -I"$b" -I"$src" -I"$prefix/include" -o "$b/$f.o"
    objs+=("$b/$f.o")
  done
  "$t-ar" rcs "$prefix/lib/libpng.a" "${objs[@]}"
  cp "$src/png.h" "$src/pngconf.h" "$b/pnglibconf.h" "$prefix/include/"
}

# --- pugixml: one C++ source ------------------------------------------------------
build_pugixml() {
  local t=$1 src=$2 prefix="$CACHE/$1" b="$CACHE/build/pugixml-$1"
  rm -rf "$b"; mkdir -p "$b" "$prefix/lib" "$prefix/include"
  "$t-g++-posix" -O2 -c "$src/src/pugixml.cpp" -o "$b/pugixml.o"
  "$t-ar" rcs "$prefix/lib/libpugixml.a" "$b/pugixml.o"
  cp "$src/src/pugixml.hpp" "$src/src/pugiconfig.hpp" "$prefix/include/"
}

# --- SQLite: the amalgamation is generated once, then compiled per target ------
sqlite_amalgamation() {
  local src=$1 out="$CACHE/sqlite-amalgamation"
  if [ ! -f "$out/sqlite3.c" ]; then
    local b="$CACHE/build/sqlite-amalg"
    rm -rf "$b"; mkdir -p "$b" "$out"
    (cd "$b" && "$src/configure" --disable-tcl >/dev/null && make -j"$JOBS" sqlite3.c >/dev/null)
    cp "$b/sqlite3.c" "$b/sqlite3.h" "$out/"
    [ -f "$b/sqlite3ext.h" ] && cp "$b/sqlite3ext.h" "$out/"
  fi
  echo "$out"
}

build_sqlite() {
  local t=$1 amalg=$2 prefix="$CACHE/$1" b="$CACHE/build/sqlite-$1"
  rm -rf "$b"; mkdir -p "$b" "$prefix/lib" "$prefix/include"
  "$t-gcc-posix" -O2 -DSQLITE_THREADSAFE=1 -DSQLITE_OMIT_LOAD_EXTENSION \
    -DSQLITE_DEFAULT_FOREIGN_KEYS=1 -c "$amalg/sqlite3.c" -o "$b/sqlite3.o"
  "$t-ar" rcs "$prefix/lib/libsqlite3.a" "$b/sqlite3.o"
  cp "$amalg/sqlite3.h" "$prefix/include/"
}

# --- GoogleTest from the packaged sources -----------------------------------------
build_gtest() {
  local t=$1 prefix="$CACHE/$1" b="$CACHE/build/gtest-$1"
  rm -rf "$b"
  cmake -S /usr/src/googletest -B "$b" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$(toolchain "$t")" \
    -DNOOKVALE_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -Dgtest_disable_pthreads=OFF >/dev/null
  cmake --build "$b" >/dev/null
  cmake --install "$b" >/dev/null
}

run_target_builds() {
  local t=$1
  local what
  for what in jpeg gif sqlite gtest zlib png pugixml; do
    stamp "$what-$t" && continue
    log "$t: building $what"
    case $what in
      jpeg) build_jpeg "$t" "$JPEG_SRC" ;;
      gif) build_gif "$t" "$GIF_SRC" ;;
      sqlite) build_sqlite "$t" "$SQLITE_AMALG" ;;
      gtest) build_gtest "$t" ;;
      zlib) build_zlib "$t" "$ZLIB_SRC" ;;
      png) build_png "$t" "$PNG_SRC" ;;
      pugixml) build_pugixml "$t" "$PUGIXML_SRC" ;;
    esac
    mark "$what-$t"
  done
}

if ! stamp cross-2; then
  JPEG_SRC=$(fetch_source libjpeg-turbo)
  GIF_SRC=$(fetch_source giflib)
  SQLITE_SRC=$(fetch_source sqlite3)
  ZLIB_SRC=$(fetch_source zlib)
  PNG_SRC=$(fetch_source libpng1.6)
  PUGIXML_SRC=$(fetch_source pugixml)
  log "sqlite: generating the amalgamation"
  SQLITE_AMALG=$(sqlite_amalgamation "$SQLITE_SRC")
  # Both targets at once: the two cores are otherwise idle during the
  # single-threaded compile of the 8 MB amalgamation.
  pids=()
  for t in "${TARGETS[@]}"; do
    ( run_target_builds "$t" ) >"$CACHE/build-$t.log" 2>&1 &
    pids+=($!)
  done
  fail=0
  for p in "${pids[@]}"; do wait "$p" || fail=1; done
  if [ $fail -ne 0 ]; then
    cat "$CACHE"/build-*.log >&2
    exit 1
  fi
  sort -u "$MANIFEST" -o "$MANIFEST"
  mark cross-2
fi

# --- a Wine prefix to copy for each test run --------------------------------------
# The prefix has its own version: bump it when wine-template.sh changes.
if ! stamp wineprefix-2; then
  log "wine: preparing the template prefix"
  "$HERE/scripts/wine-template.sh" "$CACHE/wineprefix"
  mark wineprefix-2
fi

mark all-3
log "done (cache: $CACHE)"
