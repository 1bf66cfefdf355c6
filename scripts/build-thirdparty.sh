#!/usr/bin/env bash
# Build the third-party static libraries (minizip, OpenSSL 3.0.x) for the
# MinGW-w64 cross toolchains, from Debian bookworm source packages.
#
# Usage: scripts/build-thirdparty.sh [triplet ...]
#   triplets: i686-w64-mingw32, x86_64-w64-mingw32 (default: both)
#
# Everything lives outside git, in ${PLEXARO_CACHE:-$HOME/.cache/plexaro}:
#   src/                      Debian source packages (downloaded + extracted)
#   build/<triplet>/          per-architecture build trees
#   thirdparty/<triplet>/     install prefix: include/, lib/ (+ stamp files)
#   logs/                     full build output
#
# Idempotent: each library/triplet is skipped once its stamp file exists
# (thirdparty/<triplet>/.minizip-ok, .openssl-ok). Delete a stamp to rebuild.
#
# Required packages (installed by the setup script, not here):
#   g++-mingw-w64-i686, g++-mingw-w64-x86-64, libz-mingw-w64-dev, dpkg-dev,
#   make, perl; plus a deb-src entry for bookworm main and `apt-get update`.

set -euo pipefail

CACHE="${PLEXARO_CACHE:-$HOME/.cache/plexaro}"
SRC="$CACHE/src"
BUILD="$CACHE/build"
PREFIX_ROOT="$CACHE/thirdparty"
LOGS="$CACHE/logs"

ALL_TRIPLETS=(i686-w64-mingw32 x86_64-w64-mingw32)
MINIZIP_SOURCES=(ioapi.c unzip.c zip.c iowin32.c mztools.c)
MINIZIP_HEADERS=(ioapi.h unzip.h zip.h iowin32.h mztools.h)
JOBS="${PLEXARO_JOBS:-2}"

say()  { printf '%s\n' "$*"; }
die()  { printf 'build-thirdparty: error: %s\n' "$*" >&2; exit 1; }

# run_logged LOGFILE CMD... : run CMD with all output in LOGFILE; on failure
# show the tail of the log and abort.
run_logged() {
    local log="$1"; shift
    if ! "$@" >>"$log" 2>&1; then
        printf 'build-thirdparty: FAILED: %s\n' "$*" >&2
        printf -- '---- last 30 lines of %s (long lines cut) ----\n' "$log" >&2
        tail -n 30 "$log" | cut -c1-300 >&2 || true
        printf -- '---- end of log ----\n' >&2
        exit 1
    fi
}

need_tool() {
    command -v "$1" >/dev/null 2>&1 \
        || die "required tool '$1' not found ($2). Run the project setup script first."
}

# ---------------------------------------------------------------- arguments
if [ "$#" -gt 0 ]; then
    TRIPLETS=()
    for t in "$@"; do
        case "$t" in
            i686-w64-mingw32|x86_64-w64-mingw32) TRIPLETS+=("$t") ;;
            -h|--help) sed -n '2,20p' "$0"; exit 0 ;;
            *) die "unknown triplet '$t' (expected: ${ALL_TRIPLETS[*]})" ;;
        esac
    done
else
    TRIPLETS=("${ALL_TRIPLETS[@]}")
fi

# ---------------------------------------------------------------- tool check
check_tools() {
    local t
    need_tool make  "package make"
    need_tool perl  "package perl"
    for t in "${TRIPLETS[@]}"; do
        local pkg="g++-mingw-w64-${t%%-*}"; pkg="${pkg/x86_64/x86-64}"
        need_tool "$t-gcc-posix" "package ${pkg}-posix"
        need_tool "$t-gcc"       "package ${pkg}"
        need_tool "$t-ar"        "package binutils-mingw-w64"
        need_tool "$t-ranlib"    "package binutils-mingw-w64"
        if [ ! -f "/usr/$t/lib/libz.a" ] || [ ! -f "/usr/$t/include/zlib.h" ]; then
            die "zlib for $t not found in /usr/$t (package libz-mingw-w64-dev). Run the project setup script first."
        fi
    done
}

