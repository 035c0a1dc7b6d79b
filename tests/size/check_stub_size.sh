#!/bin/sh
# check_stub_size.sh PROGRAM PACKAGE LIMIT: fails when PROGRAM, less the PACKAGE it
# carries, is LIMIT bytes or more. With a file alignment of 4096 every section costs
# whole pages, so a small change of code or of a library can cost a page at once.
program=$(stat -c %s "$1") || exit 2
package=$(stat -c %s "$2") || exit 2
stub=$((program - package))
if [ "$stub" -ge "$3" ]; then
  echo "$1: stub of $stub bytes (program $program less package $package), limit $3"
  exit 1
fi
echo "$1: stub of $stub bytes, below $3"
