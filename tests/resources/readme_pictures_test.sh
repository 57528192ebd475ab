#!/usr/bin/env bash
# The README's pictures are what the program draws now: scripts/make-readme-pictures.sh draws
# them again into a temporary folder, and each must equal the one in docs/ pixel for pixel; a
# picture in docs/ that the script does not make would drift unseen, so there is none.
#   readme_pictures_test.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source_dir=$1 build=$2
work=$(mktemp -d -t korimu-readme-pictures.XXXXXX)
trap 'rm -rf "$work"' EXIT

"$source_dir/scripts/make-readme-pictures.sh" "$build" "$work/drawn" >/dev/null
failures=()
for kept in "$source_dir"/docs/*.png; do
  name=$(basename "$kept")
  drawn="$work/drawn/$name"
  if [ ! -f "$drawn" ]; then
    failures+=("docs/$name is not made by scripts/make-readme-pictures.sh")
    continue
  fi
  # compare prints the number of differing pixels and exits 1 when there are any.
  differing=$(compare -metric AE "$kept" "$drawn" null: 2>&1) || true
  if [ "$differing" != 0 ]; then
    cp "$drawn" "${TMPDIR:-/tmp}/$name.actual.png"
    failures+=("docs/$name: $differing pixels differ from ${TMPDIR:-/tmp}/$name.actual.png")
  fi
done
for drawn in "$work"/drawn/*.png; do
  [ -f "$source_dir/docs/$(basename "$drawn")" ] || failures+=("docs/ lacks $(basename "$drawn")")
done
if [ ${#failures[@]} -gt 0 ]; then
  printf 'FAIL: %s\n' "${failures[@]}" >&2
  echo "After a deliberate change to the drawing: scripts/make-readme-pictures.sh, then look" \
    "at each picture before committing it." >&2
  exit 1
fi
echo "the $(ls "$work/drawn" | wc -l) README pictures are what the program draws now"
