#!/usr/bin/env bash
# Builds Qt for 64-bit Windows (MinGW-w64) from Debian 13's own qt6-base
# source (Qt 6.8 LTS) with Debian 13's MinGW-w64 GCC 14, once per machine, into
# a cache outside the repository, and prints its path. It runs inside the
# Debian 13 root (scripts/debian13.sh), entering it when called from
# outside; the root holds the source of exactly the version of its native Qt,
# whose moc, rcc and uic the cross builds use.
#
# The cache directory is named after the Qt version and a hash of everything
# that shapes the result (configure options, toolchain file, compiler
# version), so a change to any of them builds a new one beside the old. The
# build happens in a scratch directory and is renamed into place only when
# it has installed completely: a build that fails or is stopped at any step is
# never taken for a cache. Every step runs in a bash of its own with -e in
# force (a step's failure ends the build), never in a subshell on the left
# of `||`, where -e is off. Qt's generated CMake files record absolute paths, so a cache copied
# to another machine must be restored to the same path.
#
# Usage: build-qt.sh            build when absent, print the prefix
#        build-qt.sh --print    print the prefix only (exit 1 when absent)
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
if [ -z "${THYMARA_IN_DEBIAN13:-}" ]; then
    exec "$ROOT/scripts/debian13.sh" run "${BASH_SOURCE[0]}" "$@"
fi
TOOLCHAIN="$ROOT/cmake/mingw-w64-x86_64.cmake"
CACHE_ROOT="${THYMARA_QT_CACHE_ROOT:-${XDG_CACHE_HOME:-$HOME/.cache}/thymara}"
JOBS="${THYMARA_JOBS:-$(nproc)}"

# The native Qt supplies moc, rcc and uic to the cross build, so the Windows
# Qt is built from exactly the source version of the native one.
QT_DEB_VERSION="$(dpkg-query -W -f='${Version}' qt6-base-dev-tools)"
QT_VERSION="${QT_DEB_VERSION%%+*}"

