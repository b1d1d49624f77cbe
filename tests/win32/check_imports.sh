#!/usr/bin/env bash
# morbilex.exe must run from its own file alone: it may import only DLLs that
# every Windows installation has.
#   check_imports.sh <objdump> <morbilex.exe>
set -euo pipefail
system_libraries='^(kernel32|user32|gdi32|comdlg32|comctl32|winspool\.drv|msvcrt|advapi32|shell32|ole32|oleaut32)(\.dll)?$'
imports="$("$1" -p "$2" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z')"
echo "imports: $(echo $imports)"
[ -n "$imports" ] || { echo "no import table found" >&2; exit 1; }
status=0
for library in $imports; do
  if ! [[ "$library" =~ $system_libraries ]]; then
    echo "not a system library: $library" >&2
    status=1
  fi
done
exit "$status"
