#!/usr/bin/env bash
# Installs and packages the build as a user or a distribution would, and checks the result.
#   packaging_test.sh install|consumer|examples|pkg-config|embedding|deb|python|windows-resource
#                     BUILD_DIR SOURCE_DIR
# PYTHON names the interpreter the Python module was built for (default python3).
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
        share/man/man1/orvaniconv.1.gz include/orvani/pipeline.h include/orvani/version.h; do
        [[ -f "$work/usr/$file" ]] || fail "not installed: $file"
    done
    desktop-file-validate "$work/usr/share/applications/$app_id.desktop"
    appstreamcli validate --no-net "$work/usr/share/metainfo/$app_id.metainfo.xml"
    file "$work/usr/share/icons/hicolor/32x32/apps/$app_id.png" | grep -q "32 x 32" ||
        fail "the 32 pixel icon is not 32 x 32"
    # The scalable icon is drawn on the 32 pixel picture: at that size they are the same.
    rsvg-convert -w 32 -h 32 -o "$work/svg-32.png" \
        "$work/usr/share/icons/hicolor/scalable/apps/$app_id.svg"
    differing="$(compare -metric AE "$work/usr/share/icons/hicolor/32x32/apps/$app_id.png" \
        "$work/svg-32.png" null: 2>&1)" || true
    [[ "$differing" == 0 ]] || fail "the scalable icon differs from the 32 pixel one: $differing pixels"
    for page in orvaniconv orvaniconv-cli; do
        zcat "$work/usr/share/man/man1/$page.1.gz" | grep -q "^\.TH ${page^^} 1" ||
            fail "the manual page $page(1) has no title"
    done
    # Wayland matches the window to its desktop entry by this name.
    strings -el "$work/usr/bin/orvaniconv" | grep -qx "$app_id" ||
        fail "orvaniconv does not give its desktop file name"
    # The Debian files go into the packages only.
    [[ ! -e "$work/usr/share/doc/orvaniconv/copyright" ]] || fail "Debian's copyright file installed"
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
    # The core needs nothing beyond the C++ standard library.
    ! ldd "$work/build/consumer" | grep -i icu || fail "a program of the core alone loads ICU"
    ;;
examples)
    cmake --install "$build" --prefix "$work/prefix" --component development >/dev/null
    cmake -S "$source/examples" -B "$work/build" -G Ninja \
        -DCMAKE_PREFIX_PATH="$work/prefix" >/dev/null
    cmake --build "$work/build" >"$work/log" || fail "the examples do not build: $(cat "$work/log")"
    echo "Kheetsoy dhath" >"$work/old.txt"
    [[ "$("$work/build/convert_file" "$work/old.txt")" == "xícó ðæþ" ]] ||
        fail "convert_file's result"
    printf 'Kheetsoy \377dhath' >"$work/invalid.txt"
    status=0
    output="$("$work/build/convert_file" "$work/invalid.txt" 2>"$work/errors")" || status=$?
    [[ "$status" == 1 && "$output" == "xícó " ]] || fail "convert_file on invalid UTF-8: $status '$output'"
    grep -q "invalid UTF-8 at byte 9" "$work/errors" || fail "convert_file's error: $(cat "$work/errors")"
    ;;
pkg-config)
    cmake --install "$build" --prefix "$work/prefix" --component development >/dev/null
    pc_dir="$(cd "$work/prefix" && find . -path '*/pkgconfig/orvani.pc' -printf '%h')"
    [[ -n "$pc_dir" ]] || fail "no orvani.pc installed"
    export PKG_CONFIG_PATH="$work/prefix/$pc_dir"
    pkg-config --validate orvani 2>"$work/errors" || fail "orvani.pc: $(cat "$work/errors")"
    [[ "$(pkg-config --modversion orvani)" == "1.00" ]] || fail "orvani.pc's version"
    # The library is static and needs nothing beyond the C++ standard library.
    for libs in "$(pkg-config --libs orvani)" "$(pkg-config --static --libs orvani)"; do
        [[ "$libs" =~ ^-L[^[:space:]]+\ -lorvani[[:space:]]*$ ]] || fail "more than the library: $libs"
    done
    # Moved elsewhere, the installed tree still points at itself.
    mv "$work/prefix" "$work/moved"
    export PKG_CONFIG_PATH="$work/moved/$pc_dir"
    # shellcheck disable=SC2046 # the flags are words of their own
    c++ -std=c++20 -o "$work/program" "$source/tests/packaging/pkg_config/main.cpp" \
        $(pkg-config --cflags --libs orvani)
    [[ "$("$work/program")" == "xícó ðæþ" ]] || fail "the program built with pkg-config"
    ;;
