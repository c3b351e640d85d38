#!/usr/bin/env bash
# The release files, end to end. tools/package assembles them from both
# builds' executables; the zips are checked; then, under Wine in a prefix of
# its own, the setup is installed silently with Soldat's folder on its command
# line, the registered verbs are started the way Explorer starts them, the
# setup is run again over a changed settings file, and the silent uninstaller
# removes what was installed and leaves the demos alone.
#
#   installer-test.sh BUILD_DIR ARCH
# ARCH is the tree's, x86_64 or i686. The one setup is tested in the tree's
# kind of Windows: a 64-bit prefix from the x86_64 tree, where it must install
# the 64-bit Tarvendel.exe, a 32-bit one from the i686 tree, where it must
# install the 32-bit one; the tree's own helpers and stand-in game run there.
# Both builds are expected side by side (as tools/test lays them out); without
# them the test is skipped (exit 77).
set -euo pipefail

build_dir=$(cd "$1" && pwd)
tree=$2
bin=$build_dir/bin
export TARVENDEL_BUILD=${build_dir%/*}
source "$(dirname "${BASH_SOURCE[0]}")/../../tools/common.sh"

for build in x86_64 i686; do
  if [[ ! -f $BUILD_ROOT/$build/bin/Tarvendel.exe ]]; then
    echo "skipped: no $build build in $BUILD_ROOT/$build (tools/test and tools/package build both)"
    exit 77
  fi
done
# The setup is a 32-bit program. Where this machine runs none, the same script
# is built as a 64-bit setup and tested in the 64-bit prefix; a 32-bit prefix
# cannot run at all.
package_options=() setup_format=pei-i386
if ! why=$(runs_32bit_programs); then
  [[ $tree == i686 ]] && { echo "skipped: $why"; exit 77; }
  echo "note: $why: the setup's script is tested as a 64-bit program (tools/package --setup64)"
  package_options=(--setup64) setup_format=pei-x86-64
fi

checks=0 failures=0
pass() { checks=$((checks + 1)); printf 'ok      %s\n' "$1"; }
fail() { checks=$((checks + 1)); failures=$((failures + 1)); printf 'FAILED  %s\n' "$1"; }
# check WHAT COMMAND...: one check, passed when the command succeeds.
check() { local what=$1; shift; if "$@"; then pass "$what"; else fail "$what"; fi; }
# same WHAT ACTUAL EXPECTED
same() {
  if [[ $2 == "$3" ]]; then pass "$1"
  else fail "$1"; printf '        got:      %q\n        expected: %q\n' "$2" "$3"; fi
}
# section TITLE: a heading in the report, with the seconds since the start.
section() { printf -- '-- %s (%d s)\n' "$1" "$SECONDS"; }
# Stops at the first failure of a step that later steps need.
need() { [[ $failures -eq 0 ]] || { echo "stopping: a step the rest depends on failed"; exit 1; }; }

work=$(mktemp -d /tmp/tarvendel-package-test.XXXXXX)
cleanup() { wine_stop; rm -rf "$work"; }
trap cleanup EXIT
trap 'exit 1' INT TERM

# ---- The release files ------------------------------------------------------
section "the release files"
version=$("$ROOT/tools/version" RELEASE)
dist=$work/dist
# tools/package packs no executable that tools/check-exe fails (Tarvendel.exe's
# exact imports among its checks); each zip's is then compared with the build's.
"$ROOT/tools/package" --no-build --out "$dist" "${package_options[@]}" 2>"$work/package.log" \
  || { cat "$work/package.log"; exit 1; }
same "tools/package writes the three release files and their checksums" "$(ls "$dist" | tr '\n' ' ')" \
  "SHA256SUMS Tarvendel-$version-setup.exe Tarvendel-$version-win32.zip Tarvendel-$version-win64.zip "
check "SHA256SUMS holds the three files' SHA-256" \
  bash -c 'cd "$1" && [[ $(wc -l <SHA256SUMS) -eq 3 ]] && sha256sum --quiet -c SHA256SUMS' _ "$dist"
need

# The initial settings file, installer/Tarvendel.ini, with CRLF line ends.
ini_text=$(sed -e 's/\r$//' -e 's/$/\r/' "$ROOT/installer/Tarvendel.ini"; echo .) ini_text=${ini_text%.}
# The samples of the settings file in the players' readme (its indented block
# under "The settings file") and in docs/settings-file.md (its ini block) hold
# the initial file's sections, keys and values, in its order.
ini_entries() { sed -e 's/\r$//' -e 's/^ *//' | grep -vE '^(;|$)'; }
initial=$(ini_entries <"$ROOT/installer/Tarvendel.ini")
same "Readme.txt's sample is installer/Tarvendel.ini" "$(awk '/^The settings file$/ { on = 1 }
  on && /^  / { print; seen = 1; next } seen { exit }' "$ROOT/installer/Readme.txt" | ini_entries)" "$initial"
same "docs/settings-file.md's sample is installer/Tarvendel.ini" \
  "$(sed -n '/^```ini$/,/^```$/{/^```/!p}' "$ROOT/docs/settings-file.md" | ini_entries)" "$initial"
# A settings file's text, from UTF-16 LE with its byte order mark (what the
# package ships and the setup keeps), then a dot that keeps the last line end.
ini_of() { [[ $(head -c 2 "$1" | od -An -tx1 | tr -d ' ') == fffe ]] && iconv -f UTF-16 -t UTF-8 "$1"; echo .; }
# The setup is NSIS's stub, not our program: it must start on a bare Windows,
# so it may import what the stub imports today, DLLs of Windows since Windows
# 95. A stub of another NSIS that wants more is looked at before it ships.
setup_dlls='^(kernel32|user32|gdi32|advapi32|shell32|ole32|comctl32)\.dll$'
imports_setup_dlls() {
  local dlls
  dlls=$(x86_64-w64-mingw32-objdump -p "$1" | sed -nE 's/^\s*DLL Name: (.*)$/\1/p')
  [[ -n $dlls ]] && ! grep -viqE "$setup_dlls" <<<"$dlls"
}
readme_ok() {
  [[ $(wc -l <"$1") -gt 20 ]] && ! grep -qv $'\r$' "$1" && ! LC_ALL=C grep -qP '[^\x09\x0a\x0d\x20-\x7e]' "$1"
}
declare -A arch=([win64]=x86_64 [win32]=i686) format=([win64]=pei-x86-64 [win32]=pei-i386)
for kind in win64 win32; do
  zipfile=$dist/Tarvendel-$version-$kind.zip
  same "$kind zip holds exactly Tarvendel.exe, Tarvendel.ini, Readme.txt" \
    "$(unzip -Z1 "$zipfile" | sort | tr '\n' ' ')" "Readme.txt Tarvendel.exe Tarvendel.ini "
  unzip -q "$zipfile" -d "$work/$kind"
  check "$kind zip: Tarvendel.exe is the ${arch[$kind]} build" \
    cmp -s "$work/$kind/Tarvendel.exe" "$BUILD_ROOT/${arch[$kind]}/bin/Tarvendel.exe"
  check "$kind zip: Tarvendel.exe is a ${format[$kind]} executable" \
    grep -q "file format ${format[$kind]}" <(x86_64-w64-mingw32-objdump -f "$work/$kind/Tarvendel.exe")
  same "$kind zip: the initial Tarvendel.ini, in UTF-16 LE with its byte order mark" \
    "$(ini_of "$work/$kind/Tarvendel.ini")" "$ini_text."
  check "$kind zip: Readme.txt is plain ASCII text with CRLF line ends" readme_ok "$work/$kind/Readme.txt"
  check "$kind zip: Readme.txt names release $version" grep -q "^Tarvendel $version - " "$work/$kind/Readme.txt"
done
setup=$dist/Tarvendel-$version-setup.exe
check "the setup is a $setup_format program" \
  grep -q "file format $setup_format" <(x86_64-w64-mingw32-objdump -f "$setup")
check "the setup imports only what NSIS's stub imports" imports_setup_dlls "$setup"
need

# ---- Wine, in a prefix of this test's own --------------------------------------
# The prefix is named as the zip whose executable it must get: win64 or win32.
kind=$(wine_arch_of "$tree")
section "Wine in a ${kind} prefix of its own"
# The display of the run (tools/test's Xvfb) if there is one, else a private one.
[[ -n ${DISPLAY:-} ]] && export TARVENDEL_USE_DISPLAY=1
TARVENDEL_WINEARCH=$kind wine_start >/dev/null 2>&1
# No Linux menu entries or MIME types from the shortcut and the association.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"
wine_background "$bin/keeper.exe"

drive_c=$WINEPREFIX/drive_c
game_win='C:\Games\Soldat Test'
game=$drive_c/Games/Soldat\ Test
mkdir -p "$game/Demos"
cp "$bin/stand-in/Soldat.exe" "$game/Soldat.exe"
printf 'SDM a demo of the player\x27s own\n' >"$game/Demos/old match.sdm"
demo_folder_win='C:\Downloads\match demos'
demo_win="$demo_folder_win\\final round.sdm"
demo=$drive_c/Downloads/match\ demos/final\ round.sdm
mkdir -p "${demo%/*}"
{ printf 'SDM the downloaded final\n'; head -c 3000 /dev/urandom; } >"$demo"
cp -a "$demo" "$work/demo.orig"
cp -a "$game/Demos/old match.sdm" "$work/old.orig"
setup_win=$(winepath -w "$setup" 2>/dev/null)
pkgrun=$bin/pkgrun.exe

# start FOLDER COMMAND MODE ARGS...: runs COMMAND (an exact command line) with
# pkgrun; its report goes to $work/start.txt, its exit code is the result.
start() {
  local folder=$1 command=$2; shift 2
  TARVENDEL_FOLDER=$folder TARVENDEL_COMMAND=$command wine "$pkgrun" "$@" >"$work/start.txt" 2>&1
}
report() { tr -d '\r' <"$work/start.txt" | sed 's/^/        /'; }
# reg_value KEY [NAME]: the data of a value (the default one without NAME).
# A query that fails says why on stderr, beside the check that then fails.
reg_value() {
  local out status=0 value=(/ve)
  [[ -n ${2:-} ]] && value=(/v "$2")
  out=$(wine reg query "$1" "${value[@]}" 2>"$work/reg-error.txt") || status=$?
  if ((status)); then
    printf '        reg query %s %s: exit code %d: %s\n' "$1" "${value[*]}" "$status" \
      "$(tr -d '\r' <"$work/reg-error.txt" | tr '\n' ' ')" >&2
    return 1
  fi
  tr -d '\r' <<<"$out" | sed -nE 's/^    .*    REG_[A-Z_]+    (.*)$/\1/p' | head -n1
}
key_exists() { wine reg query "$1" >/dev/null 2>&1; }
# reg_has KEY NAME: whether the key holds a value of that name. Like every
# query here it runs to its end before the next one starts.
reg_has() {
  local out
  out=$(wine reg query "$1" /v "$2" 2>"$work/reg-error.txt") || {
    printf '        reg query %s /v %s: %s\n' "$1" "$2" "$(tr -d '\r' <"$work/reg-error.txt" | tr '\n' ' ')" >&2
    return 1
  }
  grep -qF "    $2    REG_" <<<"$out"
}
# wait_for SECONDS COMMAND...: until the command succeeds.
wait_for() {
  local deadline=$((SECONDS + $1)); shift
  until "$@"; do ((SECONDS < deadline)) || return 1; sleep 0.2; done
}
launches() { [[ -f $game/stand-in-record.txt ]] && iconv -f UTF-16LE -t UTF-8 "$game/stand-in-record.txt" | awk 'NR % 3 == 1'; }
launched() { [[ $(launches | wc -l) -ge $1 ]]; }

classes='HKCU\Software\Classes'
progid="$classes\\Tarvendel.Demo"
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tarvendel'
# Another program had .sdm before: the uninstaller gives it back.
wine reg add "$classes\\.sdm" /ve /d Other.Demo /f >/dev/null 2>&1

# ---- Silent install ---------------------------------------------------------
section "silent install"
start 'C:\' "\"$setup_win\" /S /GAMEDIR=\"$game_win\"" wait 60 \
  && pass "silent install with /GAMEDIR=\"$game_win\"" || { fail "silent install"; report; }
need

inst_win=$(reg_value "$uninstall_key" InstallLocation || true)
check "installed into the user's programs folder ($inst_win)" \
  grep -qE '^C:\\users\\[^\\]+\\AppData\\Local\\Programs\\Tarvendel$' <<<"$inst_win"
inst=$(winepath -u "$inst_win" 2>/dev/null)
inst=${inst%/}
exe_win="$inst_win\\Tarvendel.exe"
same "the installed files" "$(ls "$inst" | tr '\n' ' ')" "Readme.txt Tarvendel.exe Tarvendel.ini Uninstall.exe "
need
installed_format=$(x86_64-w64-mingw32-objdump -f "$inst/Tarvendel.exe" | sed -n 's/.*file format //p')
check "the installed Tarvendel.exe is the $kind zip's ($installed_format)" \
  cmp -s "$inst/Tarvendel.exe" "$work/$kind/Tarvendel.exe"
check "the installed Readme.txt is the zips' one" cmp -s "$inst/Readme.txt" "$work/$kind/Readme.txt"
same "Tarvendel.ini, still UTF-16, holds the given game folder" "$(ini_of "$inst/Tarvendel.ini")" \
  "${ini_text/C:\\Soldat/$game_win}."

same ".sdm belongs to Tarvendel.Demo" "$(reg_value "$classes\\.sdm")" "Tarvendel.Demo"
check ".sdm lists Tarvendel.Demo among its programs (OpenWithProgids)" \
  reg_has "$classes\\.sdm\\OpenWithProgids" Tarvendel.Demo
same "the file type's name" "$(reg_value "$progid")" "Soldat demo"
same "the file type's icon" "$(reg_value "$progid\\DefaultIcon")" "$exe_win,0"
same "the default verb is open" "$(reg_value "$progid\\shell")" "open"
same "the open verb reads Play" "$(reg_value "$progid\\shell\\open")" "Play"
same "the options verb reads Play with options..." "$(reg_value "$progid\\shell\\options")" "Play with options..."
play_command=$(reg_value "$progid\\shell\\open\\command" || true)
options_command=$(reg_value "$progid\\shell\\options\\command" || true)
same "Play's command" "$play_command" "\"$exe_win\" \"%1\""
same "Play with options...'s command" "$options_command" "\"$exe_win\" -c \"%1\""
same "the uninstall entry's name" "$(reg_value "$uninstall_key" DisplayName)" "Tarvendel"
same "the uninstall entry's version" "$(reg_value "$uninstall_key" DisplayVersion)" "$version"
same "the uninstall entry's publisher" "$(reg_value "$uninstall_key" Publisher)" "Vornak"
same "the uninstall command" "$(reg_value "$uninstall_key" UninstallString)" "\"$inst_win\\Uninstall.exe\""
quiet_uninstall=$(reg_value "$uninstall_key" QuietUninstallString || true)
same "the silent uninstall command" "$quiet_uninstall" "\"$inst_win\\Uninstall.exe\" /S"
same "the earlier owner of .sdm is remembered" "$(reg_value "$uninstall_key" PreviousSdmClass)" "Other.Demo"
shortcut=$(find "$drive_c/users" -path '*/Start Menu/Programs/Tarvendel.lnk' 2>/dev/null | head -n1)
check "a Start menu entry Tarvendel.lnk" test -n "$shortcut"
check "the Start menu entry starts the installed Tarvendel.exe (the demo library)" \
  grep -qaF "$exe_win" <(cat "$shortcut" 2>/dev/null; iconv -f UTF-16LE -t UTF-8//IGNORE "$shortcut" 2>/dev/null)
need

# ---- The verbs, started as Explorer starts them ------------------------------
section "the verbs, started as Explorer starts them"
# Explorer puts the demo's path in place of %1 and starts the command line as
# it stands, in the demo's folder. (ShellExecuteEx cannot do it here: Wine 8's
# HKEY_CLASSES_ROOT does not show the user's HKCU\Software\Classes.)
command=${play_command//%1/$demo_win}
if start "$demo_folder_win" "$command" wait 30; then pass "Play on \"$demo_win\" ends well"
else fail "Play on \"$demo_win\""; report; fi
check "the stand-in game was started" wait_for 10 launched 1
same "the game got the demo" "$(launches | head -n1)" "\"$game_win\\Soldat.exe\" -demo final round 0 100 0 0"
check "the demo was copied into the game's Demos folder" cmp -s "$demo" "$game/Demos/final round.sdm"

command=${options_command//%1/$demo_win}
if start "$demo_folder_win" "$command" window Tarvendel.Form1 20; then
  pass "Play with options... opens the play options window ($(tr -d '\r' <"$work/start.txt" | sed -n 's/^window Tarvendel.Form1: //p'))"
else fail "Play with options... opens the play options window (Tarvendel.Form1)"; report; fi
same "the play options window did not start the game" "$(launches | wc -l)" "1"

# ---- While Tarvendel runs, neither the setup nor the uninstaller changes anything
section "while Tarvendel runs"
ini_before=$(cat "$inst/Tarvendel.ini"; echo .)
if start "$inst_win" "\"$exe_win\"" show Tarvendel.Form4 20; then pass "the installed Tarvendel.exe opens the demo library"
else fail "the demo library opens"; report; fi
start 'C:\' "\"$setup_win\" /S /GAMEDIR=C:\\Elsewhere" wait 60 && status=0 || status=$?
same "a silent setup while Tarvendel runs stops (exit code 2)" "$status" 2
# In place (_?=), so that its own exit code comes back.
start 'C:\' "\"$inst_win\\Uninstall.exe\" /S _?=$inst_win" wait 60 && status=0 || status=$?
same "a silent uninstall while Tarvendel runs stops (exit code 2)" "$status" 2
same "... and both left the files alone" "$(ls "$inst" | tr '\n' ' ')" \
  "Readme.txt Tarvendel.exe Tarvendel.ini Uninstall.exe "
same "... and the settings file" "$(cat "$inst/Tarvendel.ini"; echo .)" "$ini_before"
check "... and the registrations" key_exists "$progid\\shell\\open\\command"
start '' '' end Tarvendel.exe || { fail "ending Tarvendel"; report; }
need

# ---- Upgrade: a newer setup over an older install with changed settings -----
section "upgrade"
changed=$'[Soldat]\r\nPath=D:\\Games\\Soldat 1.7\r\n[Defaults]\r\nFreeCam=1\r\nNoText=0\r\nExtract=1\r\nSpeed=150\r\n'
printf '%s' "$changed" >"$inst/Tarvendel.ini"
printf 'an older Tarvendel.exe\n' >"$inst/Tarvendel.exe"
start 'C:\' "\"$setup_win\" /S /GAMEDIR=C:\\Elsewhere" wait 60 \
  && pass "silent install over the installed one" || { fail "silent install over the installed one"; report; }
same "the upgrade kept the changed Tarvendel.ini" "$(cat "$inst/Tarvendel.ini"; echo .)" "$changed."
check "the upgrade replaced Tarvendel.exe" cmp -s "$inst/Tarvendel.exe" "$work/$kind/Tarvendel.exe"
same "the files after the upgrade" "$(ls "$inst" | tr '\n' ' ')" "Readme.txt Tarvendel.exe Tarvendel.ini Uninstall.exe "
same "Play's command after the upgrade" "$(reg_value "$progid\\shell\\open\\command")" "\"$exe_win\" \"%1\""
same "the earlier owner of .sdm is still remembered" "$(reg_value "$uninstall_key" PreviousSdmClass)" "Other.Demo"
need

# ---- Silent uninstall -----------------------------------------------------------
section "silent uninstall"
printf 'SDM kept beside the program\n' >"$inst/my own demo.sdm"
start 'C:\' "$quiet_uninstall" wait 60 \
  && pass "silent uninstall ($quiet_uninstall)" || { fail "silent uninstall"; report; }
# The uninstaller runs on from a copy of itself in the temporary folder.
uninstalled() { [[ ! -e $inst/Uninstall.exe ]] && ! key_exists "$uninstall_key"; }
check "the uninstaller finished" wait_for 30 uninstalled
same "only the user's own file is left in the program's folder" "$(ls "$inst" 2>&1 | tr '\n' ' ')" "my own demo.sdm "
check "the Start menu entry is gone" test ! -e "$shortcut"
check "the file type Tarvendel.Demo is gone" bash -c '! wine reg query "$1" >/dev/null 2>&1' _ "$progid"
check "the uninstall entry is gone" bash -c '! wine reg query "$1" >/dev/null 2>&1' _ "$uninstall_key"
same ".sdm went back to its earlier owner" "$(reg_value "$classes\\.sdm")" "Other.Demo"
check ".sdm no longer lists Tarvendel.Demo" \
  bash -c '! wine reg query "$1" >/dev/null 2>&1' _ "$classes\\.sdm\\OpenWithProgids"
check "the downloaded demo is untouched" cmp -s "$demo" "$work/demo.orig"
check "the game's demos are untouched" cmp -s "$game/Demos/old match.sdm" "$work/old.orig"
check "the played demo stays in the game's Demos folder" cmp -s "$game/Demos/final round.sdm" "$work/demo.orig"
same "the game's Demos folder" "$(ls "$game/Demos" | tr '\n' ' ')" "final round.sdm old match.sdm "
check "the game itself is untouched" cmp -s "$game/Soldat.exe" "$bin/stand-in/Soldat.exe"

# ---- Install again: the game folder unquoted with blanks, another folder ---
section "install again"
start 'C:\' "\"$setup_win\" /S /GAMEDIR=$game_win\\ /D=C:\\Tools\\Tarvendel 1.2" wait 60 \
  && pass "silent install with /GAMEDIR= unquoted and /D=" || { fail "silent install with /D="; report; }
same "Tarvendel.ini holds the unquoted game folder, without the trailing backslash" \
  "$(ini_of "$drive_c/Tools/Tarvendel 1.2/Tarvendel.ini")" "${ini_text/C:\\Soldat/$game_win}."
same "Play's command points into the chosen folder" "$(reg_value "$progid\\shell\\open\\command")" \
  "\"C:\\Tools\\Tarvendel 1.2\\Tarvendel.exe\" \"%1\""

section "done"
if ((failures)); then
  echo "package test: $failures of $checks checks FAILED"
  exit 1
fi
echo "package test: all $checks checks passed"
