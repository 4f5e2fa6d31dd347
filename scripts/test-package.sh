#!/usr/bin/env bash
# Builds the Debian package from an existing build directory (default
# build/dev: the programs are not compiled again), unpacks it into a scratch
# directory and checks it as a user would meet it: the programs run from the
# unpacked tree, the desktop entry, icons, MIME type and manual pages are
# well-formed, and lintian finds no error.
#
#   scripts/test-package.sh [build-dir]
#
# lintian fails the test on errors only; other tags are printed. The package
# carries no overrides. What lintian still reports, all at info level:
# - package-contains-documentation-outside-usr-share-doc for the examples:
#   they are models Parview's open dialog starts in, not documentation;
# - binary-has-unneeded-section .comment, hardening-no-bindnow,
#   hardening-no-fortify-functions: the programs are built with the
#   project's own flags (one build for tests and package), not with
#   dpkg-buildflags, and cpack's strip keeps the compiler's .comment note;
# - spelling-error-in-binary "wtH": bytes of a compiled-in picture.
# Needs cpack, dpkg-deb, dpkg-shlibdeps (dpkg-dev), file, lintian,
# desktop-file-validate (desktop-file-utils), man (man-db) and ImageMagick.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:-build/dev}" && pwd)
[ -f "$build/CPackConfig.cmake" ] || {
    echo "no configured build in $build: run bash scripts/build.sh dev first" >&2
    exit 1
}

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
root=$scratch/root
work=$scratch/work
mkdir -p "$root" "$work/tmp"

fail() {
    echo "FAILED: $*" >&2
    exit 1
}
ok() { echo "ok: $*"; }

# Up to date already after the dev build; this only makes sure of it.
cmake --build "$build" >/dev/null
if ! cpack --config "$build/CPackConfig.cmake" -G DEB -B "$scratch/pkg" >"$scratch/cpack.log" 2>&1; then
    cat "$scratch/cpack.log" >&2
    fail "cpack"
fi
debs=("$scratch"/pkg/quillmoor_*.deb)
{ [ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ]; } || fail "expected one quillmoor_*.deb, got: ${debs[*]}"
deb=${debs[0]}
ok "built $(basename "$deb") ($(du -k "$deb" | cut -f1) KiB)"

# Control fields: the version is the changelog's, the libraries are found.
version=$(dpkg-deb -f "$deb" Version)
logged=$(sed -n '1s/^quillmoor (\([^)]*\)).*/\1/p' dist/debian/changelog)
[ "$version" = "$logged" ] || fail "package version $version, changelog's top entry $logged"
depends=$(dpkg-deb -f "$deb" Depends)
grep -q 'libc6' <<<"$depends" || fail "Depends lacks libc6: $depends"

dpkg-deb -x "$deb" "$root"
bin=$root/usr/bin
[ -x "$bin/Trajex" ] || fail "no usr/bin/Trajex"
if [ -x "$bin/Parview" ]; then
    grep -q 'libqt6widgets6' <<<"$depends" || fail "Depends lacks libqt6widgets6: $depends"
fi
ok "version $version, Depends: $depends"

# Nothing but what a user needs: no test programs, libraries or headers.
unexpected=$(find "$root" -type f -printf '%P\n' | grep -Ev \
    '^usr/(bin/(Trajex|Parview|Shotlab)|share/(applications/parview\.desktop|mime/packages/quillmoor\.xml|icons/hicolor/[0-9]+x[0-9]+/apps/quillmoor\.png|man/man1/[^/]+\.1\.gz|doc/quillmoor/(copyright|changelog\.gz)|quillmoor/(examples/[^/]+\.txt|clubs/[^/]+\.csv)))$' ||
    true)
