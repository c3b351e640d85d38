# Shared by tools/run, tools/test and the other tools: installs what is
# missing, builds both architectures, and sets up Wine on a private display.
# Source it; it defines functions and sets ROOT.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_ROOT=${TARVENDEL_BUILD:-$ROOT/build}

say() { printf '== %s\n' "$*" >&2; }

# Wine's own fonts (Tahoma, the dialog font the layouts are drawn for, among
# them). Wine 8 does not load them from here: wine_start copies them into
# every prefix.
WINE_FONTS=/usr/share/wine/fonts

# Debian packages the build and the tests need, with a command each proves.
PACKAGES=(
  "cmake:cmake"
  "make:make"
  "x86_64-w64-mingw32-g++-posix:g++-mingw-w64-x86-64-posix"
  "i686-w64-mingw32-g++-posix:g++-mingw-w64-i686-posix"
  "x86_64-w64-mingw32-windres:binutils-mingw-w64-x86-64"
  "i686-w64-mingw32-windres:binutils-mingw-w64-i686"
  "/usr/x86_64-w64-mingw32/lib/libz.a:libz-mingw-w64-dev"
  "wine:wine"
  "/usr/lib/wine/wine64:wine64"
  "/usr/lib/wine/wine:wine32:i386"
  "Xvfb:xvfb"
  "xauth:xauth"
  "/usr/src/googletest/googletest/CMakeLists.txt:googletest"
  "$WINE_FONTS/tahoma.ttf:fonts-wine"
  "import:imagemagick"
  "makensis:nsis"
  "clang-tidy:clang-tidy"
  "zip:zip"
  "unzip:unzip"
  "python3:python3"
)

