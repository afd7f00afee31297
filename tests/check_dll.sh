#!/usr/bin/env bash
# Inspects the built Orrindel.dll as a host's loader would see it: the export
# table (SetBg alone, ordinal 1, module name Orrindel.dll), the import table
# (KERNEL32, USER32 and GDI32 only: no runtime) and the size budget.
set -uo pipefail
dll=$1
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}
budget=6144
failed=0
check() { # description, actual, expected
  if [ "$2" == "$3" ]; then
    echo "ok: $1"
  else
    echo "FAILED: $1: got '$2', expected '$3'"
    failed=1
  fi
}
dump=$("$objdump" -p "$dll") || { echo "FAILED: cannot read $dll"; exit 1; }

check "file format" "$(echo "$dump" | grep -o 'file format pei-i386')" "file format pei-i386"
check "module name" "$(echo "$dump" | awk '/^Name[ \t]/ {print $3}')" "Orrindel.dll"
exports=$(echo "$dump" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | grep -E '^\s+\[' | awk '{print $NF}' | paste -sd, -)
check "exported names" "$exports" "SetBg"
check "export ordinal base" "$(echo "$dump" | awk '/^Ordinal Base/ {print $3}')" "1"
check "export count" "$(echo "$dump" | grep -cE '^\s+\[ *[0-9]+\] \+base\[')" "1"
imports=$(echo "$dump" | awk '/DLL Name:/ {print toupper($3)}' | sort | paste -sd, -)
check "imported modules" "$imports" "GDI32.DLL,KERNEL32.DLL,USER32.DLL"
size=$(stat -c %s "$dll")
if [ "$size" -le "$budget" ]; then
  echo "ok: size $size bytes (budget $budget)"
else
  echo "FAILED: size $size bytes exceeds the budget of $budget"
  failed=1
fi
exit $failed