[ -z "$unexpected" ] || fail "unexpected files in the package:"$'\n'"$unexpected"
for program in "$bin"/*; do
    name=$(basename "$program")
    [ -f "$root/usr/share/man/man1/$name.1.gz" ] || fail "no manual page for $name"
done
ok "file list ($(find "$root" -type f | wc -l) files)"

# Trajex on an installed example.
example=$root/usr/share/quillmoor/examples/hole1-teeshot.txt
"$bin/Trajex" "$example" "$work/tee.out" || fail "Trajex exited with $?"
grep -qx 'Exit Code: 1' "$work/tee.out" || fail "Trajex's output has no 'Exit Code: 1'"
ok "Trajex on hole1-teeshot.txt"

# Shotlab's distance to the hole is the one Trajex wrote (both are the
# three-dimensional distance from the last point to the cup).
if [ -x "$bin/Shotlab" ]; then
    "$bin/Shotlab" summary --csv "$work/tee.out" >"$work/summary.csv" || fail "Shotlab summary exited with $?"
    expected=$(sed -n 's/^BallDistanceToHole: *//p' "$work/tee.out")
    awk -F, -v expected="$expected" '
        NR == 1 { for (i = 1; i <= NF; ++i) col[$i] = i; next }
        $col["shot"] == "tee" {
            found = 1
            d = $col["distance_to_hole_yd"]; c = $col["carry_yd"]
            if (d == "" || d - expected > 1e-3 || expected - d > 1e-3) bad = "distance_to_hole_yd " d " vs " expected
            if (!(c + 0 > 0)) bad = bad " carry_yd " c
        }
        END {
            if (!found) bad = "no tee row"
            if (bad != "") { print bad > "/dev/stderr"; exit 1 }
        }' "$work/summary.csv" || fail "Shotlab summary: $(head -c 2000 "$work/summary.csv")"
    ok "Shotlab summary (distance to hole $expected yd)"
    # The installed table of clubs is found from the program's own directory.
    "$bin/Shotlab" range --club Driver --csv >"$work/club.csv" 2>"$work/club.err" ||
        fail "Shotlab range --club Driver: $(cat "$work/club.err")"
    "$bin/Shotlab" range --speed 167 --launch 10.9 --spin 2686 --csv >"$work/shot.csv" ||
        fail "Shotlab range --speed 167 --launch 10.9 --spin 2686 exited with $?"
    cmp -s "$work/club.csv" "$work/shot.csv" || fail "the tour Driver is not 167 mph, 10.9 deg, 2686 rpm"
    ok "Shotlab range --club Driver from the installed table"
fi

# Parview in batch mode runs the Trajex beside it: the unpacked one. Without
# it the run must fail, which shows no other Trajex was used.
if [ -x "$bin/Parview" ]; then
    run_parview() {
        (cd "$work" && env -u DISPLAY -u WAYLAND_DISPLAY -u QMX_SWING_MODE \
            QT_QPA_PLATFORM=offscreen TMPDIR="$work/tmp" "$bin/Parview" "$@")
    }
    run_parview -swing swing.txt -putt putt.txt >"$work/parview.log" 2>&1 ||
        fail "Parview -swing -putt exited with $?: $(cat "$work/parview.log")"
    for image in swing.png swing_puttview.png putt.png; do
        [ "$(identify -format '%m' "$work/$image" 2>/dev/null)" = PNG ] || fail "Parview wrote no $image"
    done
    grep -qx 'Exit Code: 1' "$work/swing.txt" || fail "Parview's swing.txt has no 'Exit Code: 1'"
    grep -qx 'Exit Code: 1' "$work/putt.txt" || fail "Parview's putt.txt has no 'Exit Code: 1'"
    mv "$bin/Trajex" "$bin/Trajex.away"
    rm -f "$work"/*.png
    if run_parview -swing >"$work/parview.log" 2>&1; then
        fail "Parview succeeded without the Trajex beside it"
    fi
    mv "$bin/Trajex.away" "$bin/Trajex"
    ok "Parview -swing -putt offscreen: two result files, three PNGs; fails without Trajex beside it"
fi

# Desktop entry, icons and MIME type.
if [ -x "$bin/Parview" ]; then
    entry=$root/usr/share/applications/parview.desktop
    report=$(desktop-file-validate "$entry" 2>&1) || fail "desktop-file-validate: $report"
    ! grep -Eq '(error|warning):' <<<"$report" || fail "desktop-file-validate: $report"
    [ -z "$report" ] || echo "$report" | sed 's/^/  /'
    icon=$(sed -n 's/^Icon=//p' "$entry")
    for size in 16 22 24 32 48 64 128 256; do
        png=$root/usr/share/icons/hicolor/${size}x${size}/apps/$icon.png
        [ "$(identify -format '%m %wx%h' "$png" 2>/dev/null)" = "PNG ${size}x${size}" ] ||
            fail "icon $png is not a ${size}x${size} PNG"
    done
    mime=$(sed -n 's/^MimeType=\([^;]*\);$/\1/p' "$entry")
    grep -q "type=\"$mime\"" "$root/usr/share/mime/packages/quillmoor.xml" ||
        fail "the entry's MIME type $mime is not the one registered"
    ok "desktop entry, $icon icon at 8 sizes, MIME type $mime"
fi

# Manual pages render without a warning.
for page in "$root"/usr/share/man/man1/*.1.gz; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
done
ok "manual pages: $(find "$root/usr/share/man/man1" -name '*.1.gz' -printf '%f ')"

# lintian: errors fail the test, anything else is shown.
lintian_out=$(lintian --fail-on error --display-info "$deb" 2>&1) || {
    echo "$lintian_out" >&2
    fail "lintian found errors"
}
lintian_out=$(grep -v '^running with root privileges' <<<"$lintian_out" || true)
[ -z "$lintian_out" ] || echo "$lintian_out" | sed 's/^/  /'
ok "lintian: no errors, $(grep -c '^W:' <<<"$lintian_out" || true) warnings, $(grep -c '^I:' <<<"$lintian_out" || true) infos"

echo "package test passed: $(basename "$deb")"