# Built for size: -Os, and what Thymara and its tests do not use is switched
# off. No network, SQL, OpenGL, D-Bus, printing or XML. Debian's source lacks
# src/3rdparty/wintab, so tablet events go too. Debian patches androiddeployqt
# on for cross builds; it has no place here. direct2d stays on: the windows
# platform plugin needs the DirectWrite font code that only builds with it.
# Qt 6.8's hardening (stack protector, stack-clash protection, CET, pattern
# initialised automatic variables) stays on, whatever it costs in size. Images: PNG (built into QtGui) and ICO; the bundled zlib, pcre2,
# libpng, harfbuzz and freetype (the offscreen platform of the tests reads
# fonts with it).
#
# Kept on purpose, because the program or its tests use them: the Fusion and
# Windows styles, accessibility, the HTML and CSS text parsers, the widgets
# behind the forms (combo box with its list view, line and plain text edits,
# menus, message box, group box, radio buttons) and what their behaviour
# rests on (clipboard, drag and drop, context menus, shortcuts, tooltips,
# validators), processes, regular expressions and temporary files. A feature
# cut that the sources still need shows as a compile error of the program or
# a test, not at run time.
QT_OPTIONS=(
    -release -shared -optimize-size
    -nomake examples -nomake tests
    -no-opengl -no-dbus -no-icu -no-zstd -no-glib
    -qt-zlib -qt-pcre -qt-libpng -qt-harfbuzz -qt-freetype
    -no-feature-network -no-feature-sql -no-feature-printsupport
    -no-feature-xml -no-feature-concurrent -no-feature-tabletevent
    -no-feature-androiddeployqt -no-feature-vulkan
    -no-feature-jpeg -no-feature-gif
    # dialogs other than the message box
    -no-feature-colordialog -no-feature-filedialog -no-feature-fontdialog
    -no-feature-inputdialog -no-feature-progressdialog -no-feature-errormessage
    -no-feature-wizard
    # item views and item widgets (the combo box keeps its list view)
    -no-feature-treeview -no-feature-tableview -no-feature-columnview
    -no-feature-listwidget -no-feature-treewidget -no-feature-tablewidget
    -no-feature-datawidgetmapper -no-feature-undoview -no-feature-completer
    -no-feature-fscompleter -no-feature-filesystemmodel
    # widgets no window has
    -no-feature-graphicsview -no-feature-graphicseffect -no-feature-mdiarea
    -no-feature-dockwidget -no-feature-toolbox -no-feature-tabbar
    -no-feature-tabwidget -no-feature-calendarwidget -no-feature-datetimeedit
    -no-feature-spinbox -no-feature-dial -no-feature-lcdnumber
    -no-feature-progressbar -no-feature-splashscreen -no-feature-splitter
    -no-feature-textbrowser -no-feature-syntaxhighlighter
    -no-feature-commandlinkbutton -no-feature-fontcombobox
    -no-feature-keysequenceedit -no-feature-formlayout
    -no-feature-style-stylesheet -no-feature-style-windowsvista
    # formats and services
    -no-feature-textodfwriter -no-feature-textmarkdownreader
    -no-feature-textmarkdownwriter -no-feature-pdf -no-feature-movie
    -no-feature-picture -no-feature-systemtrayicon -no-feature-mimetype-database
    -no-feature-undocommand -no-feature-undostack -no-feature-undogroup
    # new since 6.4, or cut since: the Windows 11 style, permission requests,
    # shared memory and semaphores between processes, proxy and string list
    # models, and widgets and help no window has
    -no-feature-style-windows11 -no-feature-permissions -no-feature-sharedmemory
    -no-feature-systemsemaphore -no-feature-identityproxymodel
    -no-feature-sortfilterproxymodel -no-feature-transposeproxymodel
    -no-feature-concatenatetablesproxymodel -no-feature-stringlistmodel
    -no-feature-whatsthis -no-feature-statusbar -no-feature-sizegrip
    -no-feature-rubberband -no-feature-gestures
    -no-feature-imageformat_ppm -no-feature-imageformat_xbm
)
# No link-time optimisation (-ltcg): with Qt's -Wa,-mbig-obj for MinGW, GCC
# 14 and binutils 2.44 link DLLs without code (the linker cannot read LTO
# objects in the big-object format); without that flag, GCC 14.2 stops with an
# internal compiler error in the LTO link of Qt6Core (qtimezone.cpp).
#
# The C++ runtime (libstdc++, libgcc, winpthread) is linked into each Qt DLL,
# so none ships as a DLL of its own. Qt's -static-runtime refuses a shared
# build; these flags reach CMake directly.
QT_CMAKE_OPTIONS=(
    -DCMAKE_SHARED_LINKER_FLAGS=-static
    -DCMAKE_MODULE_LINKER_FLAGS=-static
    -DCMAKE_EXE_LINKER_FLAGS=-static
)

# A change to how build_steps builds, beyond the options above, is a new
# QT_BUILD_FORMAT: the build is then made anew beside the old one.
# 2: reproducible (the source's own date, no build folder in the files).
QT_BUILD_FORMAT=2
MINGW_CXX=x86_64-w64-mingw32-g++-posix
key_material() {
    printf '%s\n' "$QT_DEB_VERSION" "$QT_BUILD_FORMAT" "${QT_OPTIONS[@]}" "${QT_CMAKE_OPTIONS[@]}"
    "$MINGW_CXX" -dumpfullversion
    cat "$TOOLCHAIN"
}

command -v "$MINGW_CXX" >/dev/null || { echo "no $MINGW_CXX in the Debian 13 root" >&2; exit 1; }
# The source that came with the root: the version of its native Qt.
SOURCE_DSC="/usr/src/qt6-base/qt6-base_${QT_DEB_VERSION#*:}.dsc"
[ -f "$SOURCE_DSC" ] || { echo "the Debian 13 root holds no $SOURCE_DSC" >&2; exit 1; }
KEY="$(key_material | sha256sum | cut -c1-10)"
PREFIX="$CACHE_ROOT/qt-$QT_VERSION-mingw64-$KEY"
SCRATCH="$CACHE_ROOT/.building-qt-$QT_VERSION-mingw64-$KEY"