# ---------------------------------------------------------------- sources
# extracted_dir PKG : print the newest fully extracted source dir of PKG, if any
extracted_dir() {
    local d
    d="$(find "$SRC" -mindepth 2 -maxdepth 2 -name .plexaro-extracted \
            -path "$SRC/$1-*/*" -printf '%h\n' 2>/dev/null | sort -V | tail -n 1)"
    [ -n "$d" ] && printf '%s\n' "$d"
}

# newest_dsc PKG : print the newest downloaded PKG_*.dsc in $SRC, if any
newest_dsc() {
    find "$SRC" -maxdepth 1 -type f -name "$1_*.dsc" | sort -V | tail -n 1
}

# fetch_source PKG : make sure $SRC/PKG-<upstream-version> exists (sets SRCDIR)
fetch_source() {
    local pkg="$1" dsc ver dir log="$LOGS/fetch-$1.log"
    if SRCDIR="$(extracted_dir "$pkg")"; then
        say "[src] $pkg: present (${SRCDIR#"$CACHE"/})"
        return 0
    fi
    need_tool apt-get     "package apt"
    need_tool dpkg-source "package dpkg-dev"
    : >"$log"
    dsc="$(newest_dsc "$pkg")"
    if [ -z "$dsc" ]; then
        say "[src] $pkg: apt-get source --download-only"
        if ! (cd "$SRC" && apt-get source --download-only "$pkg") >>"$log" 2>&1; then
            tail -n 20 "$log" >&2
            die "could not download source package '$pkg' (is a deb-src entry configured and 'apt-get update' done?). Log: $log"
        fi
        dsc="$(newest_dsc "$pkg")"
        [ -n "$dsc" ] || die "apt-get source $pkg produced no .dsc file in $SRC"
    fi
    ver="$(basename "$dsc" .dsc)"; ver="${ver#"${pkg}"_}"; ver="${ver%-*}"
    dir="$SRC/$pkg-$ver"
    say "[src] $pkg: dpkg-source -x $(basename "$dsc")"
    rm -rf "$dir" "$dir.tmp"
    run_logged "$log" dpkg-source -x "$dsc" "$dir.tmp"
    touch "$dir.tmp/.plexaro-extracted"
    mv "$dir.tmp" "$dir"
    SRCDIR="$dir"
}

# prepare_openssl_tree DIR : Debian's pic.patch rewrites the 32-bit x86
# perlasm to use ELF-only GOT/PLT relocations and .hidden, which the COFF
# assembler rejects ("cannot represent relocation type BFD_RELOC_386_GOTPC").
# Revert just that patch in our copy; the security fixes stay applied.
prepare_openssl_tree() {
    local dir="$1" p="$1/debian/patches/pic.patch" log="$LOGS/fetch-openssl.log"
    [ -f "$dir/.plexaro-nopic" ] && return 0
    if [ -f "$p" ]; then
        need_tool patch "package patch"
        say "[src] openssl: reverting debian/patches/pic.patch (ELF-only, breaks mingw 32-bit asm)"
        run_logged "$log" patch -d "$dir" -R -p1 --dry-run -i "$p"
        run_logged "$log" patch -d "$dir" -R -p1 -i "$p"
    fi
    touch "$dir/.plexaro-nopic"
}

# ---------------------------------------------------------------- minizip
build_minizip() {
    local t="$1" src="$2"
    local prefix="$PREFIX_ROOT/$t" stamp="$PREFIX_ROOT/$t/.minizip-ok"
    if [ -f "$stamp" ] && [ -f "$prefix/lib/libminizip.a" ]; then
        say "[minizip] $t: up to date"
        return 0
    fi
    local mzdir f obj log="$LOGS/minizip-$t.log" bdir="$BUILD/$t/minizip" start=$SECONDS
    # The minizip files are at the top level of Debian's minizip package,
    # under contrib/minizip in a zlib tree; locate them either way.
    mzdir="$(find "$src" -name iowin32.c -not -path '*/.pc/*' -printf '%h\n' | sort | head -n 1)"
    [ -n "$mzdir" ] || die "iowin32.c not found under $src"
    for f in "${MINIZIP_SOURCES[@]}" "${MINIZIP_HEADERS[@]}"; do
        [ -f "$mzdir/$f" ] || die "minizip file $f missing in $mzdir"
    done
    say "[minizip] $t: building from ${mzdir#"$CACHE"/} (log: ${log#"$CACHE"/})"
    : >"$log"
    rm -rf "$bdir" && mkdir -p "$bdir" "$prefix/include/minizip" "$prefix/lib"
    local objs=()
    for f in "${MINIZIP_SOURCES[@]}"; do
        obj="$bdir/${f%.c}.o"
        run_logged "$log" "$t-gcc-posix" -O2 -c "$mzdir/$f" -o "$obj"
        objs+=("$obj")
    done
    run_logged "$log" "$t-ar" rcs "$bdir/libminizip.a" "${objs[@]}"
    install -m 644 "$bdir/libminizip.a" "$prefix/lib/libminizip.a"
    for f in "${MINIZIP_HEADERS[@]}"; do
        install -m 644 "$mzdir/$f" "$prefix/include/minizip/$f"
    done
    printf '%s\n' "$(basename "$src")" >"$stamp"
    say "[minizip] $t: done in $((SECONDS - start))s"
}

# ---------------------------------------------------------------- openssl
build_openssl() {
    local t="$1" src="$2"
    local prefix="$PREFIX_ROOT/$t" stamp="$PREFIX_ROOT/$t/.openssl-ok"
    if [ -f "$stamp" ] && [ -f "$prefix/lib/libssl.a" ] && [ -f "$prefix/lib/libcrypto.a" ]; then
        say "[openssl] $t: up to date"
        return 0
    fi
    local target log="$LOGS/openssl-$t.log" bdir="$BUILD/$t/openssl" start=$SECONDS
    case "$t" in
        i686-w64-mingw32)   target=mingw ;;
        x86_64-w64-mingw32) target=mingw64 ;;
    esac
    say "[openssl] $t: configure $target (log: ${log#"$CACHE"/})"
    : >"$log"
    # Out-of-tree build: the extracted source stays pristine and each
    # architecture gets its own build directory.
    rm -rf "$bdir" && mkdir -p "$bdir" "$prefix"
    # Keep host compiler settings from leaking into the cross build.
    run_logged "$log" env -u CC -u CXX -u CFLAGS -u CXXFLAGS -u CPPFLAGS -u LDFLAGS -u AR -u RANLIB \
        -C "$bdir" perl "$src/Configure" "$target" no-shared no-tests \
        "--cross-compile-prefix=$t-" "--prefix=$prefix" --libdir=lib
    say "[openssl] $t: make -j$JOBS build_libs"
    run_logged "$log" make -C "$bdir" -j"$JOBS" build_libs
    say "[openssl] $t: make install_dev"
    run_logged "$log" make -C "$bdir" install_dev
    printf '%s\n' "$(basename "$src")" >"$stamp"
    say "[openssl] $t: done in $((SECONDS - start))s"
}

# ---------------------------------------------------------------- main
main() {
    local t total=$SECONDS
    mkdir -p "$SRC" "$BUILD" "$PREFIX_ROOT" "$LOGS"

    # Serialise concurrent runs sharing one cache.
    if command -v flock >/dev/null 2>&1; then
        exec 9>"$CACHE/.lock"
        flock 9
    fi

    # Fast path: nothing to do when all stamps are present.
    local todo=0
    for t in "${TRIPLETS[@]}"; do
        [ -f "$PREFIX_ROOT/$t/.minizip-ok" ] && [ -f "$PREFIX_ROOT/$t/lib/libminizip.a" ] || todo=1
        [ -f "$PREFIX_ROOT/$t/.openssl-ok" ] && [ -f "$PREFIX_ROOT/$t/lib/libcrypto.a" ] \
            && [ -f "$PREFIX_ROOT/$t/lib/libssl.a" ] || todo=1
    done
    if [ "$todo" = 0 ]; then
        for t in "${TRIPLETS[@]}"; do say "[thirdparty] $t: up to date"; done
        say "[thirdparty] ok: $PREFIX_ROOT"
        return 0
    fi

    check_tools
    local minizip_src openssl_src
    fetch_source minizip; minizip_src="$SRCDIR"
    fetch_source openssl; openssl_src="$SRCDIR"
    prepare_openssl_tree "$openssl_src"

    # Only OpenSSL 3.0.x is supported here.
    if [ -f "$openssl_src/VERSION.dat" ]; then
        if ! grep -q '^MAJOR=3$' "$openssl_src/VERSION.dat" \
            || ! grep -q '^MINOR=0$' "$openssl_src/VERSION.dat"; then
            die "expected OpenSSL 3.0.x in $openssl_src"
        fi
    else
        die "$openssl_src does not look like an OpenSSL 3.x tree (no VERSION.dat)"
    fi

    for t in "${TRIPLETS[@]}"; do
        build_minizip "$t" "$minizip_src"
        build_openssl "$t" "$openssl_src"
    done
    say "[thirdparty] ok: $PREFIX_ROOT (took $((SECONDS - total))s)"
}

main
