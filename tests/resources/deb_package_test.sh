#!/usr/bin/env bash
# Makes the .deb from the build folder, has lintian check it, unpacks it with dpkg-deb -x into a
# temporary root (no installation) and runs the unpacked program: its version, a render of the
# demo recording it installs, and the help page it finds relative to itself.
#   deb_package_test.sh BUILD_DIR DEMO_WAV VERSION
set -euo pipefail
build=$1 demo=$2 version=$3
work=$(mktemp -d -t korimu-deb-test.XXXXXX)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log" >&2; fail "cpack -G DEB failed"; }
deb="$work/package/korimu_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || fail "no $(basename "$deb"); made: $(ls "$work/package")"

# Lintian's errors and warnings are faults; its notes for information are not.
command -v lintian >/dev/null || fail "no lintian (scripts/setup.sh --test installs it)"
lintian --fail-on error,warning --tag-display-limit 0 "$deb" >"$work/lintian.log" 2>&1 ||
  { cat "$work/lintian.log" >&2; fail "lintian found errors or warnings in $(basename "$deb")"; }

depends=$(dpkg-deb -f "$deb" Depends)
for needed in libqt6widgets6 libpulse0 libsndfile1 libc6 unifont; do
  [[ ", $depends" == *", $needed"* ]] || fail "Depends lacks $needed: $depends"
done

root="$work/root"
dpkg-deb -x "$deb" "$root"
[ -x "$root/usr/libexec/korimu/korimu-window" ] || fail "the package lacks /usr/libexec/korimu/korimu-window"
for f in bin/korimu share/korimu/help/index.html share/applications/korimu.desktop \
  share/metainfo/korimu.metainfo.xml share/man/man1/korimu.1.gz share/doc/korimu/LICENSE \
  share/doc/korimu/copyright share/doc/korimu/changelog.gz share/korimu/korimu-demo.wav \
  share/icons/hicolor/scalable/apps/korimu.svg; do
  [ -f "$root/usr/$f" ] || fail "the package lacks /usr/$f"
done
for size in 16 32 48 128 256; do
  png="$root/usr/share/icons/hicolor/${size}x${size}/apps/korimu.png"
  file "$png" | grep -q "PNG image data, $size x $size," || fail "$png: $(file -b "$png")"
done

# The man page names the demo recording where the package puts it.
installed_demo=/usr/share/korimu/korimu-demo.wav
# (grep reads it all: with -q it would leave at the first match, and pipefail would count the
# writer's broken pipe as a failure.)
zcat "$root/usr/share/man/man1/korimu.1.gz" | sed 's/\\-/-/g' | grep -F "$installed_demo" >/dev/null ||
  fail "the man page does not name $installed_demo"
cmp -s "$demo" "$root$installed_demo" || fail "$installed_demo is not the build's demo recording"

korimu="$root/usr/bin/korimu"
export XDG_CONFIG_HOME="$work/config"
unset LD_LIBRARY_PATH
[ "$("$korimu" --version)" = "KORIMU  Version $version" ] || fail "--version: $("$korimu" --version)"

"$korimu" --render "$work/chart.png" --view chart "$root$installed_demo" ||
  fail "--render exited with $?"
file "$work/chart.png" | grep -q "PNG image data, 640 x 383," || fail "render: $(file -b "$work/chart.png")"

help_line=$("$korimu" --help | grep "help page")
[ "$help_line" = "  help page               $root/usr/share/korimu/help/index.html" ] ||
  fail "the unpacked program does not find its help page: $help_line"
echo "korimu_${version} unpacks and runs: $depends"
