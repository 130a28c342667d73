# Shared by the scripts: the packages the project needs and a quiet, idempotent set-up.
# Sourced, not run.

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"

BUILD_PACKAGES=(cmake ninja-build g++ pkgconf libicu-dev libexpat1-dev libzip-dev libgtest-dev
    libgmock-dev qt6-base-dev fonts-liberation libbenchmark-dev python3-dev pybind11-dev)
# What the tests use to check the installed files and icons, the Debian packages, orvani.pc and
# the Python module (pip into a virtual environment, its stubs under mypy), and to run the window
# under GTK's platform theme on a virtual display.
TEST_PACKAGES=(desktop-file-utils appstream dpkg-dev file pkgconf lintian
    python3-pytest python3-venv mypy librsvg2-bin imagemagick
    qt6-gtk-platformtheme xvfb xauth)
# The word processor that the document tests open converted documents with, where installed.
OFFICE_PACKAGES=(libreoffice-writer-nogui)
# The compilers that the core must build with beside the usual one, the cross compilers for
# the platforms without ICU among them.
CROSS_PACKAGES=(clang-14 clang-19 emscripten g++-mingw-w64-i686 nodejs file)
# What the page is built with: Emscripten for the core, Node.js for the rest, rsvg-convert for
# its icons.
WEB_PACKAGES=(cmake ninja-build emscripten nodejs librsvg2-bin)
# The browser that the page's tests and benchmark drive.
BROWSER_PACKAGES=(chromium)
# What it takes to look at the window without a desktop.
XVFB_PACKAGES=(xvfb xauth xdotool imagemagick)
# The Windows program cross-built, its installer and zip.
WINDOWS_PACKAGES=(cmake ninja-build g++-mingw-w64-i686 googletest nsis zip unzip)
# Their tests under Wine (32-bit, so the i386 architecture must be known to dpkg first:
# ensure_i386); the window is driven on a virtual display with a window manager, through the
# X11 clipboard.
WINE_TEST_PACKAGES=(wine wine32:i386 python3-pefile xvfb xauth openbox xdotool xclip x11-utils
    imagemagick)

# Whether everything the Windows tests under Wine need is installed.
wine_tests_installed() {
    local package
    for package in "${WINDOWS_PACKAGES[@]}" "${WINE_TEST_PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
            return 1
    done
}

# Installs those of the given Debian packages that are not installed yet.
ensure_packages() {
    local missing=() package
    for package in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$package")
        fi
    done
    ((${#missing[@]} == 0)) && return 0
    local sudo=()
    ((EUID == 0)) || sudo=(sudo)
    echo "Installing ${missing[*]} ..." >&2
    # A mirror caught mid-sync fails one list; the others still serve what they hold.
    "${sudo[@]}" apt-get update -qq </dev/null >&2 ||
        echo "warning: some package lists could not be updated" >&2
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq "${missing[@]}" </dev/null >&2
}

# Lets dpkg install i386 packages beside the machine's own; ensure_packages then updates the
# package lists before installing.
ensure_i386() {
    { dpkg --print-architecture; dpkg --print-foreign-architectures; } | grep -qx i386 && return 0
    local sudo=()
    ((EUID == 0)) || sudo=(sudo)
    echo "Adding the i386 architecture for Wine's 32-bit half ..." >&2
    "${sudo[@]}" dpkg --add-architecture i386
}

# Debian's own Python, for which python3-dev, pybind11-dev and python3-pytest above are
# installed; another python3 first on PATH (pyenv, a virtual environment) may lack them.
CONFIGURE_ARGS=(-DPython3_EXECUTABLE=/usr/bin/python3)

# Configures (once) and builds the given preset, or only the targets named after it, with all
# build output on standard error. Presets are read from the current folder, so both steps
# run in the project's, whatever the caller's is (scripts/cli keeps the caller's, for the
# file names it is given).
build_preset() {
    local preset="$1"
    shift
    local targets=()
    (($# == 0)) || targets=(--target "$@")
    (
        cd "$ROOT"
        if [[ ! -f "build/$preset/build.ninja" ]]; then
            cmake --preset "$preset" "${CONFIGURE_ARGS[@]}" </dev/null >&2
        fi
        cmake --build --preset "$preset" "${targets[@]}" </dev/null >&2
    )
}

# Installs the page's test driver (puppeteer-core, tests/web/package-lock.json) unless it is
# there already as locked.
ensure_browser_driver() {
    local folder="$ROOT/tests/web"
    if [[ "$folder/node_modules/.package-lock.json" -nt "$folder/package-lock.json" ]]; then
        return 0
    fi
    command -v npm >/dev/null || ensure_packages npm
    echo "Installing the page's test driver (npm ci in tests/web) ..." >&2
    (cd "$folder" && npm ci --no-audit --no-fund --loglevel=error </dev/null >&2)
}
