#!/bin/sh
# check_imports.sh OBJDUMP PROGRAM DLL: fails when PROGRAM imports DLL, or when its
# import table cannot be read.
imports=$("$1" -p "$2") || exit 2
echo "$imports" | grep -qi 'DLL Name: kernel32.dll' || { echo "no import table read from $2"; exit 3; }
if echo "$imports" | grep -qi "DLL Name: $3"; then
    echo "$2 imports $3"
    exit 1
fi
