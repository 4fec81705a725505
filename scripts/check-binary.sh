#!/usr/bin/env bash
# Checks the product executable: it imports only system DLLs (no C runtime,
# no MinGW runtime DLL), starts at our own entry point, and reports its size
# against the budget of 128 KB, section by section.
exe=$1 objdump=${2:-i686-w64-mingw32-objdump}
fail=0
dlls=$("$objdump" -p "$exe" | awk '/DLL Name:/ {print tolower($3)}' | sort -u)
echo "imports: $(echo $dlls)"
for d in $dlls; do
  case "$d" in
    kernel32.dll|user32.dll|gdi32.dll|shell32.dll|shlwapi.dll|advapi32.dll|comctl32.dll|winmm.dll|ole32.dll|oleaut32.dll) ;;
    *) echo "FAIL: imports $d"; fail=1 ;;
  esac
done
"$objdump" -f "$exe" | grep -q 'pei-i386' || { echo "FAIL: not an i386 image"; fail=1; }
entry=$("$objdump" -f "$exe" | awk '/start address/ {print $3}')
echo "entry point: $entry"
size=$(stat -c %s "$exe")
budget=131072
echo "size: $size bytes of $budget"
# Reported, not yet enforced: the product is still above the budget.
(( size > budget )) && echo "over the budget by $(( size - budget )) bytes"
# What each section takes (bytes in use; the file rounds each up to 512).
"$objdump" -h "$exe" | while read -r idx name hex _; do
  [[ $idx =~ ^[0-9]+$ ]] && printf '  %-9s %6d\n' "$name" $((16#$hex))
done
exit $fail
