#!/usr/bin/env bash
# Every kind of file the program opens is offered to it by the desktop: the type the system's MIME
# database gives each kind's file name (its heaviest glob) is one the desktop entry lists.
#   desktop_mime_test.sh korimu.desktop [globs2]
set -euo pipefail
entry=$1 globs=${2:-/usr/share/mime/globs2}
[ -r "$globs" ] || {
  echo "skipped: no MIME database at $globs"
  exit 77
}
listed=";$(sed -n 's/^MimeType=//p' "$entry")"
# Read as they are, and decoded by libsndfile into a copy first.
extensions=(wav flac ogg oga opus mp3 aif aiff aifc au snd voc xi)
missing=()
for ext in "${extensions[@]}"; do
  # globs2 lines are weight:type:glob, heaviest first.
  type=$(awk -F: -v g="*.$ext" '$3 == g { print $2; exit }' "$globs")
  if [ -z "$type" ]; then
    echo "note: the MIME database knows no type for *.$ext"
  elif [[ "$listed" != *";$type;"* ]]; then
    missing+=("*.$ext is $type")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "FAIL: $entry does not list: ${missing[*]}" >&2
  exit 1
fi
echo "the desktop entry lists the type of each of: ${extensions[*]}"
