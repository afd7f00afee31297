#!/usr/bin/env bash
# Inspects a built Orrindel.dll as a host's loader would see it:
#   tests/check_dll.sh path/to/Orrindel.dll x86-8bit|x86-utf16|x64-utf16
# The machine type, an entry point that is set, the export table (SetBg alone,
# ordinal 1, module name Orrindel.dll), the import table (KERNEL32, USER32 and GDI32
# only: no runtime), on x64 the exception directory and the functions it covers, and
# the size ceiling of the flavour.
set -uo pipefail
dll=$1
flavour=$2
objdump=${OBJDUMP:-x86_64-w64-mingw32-objdump}
case $flavour in
  x86-8bit | x86-utf16) format=pei-i386 machine=0x014c ceiling=8192 ;;
  # x64: its code is about a fifth larger than x86's, and its unwind tables (.pdata
  # and .xdata) take a sector more.
  x64-utf16) format=pei-x86-64 machine=0x8664 ceiling=9728 ;;
  *)
    echo "FAILED: unknown flavour '$flavour'"
    exit 1
    ;;
esac
failed=0
check() { # description, actual, expected
  if [ "$2" == "$3" ]; then
    echo "ok: $flavour: $1"
  else
    echo "FAILED: $flavour: $1: got '$2', expected '$3'"
    failed=1
  fi
}
dump=$("$objdump" -p "$dll") || { echo "FAILED: cannot read $dll"; exit 1; }

# The PE header starts where the 32-bit value at 0x3C says; its machine field
# follows the 4-byte signature.
pe=$(od -An -tu4 -j60 -N4 "$dll" | tr -d ' ')
check "machine type" "$(printf '0x%04x' "$(od -An -tu2 -j$((pe + 4)) -N2 "$dll" | tr -d ' ')")" "$machine"
check "file format" "$(echo "$dump" | grep -o "file format $format\$")" "file format $format"
entry=$(echo "$dump" | awk '/^AddressOfEntryPoint/ {print $2}')
check "entry point set" "$([ -n "$entry" ] && [ $((16#$entry)) -ne 0 ] && echo set || echo "'$entry'")" "set"
check "module name" "$(echo "$dump" | awk '/^Name[ \t]/ {print $3}')" "Orrindel.dll"
exports=$(echo "$dump" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | grep -E '^\s+\[' | awk '{print $NF}' | paste -sd, -)
check "exported names" "$exports" "SetBg"
check "export ordinal base" "$(echo "$dump" | awk '/^Ordinal Base/ {print $3}')" "1"
check "export count" "$(echo "$dump" | grep -cE '^\s+\[ *[0-9]+\] \+base\[')" "1"
imports=$(echo "$dump" | awk '/DLL Name:/ {print toupper($3)}' | sort | paste -sd, -)
check "imported modules" "$imports" "GDI32.DLL,KERNEL32.DLL,USER32.DLL"

# x64 unwinds through a function only by its entry in the exception directory: the
# entry point, SetBg and every function called directly must have one.
if [ "$format" == pei-x86-64 ]; then
  check "exception directory" \
    "$(echo "$dump" | awk '/Exception Directory/ {print ($4 ~ /^0+$/ ? "empty" : "present")}')" \
    "present"
  base=$(echo "$dump" | awk '/^ImageBase/ {print $2}')
  setbg=$(echo "$dump" | sed -n 's/.*+base\[ *1\] *\([0-9a-f]*\) Export RVA.*/\1/p')
  ranges=$(echo "$dump" | awk '/Function Table/ {on = 1; next} on && /^ [0-9a-f]+:/ {print $2, $3}')
  targets=$({
    printf '%x\n' $((16#$base + 16#$entry)) $((16#$base + 16#${setbg:-0}))
    "$objdump" -d "$dll" | awk 'NF > 1 && $(NF - 1) == "call" && $NF ~ /^0x/ {print substr($NF, 3)}'
  } | sort -u)
  functions=0 missing=0
  for target in $targets; do
    functions=$((functions + 1))
    t=$((16#$target)) covered=
    while read -r lo hi; do
      [ -n "$hi" ] || continue
      if [ "$t" -ge $((16#$lo)) ] && [ "$t" -lt $((16#$hi)) ]; then
        covered=1
        break
      fi
    done <<<"$ranges"
    [ -n "$covered" ] || missing=$((missing + 1))
  done
  entries=$(echo "$ranges" | grep -c .)
  check "unwind data for the entry point, SetBg and all $functions functions called directly ($entries entries)" \
    "$missing without" "0 without"
fi
size=$(stat -c %s "$dll")
if [ "$size" -le "$ceiling" ]; then
  echo "ok: $flavour: size $size bytes (ceiling $ceiling)"
else
  echo "FAILED: $flavour: size $size bytes exceeds the ceiling of $ceiling"
  failed=1
fi
exit $failed
