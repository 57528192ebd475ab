#!/usr/bin/env bash
# Lists the writable data symbols (nm classes B, b, D, d) that the libraries define and fails
# on any that the allow-list does not name. The program keeps its state in objects that callers own;
# a new namespace-scope or function-static variable shows up here.
# Usage: writable_data_check.sh ALLOW_LIST LIBRARY.a...
set -euo pipefail
allow_list=$1
shift
status=0
for library in "$@"; do
  # The System V format gives the class and the section: tables of constant pointers sit in
  # .data.rel.ro, which is read-only once the program is loaded.
  nm -C --defined-only --format=sysv "$library" 2>/dev/null |
    awk -F'|' -v library="$(basename "$library" .a)" -v allow_list="$allow_list" '
      BEGIN {
        while ((getline line < allow_list) > 0) {
          sub(/#.*/, "", line); sub(/[ \t]+$/, "", line)
          if (line != "") allowed[line] = 1
        }
      }
      NF >= 7 {
        symbol = $1; sub(/[ \t]+$/, "", symbol)
        class = $3; gsub(/ /, "", class)
        section = $7; gsub(/ /, "", section)
        if (class !~ /^[BbDd]$/ || section ~ /^\.data\.rel\.ro/) next
        # Artefacts of the compiler and the sanitizers, not our state.
        if (symbol ~ /^(__asan|__ubsan|__sancov|__odr_asan|__tsan|\.L|typeinfo|vtable|_GLOBAL__)/ ||
            symbol ~ /^guard variable for / || symbol == "std::__ioinit" || symbol == "") next
        if (!((library " " symbol) in allowed)) {
          printf "unlisted writable data in %s: %s (%s, %s)\n", library, symbol, class, section
          failed = 1
        }
      }
      END { exit failed }' || status=1
done
exit "$status"