embedding)
    cmake -S "$source/tests/packaging/embedding" -B "$work/build" -G Ninja \
        -DORVANI_SOURCE_DIR="$source" >/dev/null
    cmake --build "$work/build" >"$work/log" || fail "the embedding project: $(cat "$work/log")"
    [[ "$("$work/build/embedder")" == "1.00 kExO dqT" ]] || fail "the embedding program's result"
    [[ ! -e "$work/build/CPackConfig.cmake" ]] || fail "the embedded tree set up CPack"
    # Nothing is installed unless asked for; then the library is, and nothing else.
    cmake --install "$work/build" --prefix "$work/nothing" >/dev/null
    [[ ! -e "$work/nothing" ]] || fail "installed while embedded: $(find "$work/nothing" -type f)"
    cmake -S "$source/tests/packaging/embedding" -B "$work/build" -DORVANI_INSTALL=ON >/dev/null
    cmake --build "$work/build" >/dev/null
    cmake --install "$work/build" --prefix "$work/prefix" >/dev/null
    (cd "$work/prefix" && find . -type f | sort) >"$work/installed"
    for pattern in '^\./include/orvani/pipeline\.h$' '^\./include/orvani/version\.h$' \
        '^\./lib[^/]*/liborvani\.a$' '/cmake/orvani/orvaniTargets\.cmake$' \
        '/cmake/orvani/orvaniConfig\.cmake$' '/pkgconfig/orvani\.pc$'; do
        grep -q "$pattern" "$work/installed" || fail "not installed: $pattern"
    done
    ! grep -v -e '^\./include/orvani/' -e '^\./lib' "$work/installed" ||
        fail "installed beside the library"
    ;;
deb)
    # Debian keeps libraries in lib/<multiarch>, where GNUInstallDirs puts them for /usr.
    multiarch="$(dpkg-architecture -qDEB_HOST_MULTIARCH 2>/dev/null)"
    libdir="$(sed -n 's/^CMAKE_INSTALL_LIBDIR:[A-Z]*=//p' "$build/CMakeCache.txt")"
    if [[ "$libdir" != "lib/$multiarch" ]]; then
        echo "the build is configured for $libdir, not lib/$multiarch: packages are made from a build for /usr (scripts/package)"
        exit 77
    fi
    (cd "$work" && cpack --config "$build/CPackConfig.cmake" -G DEB >/dev/null)
    arch="$(dpkg --print-architecture)"
    deb="$work/orvaniconv_1.00-1_$arch.deb"
    [[ -f "$deb" ]] || fail "no $(basename "$deb") among: $(ls "$work")"
    dev="$work/liborvani-dev_1.00-1_$arch.deb"
    [[ -f "$dev" ]] || fail "no liborvani-dev"
    dpkg-deb -c "$dev" >"$work/dev-contents"
    for file in ./usr/$libdir/liborvani.a ./usr/$libdir/pkgconfig/orvani.pc \
        ./usr/$libdir/cmake/orvani/orvaniConfig.cmake ./usr/include/orvani/pipeline.h \
        ./usr/share/doc/liborvani-dev/copyright ./usr/share/doc/liborvani-dev/changelog.Debian.gz; do
        grep -q " $file\$" "$work/dev-contents" || fail "not in liborvani-dev: $file"
    done
    dpkg-deb -c "$deb" >"$work/contents"
    for file in ./usr/bin/orvaniconv ./usr/bin/orvaniconv-cli \
        ./usr/share/applications/$app_id.desktop ./usr/share/metainfo/$app_id.metainfo.xml \
        ./usr/share/icons/hicolor/16x16/apps/$app_id.png \
        ./usr/share/icons/hicolor/32x32/apps/$app_id.png \
        ./usr/share/icons/hicolor/scalable/apps/$app_id.svg \
        ./usr/share/man/man1/orvaniconv-cli.1.gz ./usr/share/man/man1/orvaniconv.1.gz \
        ./usr/share/doc/orvaniconv/copyright ./usr/share/doc/orvaniconv/changelog.Debian.gz; do
        grep -q " $file\$" "$work/contents" || fail "not in the package: $file"
    done
    ! grep -q "include/orvani" "$work/contents" || fail "headers in the program's package"
    depends="$(dpkg-deb -f "$deb" Depends)"
    echo "Depends: $depends"
    for needed in fonts-liberation libqt6widgets6 libicu72 libc6; do
        grep -q "$needed" <<<"$depends" || fail "Depends lacks $needed"
    done
    [[ "$(dpkg-deb -f "$dev" Description | head -n 1)" != "$(dpkg-deb -f "$deb" Description | head -n 1)" ]] ||
        fail "both packages have the same summary"
    dpkg-deb -x "$deb" "$work/root"
    [[ "$(echo "Kheetsoy dhath, ohm uhr" | "$work/root/usr/bin/orvaniconv-cli" -f old -t new)" == "xícó ðæþ, ohm uhr" ]] ||
        fail "orvaniconv-cli from the package"
    # Debian's own checks: no error and no warning.
    command -v lintian >/dev/null || fail "lintian is not installed"
    status=0
    lintian --fail-on error,warning "$deb" "$dev" >"$work/lintian" 2>&1 || status=$?
    cat "$work/lintian"
    [[ "$status" == 0 ]] && ! grep -q '^[EW]: ' "$work/lintian" ||
        fail "lintian found errors or warnings (status $status)"
    ;;
