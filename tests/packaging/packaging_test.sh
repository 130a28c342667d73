#!/usr/bin/env bash
# Installs and packages the build as a user or a distribution would, and checks the result.
#   packaging_test.sh install|consumer|deb|windows-resource BUILD_DIR SOURCE_DIR
set -euo pipefail
what="$1" build="$2" source="$3"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
app_id=org.example.orvani.Converter

fail() {
    echo "FAILED: $*" >&2
    exit 1
}

case "$what" in
install)
    cmake --install "$build" --prefix "$work/usr" >/dev/null
    for file in bin/orvaniconv bin/orvaniconv-cli \
        share/applications/$app_id.desktop share/metainfo/$app_id.metainfo.xml \
        share/icons/hicolor/16x16/apps/$app_id.png share/icons/hicolor/32x32/apps/$app_id.png \
        share/icons/hicolor/scalable/apps/$app_id.svg share/man/man1/orvaniconv-cli.1.gz \
        include/orvani/pipeline.h include/orvani/version.h; do
        [[ -f "$work/usr/$file" ]] || fail "not installed: $file"
    done
    desktop-file-validate "$work/usr/share/applications/$app_id.desktop"
    appstreamcli validate --no-net "$work/usr/share/metainfo/$app_id.metainfo.xml"
    file "$work/usr/share/icons/hicolor/32x32/apps/$app_id.png" | grep -q "32 x 32" ||
        fail "the 32 pixel icon is not 32 x 32"
    zcat "$work/usr/share/man/man1/orvaniconv-cli.1.gz" | grep -q '^\.TH ORVANICONV-CLI 1' ||
        fail "the manual page has no title"
    # The window answers --version and --help without a display.
    [[ "$(env -u DISPLAY -u WAYLAND_DISPLAY "$work/usr/bin/orvaniconv" --version)" == "orvaniconv 1.00" ]] ||
        fail "orvaniconv --version"
    env -u DISPLAY -u WAYLAND_DISPLAY "$work/usr/bin/orvaniconv" --help | grep -q -- "--version" ||
        fail "orvaniconv --help"
    ;;
consumer)
    cmake --install "$build" --prefix "$work/prefix" --component development >/dev/null
    cmake -S "$source/tests/packaging/consumer" -B "$work/build" -G Ninja \
        -DCMAKE_PREFIX_PATH="$work/prefix" >/dev/null
    cmake --build "$work/build" >/dev/null
    [[ "$("$work/build/consumer")" == "1.00 kExO dqT" ]] || fail "the consumer's result"
    ;;
deb)
    (cd "$work" && cpack --config "$build/CPackConfig.cmake" -G DEB >/dev/null)
    deb="$work/orvaniconv_1.00_$(dpkg --print-architecture).deb"
    [[ -f "$deb" ]] || fail "no $(basename "$deb") among: $(ls "$work")"
    [[ -f "$work/liborvani-dev_1.00_$(dpkg --print-architecture).deb" ]] || fail "no liborvani-dev"
    dpkg-deb -c "$deb" >"$work/contents"
    for file in ./usr/bin/orvaniconv ./usr/bin/orvaniconv-cli \
        ./usr/share/applications/$app_id.desktop ./usr/share/metainfo/$app_id.metainfo.xml \
        ./usr/share/icons/hicolor/16x16/apps/$app_id.png \
        ./usr/share/icons/hicolor/32x32/apps/$app_id.png \
        ./usr/share/icons/hicolor/scalable/apps/$app_id.svg \
        ./usr/share/man/man1/orvaniconv-cli.1.gz; do
        grep -q " $file\$" "$work/contents" || fail "not in the package: $file"
    done
    ! grep -q "include/orvani" "$work/contents" || fail "headers in the program's package"
    depends="$(dpkg-deb -f "$deb" Depends)"
    echo "Depends: $depends"
    for needed in fonts-liberation libqt6widgets6 libicu72 libc6; do
        grep -q "$needed" <<<"$depends" || fail "Depends lacks $needed"
    done
    dpkg-deb -x "$deb" "$work/root"
    [[ "$(echo "Kheetsoy dhath, ohm uhr" | "$work/root/usr/bin/orvaniconv-cli" -f old -t new)" == "xícó ðæþ, ohm uhr" ]] ||
        fail "orvaniconv-cli from the package"
    ;;
windows-resource)
    windres="$(command -v x86_64-w64-mingw32-windres || true)"
    [[ -n "$windres" ]] || { echo "no windres here"; exit 77; }
    cd "$source/packaging/windows"
    "$windres" --preprocessor=cpp --preprocessor-arg=-xc -i orvaniconv.rc -O res -o "$work/orvaniconv.res"
    "$windres" -i "$work/orvaniconv.res" -O rc >"$work/back.rc"
    for line in 'LANGUAGE 7, 1' 'BLOCK "040704B0"' 'VALUE "FileVersion", "1.00"' \
        'VALUE "ProductVersion", "1.00"' 'VALUE "InternalName", "orvaniconv"' \
        'VALUE "OriginalFilename", "orvaniconv.exe"' 'VALUE "ProductName", "orvanitranscr"' \
        'VALUE "Translation", 0x407, 1200' '/* RT_GROUP_ICON */'; do
        grep -qF "$line" "$work/back.rc" || fail "the compiled resource lacks: $line"
    done
    ;;
*)
    fail "unknown check $what"
    ;;
esac
echo "$what: passed"
