#!/bin/sh
# check_imports.sh OBJDUMP PROGRAM: fails when PROGRAM imports a DLL that Windows does
# not load from System32 whatever the program's folder holds. The KnownDLLs are always
# taken from System32, and comctl32 comes through the manifest's side-by-side
# dependency; any other static import would be searched for beside the program first.
imports=$("$1" -p "$2" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z') || exit 2
[ -n "$imports" ] || { echo "no import table read from $2"; exit 2; }
status=0
for dll in $imports; do
  case "$dll" in
    kernel32.dll|user32.dll|gdi32.dll|advapi32.dll|shell32.dll|msvcrt.dll|ole32.dll|oleaut32.dll|shlwapi.dll|comctl32.dll) ;;
    *) echo "$2 imports $dll, which Windows would look for beside the program"; status=1 ;;
  esac
done
[ $status -eq 0 ] && echo "$2 imports only KnownDLLs and side-by-side comctl32: $(echo $imports)"
exit $status