# The build itself, from unpacking the source to the staged install with its
# notices. It runs as `build-qt.sh --steps`, a bash of its own, so that -e
# ends it at the first step that fails.
build_steps() {
    cd "$SCRATCH"
    dpkg-source --no-check -x "$SOURCE_DSC" source
    # The same source gives the same DLLs: every time stamp the tools write
    # (the linker's in each PE header, rcc's) is the source's own date, and
    # the build folder is named by no file.
    SOURCE_DATE_EPOCH="$(dpkg-parsechangelog -l source/debian/changelog -STimestamp)"
    export SOURCE_DATE_EPOCH
    local map="-ffile-prefix-map=$SCRATCH/source=."
    cd source
    mkdir build
    cd build
    ../configure -prefix "$PREFIX" -xplatform win32-g++ -qt-host-path /usr \
        "${QT_OPTIONS[@]}" -- \
        -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" \
        -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        "-DCMAKE_C_FLAGS=$map" "-DCMAKE_CXX_FLAGS=$map" \
        "${QT_CMAKE_OPTIONS[@]}"
    cmake --build . --parallel "$JOBS"
    DESTDIR="$SCRATCH/stage" cmake --install .
    # What ships with the program has to carry its licences: Qt's own, the
    # attribution and licence files of the third-party code in the source,
    # Debian's copyright file for the whole source, and the configure summary
    # that says which bundled copies this build used.
    notices="$SCRATCH/stage$PREFIX/share/thymara-notices"
    mkdir -p "$notices/source"
    cp config.summary "$notices/"
    cp ../debian/copyright "$notices/debian-copyright"
    # Every attribution, also those of the modules themselves, and the licence
    # files they name, spelt either way (pcre2's LICENCE, sha3's BRG_ENDIAN_LICENSE).
    (cd .. && find . -maxdepth 1 -name 'LICENSE*' -print0 &&
        find src -type f \( -name 'qt_attribution.json' -o -iname '*LICEN[CS]E*' \
            -o -path '*3rdparty*' \( -iname 'COPYING*' -o -iname 'NOTICE*' \) \) -print0) |
        (cd .. && tar --null -T - -cf -) | tar -xf - -C "$notices/source"
    if [ -d ../LICENSES ]; then cp -r ../LICENSES "$notices/source/"; fi
}
if [ "${1:-}" = --steps ]; then
    build_steps
    exit 0
fi

if [ -f "$PREFIX/lib/cmake/Qt6/Qt6Config.cmake" ]; then
    echo "$PREFIX"
    exit 0
fi
[ "${1:-}" = "--print" ] && exit 1

mkdir -p "$CACHE_ROOT"

# One build per key at a time; a second caller waits and then reuses it.
exec 9>"$CACHE_ROOT/.qt-$KEY.lock"
# Bounded: a build that holds the lock longer than this has hung.
flock -w 5400 9 || { echo "another Qt build holds $CACHE_ROOT/.qt-$KEY.lock" >&2; exit 1; }
if [ -f "$PREFIX/lib/cmake/Qt6/Qt6Config.cmake" ]; then
    echo "$PREFIX"
    exit 0
fi

export SCRATCH
rm -rf "$SCRATCH"
# The source, the build tree and the install take about 5 GiB.
free=$(($(df --output=avail -k "$CACHE_ROOT" | tail -1) / 1024))
((free >= 5120)) || { echo "building Qt for Windows: $free MiB free in $CACHE_ROOT, 5120 MiB needed" >&2; exit 1; }
mkdir -p "$SCRATCH"
start=$(date +%s)
{
    echo "Building Qt $QT_VERSION for Windows (MinGW-w64) into $PREFIX"
    echo "This happens once per machine; it takes about 20 minutes on 2 quiet cores, longer beside other builds."
    echo "Log: $SCRATCH/build.log"
} >&2

"$BASH" "${BASH_SOURCE[0]}" --steps >"$SCRATCH/build.log" 2>&1 || {
    echo "Qt build failed; the last lines of $SCRATCH/build.log:" >&2
    tail -n 40 "$SCRATCH/build.log" >&2
    exit 1
}

elapsed=$(($(date +%s) - start))
{
    echo "qt6-base $QT_DEB_VERSION (Debian source), built $(date -u +%Y-%m-%dT%H:%M:%SZ)"
    echo "compiler: $MINGW_CXX $("$MINGW_CXX" -dumpfullversion)"
    echo "options: ${QT_OPTIONS[*]} -- ${QT_CMAKE_OPTIONS[*]}"
    echo "build time: ${elapsed} s with $JOBS jobs"
} >"$SCRATCH/stage$PREFIX/thymara-qt-build.txt"
mv -T "$SCRATCH/stage$PREFIX" "$PREFIX"
rm -rf "$SCRATCH"
echo "Qt for Windows built in ${elapsed} s ($(du -sh "$PREFIX" | cut -f1)): $PREFIX" >&2
echo "$PREFIX"