python)
    python="${PYTHON:-python3}"
    (cd "$work" && cpack --config "$build/CPackConfig.cmake" -G DEB -D CPACK_COMPONENTS_ALL=python >/dev/null)
    deb="$work/python3-orvani_1.00-1_$(dpkg --print-architecture).deb"
    [[ -f "$deb" ]] || fail "no $(basename "$deb") among: $(ls "$work")"
    dpkg-deb -c "$deb" >"$work/contents"
    for pattern in ' \./usr/lib/python3/dist-packages/orvani\.cpython-[^/]*\.so$' \
        ' \./usr/lib/python3/dist-packages/orvani-stubs/__init__\.pyi$' \
        ' \./usr/share/doc/python3-orvani/copyright$' ' \./usr/share/doc/python3-orvani/changelog\.Debian\.gz$'; do
        grep -q "$pattern" "$work/contents" || fail "not in the package: $pattern"
    done
    depends="$(dpkg-deb -f "$deb" Depends)"
    echo "Depends: $depends"
    version="$("$python" -c 'import sys; print("%d.%d" % sys.version_info[:2])')"
    next="$("$python" -c 'import sys; print("%d.%d" % (sys.version_info[0], sys.version_info[1] + 1))')"
    for needed in "python3 (>= $version)" "python3 (<< $next)" libicu72 libc6; do
        grep -qF "$needed" <<<"$depends" || fail "Depends lacks $needed"
    done
    lintian --fail-on error,warning "$deb" 2>"$work/errors" >"$work/lintian" ||
        fail "lintian: $(cat "$work/lintian" "$work/errors")"
    greeting='import orvani; print(orvani.convert("Kheetsoy dhath", "old", "new"))'
    # Each prefix's own folder, as its Python's install schemes name it.
    site_of() {
        "$python" -c 'import sys, sysconfig; base = sys.argv[1]; print(sysconfig.get_path("platlib", sys.argv[2], vars={"base": base, "platbase": base}))' "$@"
    }
    cmake --install "$build" --prefix "$work/prefix" --component python >/dev/null
    site="$(site_of "$work/prefix" posix_prefix)"
    [[ "$(PYTHONPATH="$site" "$python" -c "$greeting")" == "xícó ðæþ" ]] ||
        fail "the module installed by cmake --install under another prefix, in $site"
    [[ -f "$site/orvani-stubs/__init__.pyi" ]] || fail "no stubs in $site"
    # Under /usr/local, where Debian's Python looks by itself.
    DESTDIR="$work/destdir" cmake --install "$build" --prefix /usr/local --component python >/dev/null
    if "$python" -c 'import sys, sysconfig; sys.exit("posix_local" not in sysconfig.get_scheme_names())'; then
        local_site="$(site_of /usr posix_local)"
        "$python" -c 'import sys; sys.exit(sys.argv[1] not in sys.path)' "$local_site" ||
            fail "$local_site is not on the path of $python"
    else
        local_site="$(site_of /usr/local posix_prefix)"
    fi
    ls "$work/destdir$local_site"/orvani.cpython-*.so >/dev/null 2>&1 ||
        fail "cmake --install --prefix /usr/local put no module in $local_site"
    dpkg-deb -x "$deb" "$work/root"
    [[ "$(PYTHONPATH="$work/root/usr/lib/python3/dist-packages" "$python" -c "$greeting")" == "xícó ðæþ" ]] ||
        fail "the module from the package"
    ;;
*)
    fail "unknown check $what"
    ;;
esac
echo "$what: passed"
