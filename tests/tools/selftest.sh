#!/usr/bin/env bash
# The tools' own test, which a run of everything by tools/test runs after the
# suites: tools/test (run as the quick loop runs it), tools/version, and
# tools/check-exe on programs built here from a few lines of C or patched.
set -uo pipefail
source "$(dirname "$0")/../../tools/common.sh"
work=$(mktemp -d /tmp/tarvendel-selftest.XXXXXX)
trap 'rm -rf "$work"' EXIT
checks=0 failures=0
# check WHAT COMMAND...: one check, passed when the command succeeds.
check() {
  local what=$1 && shift && checks=$((checks + 1))
  if "$@"; then printf 'ok      %s\n' "$what"; else failures=$((failures + 1)) && printf 'FAILED  %s\n' "$what"; fi
}
# says TEXT COMMAND...: the command fails and says TEXT; otherwise what it said.
says() {
  local text=$1 out && shift
  ! out=$("$@" 2>&1) && [[ $out == *"$text"* ]] || { printf '%s\n' "$out"; return 1; }
}
forms_agree() {
  local major minor patch
  IFS=. read -r major minor patch < <("$ROOT/tools/version" VERSION)
  [[ $("$ROOT/tools/version" | tr '\n' ' ') == "VERSION=$major.$minor.$patch MAJOR=$major MINOR=$minor PATCH=$patch \
RELEASE=$major.$minor FILE_VERSION=$major.$minor.$patch.0 " ]]
}
check "tools/test fails when its filter matches no test" says "no summary from ctest" \
  env -u TARVENDEL_REQUIRE_I686 TARVENDEL_ARCHS=x86_64 "$ROOT/tools/test" -R '^NoSuchTest$'
check "tools/test fails the x86_64 suite alone under TARVENDEL_REQUIRE_I686" says "the i686 suite did not run and pass" \
  env TARVENDEL_REQUIRE_I686=1 TARVENDEL_ARCHS=x86_64 "$ROOT/tools/test" -R '^Suite\.'
check "tools/version's forms agree: $("$ROOT/tools/version" | tr '\n' ' ')" forms_agree
check "tools/version fills in no unknown form" says "no form named RELASE" "$ROOT/tools/version" --fill <(echo @RELASE@)

cd "$work" || exit 1
printf '%s\n' '#include <windows.h>' '#include <shellapi.h>' \
  'int main(void) { MessageBoxA(0, "", 0, 0); GDI(GetStockObject(0);) SHELL(ShellExecuteA(0, 0, "", 0, 0, 0);) }' >p.c
printf 'LIBRARY SHELL32.dll\nEXPORTS\nShellExecuteA\n' >shell32.def
x86_64-w64-mingw32-dlltool -d shell32.def -y libdelayed.a
program() { mkdir -p "${1%/*}" && x86_64-w64-mingw32-gcc p.c -o "$@" -L. -luser32; }
program lacks/Tarvendel.exe -D'GDI(x)=' -D'SHELL(x)='
program delays/Tarvendel.exe -D'GDI(x)=x' -D'SHELL(x)=x' -ldelayed -lgdi32
program upper/TARVENDEL.EXE -D'GDI(x)=x' -D'SHELL(x)=x' -lshell32 -lgdi32
# The build's Tarvendel.exe with the minor number of its file version one higher.
python3 -c 'import sys; d = bytearray(open(sys.argv[1], "rb").read()); d[d.index(b"\xbd\x04\xef\xfe") + 8] += 1
open(sys.argv[2], "wb").write(d)' "$BUILD_ROOT/x86_64/bin/Tarvendel.exe" Tarvendel.exe
check_exe() { python3 "$ROOT/tools/check-exe" "$@"; }
check "check-exe fails Tarvendel.exe without GDI32" says "missing: GDI32.dll" check_exe lacks/Tarvendel.exe
check "check-exe fails a DLL delay-loaded from a dlltool -y library" says "not on the list: SHELL32.dll" \
  check_exe delays/Tarvendel.exe
check "check-exe fails TARVENDEL.EXE with an extra import" says "not on the list: SHELL32.dll" check_exe upper/TARVENDEL.EXE
check "check-exe fails another minor number than project()'s" says "version information (file, product" \
  check_exe Tarvendel.exe
((failures)) && { echo "the tools' self-test: $failures of $checks checks FAILED"; exit 1; }
echo "the tools' self-test: all $checks checks passed"