install_missing() {
  local missing=() entry probe package
  for entry in "${PACKAGES[@]}"; do
    probe=${entry%%:*}
    package=${entry#*:}
    if [[ $probe == /* ]]; then [[ -e $probe ]] && continue
    else type -P "$probe" >/dev/null 2>&1 && continue
    fi
    missing+=("$package")
  done
  ((${#missing[@]})) || return 0
  say "installing: ${missing[*]}"
  local sudo=()
  [[ $(id -u) -eq 0 ]] || sudo=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  # 32-bit Wine (wine32:i386, beside wine64) comes from Debian's i386
  # architecture, which must be known before the package lists are fetched.
  if [[ " ${missing[*]}" == *:i386* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${sudo[@]}" dpkg --add-architecture i386
  fi
  "${sudo[@]}" apt-get update -qq
  "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# build ARCH [extra cmake args...]: ARCH is x86_64 or i686; configures the
# tree and builds its default targets; prints nothing on success.
build() {
  say "building $1 in ${BUILD_ROOT#$ROOT/}/$1"
  configure_tree "$@" && compile_tree "$1"
}

configure_tree() {
  local arch=$1; shift
  local dir=$BUILD_ROOT/$arch
  mkdir -p "$BUILD_ROOT"
  cmake -S "$ROOT" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$ROOT/tools/cmake/mingw-$arch.cmake" \
        -DCMAKE_BUILD_TYPE=MinSizeRel -DTARVENDEL_WERROR=ON "$@" >"$dir.configure.log" 2>&1 \
    || { cat "$dir.configure.log" >&2; return 1; }
}

# compile_tree ARCH [TARGET...]: the tree's default targets, or these.
compile_tree() {
  local dir=$BUILD_ROOT/$1; shift
  local targets=()
  (($#)) && targets=(--target "$@")
  cmake --build "$dir" -j"$(nproc)" "${targets[@]}" >"$dir.build.log" 2>&1 || { cat "$dir.build.log" >&2; return 1; }
}

# The architectures, in the order tools/test runs their suites.
ARCHS=(x86_64 i686)
# Every tool configures both trees alike, each with its tests, the stand-in
# game, the tools' helpers and the benchmark's targets, so that none
# reconfigures what another built. The benchmark is no default target: only
# build_bench builds it.
TREE_OPTIONS=(-DTARVENDEL_TESTS=ON -DTARVENDEL_BENCH=ON)
# build_tree ARCH: one tree as tools/test tests it.
build_tree() { build "$1" "${TREE_OPTIONS[@]}"; }
build_all() {
  local arch
  for arch in "${ARCHS[@]}"; do build_tree "$arch" || return 1; done
}
# build_bench ARCH: the benchmark of one tree, bench.exe with the programs it
# starts (its dependencies in bench/CMakeLists.txt).
build_bench() {
  say "building the benchmark in ${BUILD_ROOT#$ROOT/}/$1"
  configure_tree "$1" "${TREE_OPTIONS[@]}" && compile_tree "$1" bench
}

# The Wine prefix an architecture's programs run in: 64-bit Windows for
# x86_64, and for i686 a 32-bit Windows with no 64-bit side, where the win32
# zip goes (stricter than a 32-bit program on 64-bit Windows).
wine_arch_of() { [[ $1 == i686 ]] && echo win32 || echo win64; }

# The sandbox: a game folder with the stand-in game and a few small demos of
# our own making, and a Downloads folder with one more demo. The demos are
# made as the game's versions write them (sandbox_demos), so that the
# library's tips show every kind: with a head (maps, dates and lengths, a
# recording cut off), without one (both families, one with a compressed player
# list), and a file that is not a demo.
SANDBOX=$BUILD_ROOT/sandbox
# The sandbox's demos are laid out once; a sandbox laid out by an older
# version of them gets them anew (its .sdm files are replaced).
SANDBOX_DEMOS=3
# make_sandbox [ARCH]: ARCH (x86_64 by default) gives the stand-in game.
make_sandbox() {
  local game=$SANDBOX/Soldat
  mkdir -p "$game/Demos" "$SANDBOX/Downloads"
  # The stand-in game of the build that runs: a 32-bit prefix runs no x86_64 program.
  cp "$BUILD_ROOT/${1:-x86_64}/bin/stand-in/Soldat.exe" "$game/Soldat.exe"
  [[ -f $SANDBOX/.laid-out-$SANDBOX_DEMOS ]] && return 0
  rm -f "$SANDBOX"/.laid-out* "$game/Demos"/*.sdm "$SANDBOX/Downloads"/*.sdm
  sandbox_demos "$game/Demos" "$SANDBOX/Downloads"
  printf 'not a demo\n' >"$game/Demos/readme.txt"
  touch "$SANDBOX/.laid-out-$SANDBOX_DEMOS"
}

# sandbox_demos DEMOS DOWNLOADS: the sample demos (docs/demo-files.md has
# their layouts). Each is a run of records, a little-endian u16 size and that
# many bytes: size 1 a game tick (60 a second), other sizes messages. With a
# head (1.8 on), 180 bytes: "SOLDEM", the format's version, the map's name
# (161 bytes, NUL-padded), 3 bytes of padding, the start of the recording
# (seconds since 1970, the local wall-clock time written as if UTC) and the
# length in ticks (0 when the recording was cut off). Without one, the first
# record is the player list (id 0x10, then the map's 16 bytes), in the checked
# family (1.6.4 to 1.7.1) after 00 00 00 and with a u16 check value after the
# id, and compressed with zlib behind an 0xFF when asked; the file's
# last-write time is when it was saved. Every second of play is 60 ticks,
# each with two small messages (the older sample demos with a head are
# followed by zeros instead, which they do not read).
sandbox_demos() {
  python3 - "$@" <<'SCRIPT'
import calendar, os, struct, sys, zlib
demos, downloads = sys.argv[1:3]
def u16(n):
    return struct.pack("<H", n)
def play(seconds):
    return (u16(1) + u16(30) + bytes(30) + u16(40) + bytes(40)) * (60 * seconds)
def write(folder, name, data, saved=None):
    path = os.path.join(folder, name + ".sdm")
    with open(path, "wb") as f:
        f.write(data)
    if saved:
        os.utime(path, (calendar.timegm(saved),) * 2)
def demo(folder, name, map_name, when, seconds, played=None):
    start = calendar.timegm(when)
    head = struct.pack("<6sH161s3xii", b"SOLDEM", 2, map_name.encode("cp1252"), start, seconds * 60)
    # Some 200 bytes a second of play, or the seconds played in records.
    write(folder, name, head + (bytes(200 * seconds) if played is None else play(played)))
def headless(folder, name, checked, map_name, saved, seconds, compressed=False):
    players = (b"\x10\x34\x12" if checked else b"\x10") + map_name.encode("cp1252").ljust(16, b"\0")
    players = players.ljust(2150 if checked else 1525, b"\0")
    if compressed:
        players = b"\xff" + zlib.compress(players)
    start = b"\0\0\0" if checked else b""
    write(folder, name, start + u16(len(players)) + players + play(seconds), saved)
headless(demos, "intro", True, "ctf_Ash", (2011, 6, 18, 20, 16, 37), 95)
demo(demos, "intro ctf_Ash", "ctf_Ash", (2011, 6, 18, 20, 17, 40), 64)
demo(demos, "final round", "ctf_Laos", (2009, 4, 14, 21, 32, 5), 876)
demo(demos, "clan war vs Red Ravens", "ctf_Run", (2010, 11, 27, 19, 4, 51), 3767)
demo(demos, "ctf_Laos practice", "ctf_Laos", (2012, 1, 8, 16, 40, 0), 0, played=150)
demo(demos, "2009-3-5_7-3-9", "inf_Moonshine", (2009, 3, 5, 7, 3, 9), 598)
headless(demos, "inf_Moonshine 3v3", True, "inf_Moonshine", (2010, 2, 20, 22, 31, 40), 1200)
headless(demos, "duel Vornak vs Kess", False, "ctf_Kampf", (2007, 8, 30, 23, 58, 44), 311)
headless(demos, "old public ctf_Division", False, "ctf_Division", (2008, 7, 3, 18, 12, 5), 330, compressed=True)
demo(downloads, "downloaded match", "ctf_Division", (2013, 5, 2, 18, 0, 12), 1502)
with open(os.path.join(demos, "broken download.sdm"), "wb") as f:
    f.write(b"SOLDEM, but the download broke off here")
SCRIPT
}

# Every Wine program the tools start runs without address randomisation, where
# the system allows it: Debian's Wine comes without the preloader that would
# keep its start-up safe from it (tools/cmake/wine-run says why). The child
# processes a Wine program starts inherit that; so do the shells a tool starts.
WINE_NORANDOM="setarch -R"
$WINE_NORANDOM true 2>/dev/null || WINE_NORANDOM=""
# Wine's loader for the prefix's architecture, named outright: Debian's
# /usr/bin/wine (and winepath, wineboot, which go through it) takes the 32-bit
# loader whenever wine32 is installed, even for a 64-bit prefix, where that
# only works if the kernel runs 32-bit programs. The 64-bit loader starts a
# 32-bit program in a 64-bit prefix through the 32-bit one by itself.
wine_loader() { [[ ${WINEARCH:-win64} == win32 ]] && echo /usr/lib/wine/wine || echo /usr/lib/wine/wine64; }
wine() { $WINE_NORANDOM "$(wine_loader)" "$@"; }
winepath() { wine winepath.exe "$@"; }
export WINE_NORANDOM
export -f wine_loader wine winepath

# Whether this machine runs 32-bit x86 programs, which 32-bit Wine is: some
# virtual machines' kernels refuse them (execve fails with "Exec format error";
# the kernel's log then reads "IA-32 emulation off"). Prints why not.
runs_32bit_programs() {
  local error
  error=$(/usr/lib/wine/wine --version 2>&1 >/dev/null) && return 0
  printf '%s\n' "this machine does not run 32-bit programs (/usr/lib/wine/wine: ${error##*: })"
  return 1
}

# Wine in a private prefix on a private X display. wine_start sets the
# environment; wine_stop ends everything it started.
WINE_TMP=""
XVFB_PID=""
# wine_start [PREFIX]: a private prefix (a new temporary one by default, or
# PREFIX, set up once and kept) and, unless TARVENDEL_USE_DISPLAY is set, a
# private Xvfb display. The prefix is 64-bit Windows, or 32-bit Windows when
# TARVENDEL_WINEARCH is win32 (a kept prefix stays what it was made as: keep
# one per architecture).
wine_start() {
  WINE_TMP=$(mktemp -d /tmp/tarvendel-wine.XXXXXX)
  # Wine's own error lines only: a program that Wine cannot start then says why.
  export WINEPREFIX=${1:-$WINE_TMP/prefix} WINEARCH=${TARVENDEL_WINEARCH:-win64} WINEDEBUG=-all,err+all
  export WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C.UTF-8
  unset WINESERVER
  if [[ -z ${TARVENDEL_USE_DISPLAY:-} ]]; then
    Xvfb -displayfd 5 -screen 0 1280x1024x24 -wr -nolisten tcp 5>"$WINE_TMP/display" >/dev/null 2>&1 &
    XVFB_PID=$!
    local i
    for i in $(seq 100); do [[ -s $WINE_TMP/display ]] && break; sleep 0.05; done
    [[ -s $WINE_TMP/display ]] || { say "Xvfb did not start"; return 1; }
    export DISPLAY=":$(head -n1 "$WINE_TMP/display")"
  fi
  say "Wine prefix ($WINEARCH) in $WINEPREFIX, display $DISPLAY"
  [[ -n $WINE_NORANDOM ]] ||
    say "setarch -R is refused here: Wine runs with address randomisation, and about one start in 7,900 fails"
  if [[ ! -f $WINEPREFIX/.tarvendel-ready ]]; then
    wine wineboot -i >/dev/null 2>&1 || true
    # Hiding a window costs 2 s with Wine's default X11 settings and no window
    # manager; and files whose name starts with a dot must not count as hidden.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine' /v ShowDotFiles /t REG_SZ /d Y /f >/dev/null 2>&1
    touch "$WINEPREFIX/.tarvendel-ready"
  fi
  wine_fonts
  # The screen's DPI (96 unless TARVENDEL_DPI says otherwise), written when
  # the prefix does not have it yet: each write costs a start of Wine.
  local dpi=${TARVENDEL_DPI:-96}
  if [[ $(cat "$WINEPREFIX/.tarvendel-dpi" 2>/dev/null) != "$dpi" ]]; then
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
    wine reg add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' /v LogPixels \
      /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
    echo "$dpi" >"$WINEPREFIX/.tarvendel-dpi"
  fi
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  # A persistent server, with Wine's services started outside of any test.
  wineserver -p
  wine wineboot >/dev/null 2>&1 || true
}

# Puts Wine's fonts into the prefix's Fonts folder, where Wine finds them; a
# machine where Wine happens to find them elsewhere would hide their absence.
wine_fonts() {
  local fonts=$WINEPREFIX/drive_c/windows/Fonts file
  mkdir -p "$fonts"
  for file in "$WINE_FONTS"/*.ttf; do
    [[ -e $file ]] || { say "no fonts in $WINE_FONTS: install the package fonts-wine"; return 1; }
    cmp -s "$file" "$fonts/${file##*/}" || cp "$file" "$fonts/"
  done
}

# wine_check_fonts TESTS_EXE: stops, with one line that says why, unless the
# windows' dialog font really is Tahoma; captions are measured against it.
wine_check_fonts() {
  local family
  family=$(wine "$1" --dialog-font 2>/dev/null | tr -d '\r') || true
  [[ $family == Tahoma ]] && return 0
  say "the windows' dialog font is '${family:-unknown}', not Tahoma: Wine's fonts are missing from" \
      "$WINEPREFIX/drive_c/windows/Fonts (install the package fonts-wine; wine_start in tools/common.sh copies them there)"
  return 1
}

# shoot FILE: a photograph of the display, trimmed to what is on it (the root
# window is white: Xvfb -wr). Fails when there is nothing but the root window.
shoot() {
  import -window root "$1" 2>/dev/null && convert "$1" -trim +repage "$1" 2>/dev/null || return 1
  [[ $(identify -format '%wx%h' "$1" 2>/dev/null) != 1x1 ]]
}

# Starts a Windows program of ours in the background under the running server.
wine_background() {
  wine "$@" >/dev/null 2>&1 &
}

wine_stop() {
  if [[ -n $WINE_TMP ]]; then
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
  fi
  if [[ -n $XVFB_PID ]]; then kill "$XVFB_PID" 2>/dev/null || true; wait "$XVFB_PID" 2>/dev/null || true; fi
  [[ -n $WINE_TMP ]] && rm -rf "$WINE_TMP"
  WINE_TMP=""; XVFB_PID=""
}
