#!/usr/bin/env bash
# The Debian 13 ("trixie") root that the Windows build and its checks run in:
# Qt 6.8 LTS, MinGW-w64 GCC 14, Wine 10, NSIS, and Debian 13's own Qt for the
# Linux program's tests on 6.8. This machine stays a Debian 12 one; only this
# root sees Debian 13's packages.
#
# The root is made once with mmdebstrap from the archive this machine's apt
# sources already name (read from them here; no archive is written into the
# repository), and kept in the cache beside the Qt build
# (${XDG_CACHE_HOME:-~/.cache}/thymara/debian13-<hash>, about 2.5 GB), keyed by
# what shapes it: the suite, the package list and ROOT_FORMAT. Making one
# takes about a minute; keeping it makes a run with nothing changed quick.
# It is made in a scratch folder and renamed into place only when complete,
# so a half-made root is never used; the next run removes the scratch folder.
#
# Commands run in it through `run`: in a mount and PID namespace of their
# own, so every mount (the root itself, read-only; /proc, /dev, /sys; fresh
# /tmp and /run; the repository and the cache, read-write at their own paths)
# and every process started inside (Xvfb, wineserver) ends with the command,
# however it ends, a failing check or a kill included. Nothing is left
# mounted on this machine. Inside, the command runs as the user who called,
# with a fresh home in /tmp. As root it needs nothing more; as anyone else it
# asks sudo for the namespace and the making.
#
# Usage: debian13.sh path               make the root when absent, print it
#        debian13.sh run [--install DEB] COMMAND...
#                                        run COMMAND inside, from the current
#                                        folder (which must be inside the
#                                        repository or the cache); with
#                                        --install, in a throwaway copy of the
#                                        root (an overlay in memory) in which
#                                        the Debian package DEB is installed
#                                        first, as a user installs it
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

SUITE=trixie
# A change here, or to what the making below does, is a new ROOT_FORMAT: the
# root is then made anew beside the old one.
ROOT_FORMAT=3
ROOT_PACKAGES=(
    # the Windows build: the cross compiler, CMake, and the native Qt whose
    # moc, rcc and uic the cross build uses, from the same source as the Qt
    # for Windows built from it
    g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 cmake ninja-build perl python3
    dpkg-dev qt6-base-dev qt6-base-dev-tools
    # the licences step reads the copyright files of the MinGW packages
    python3-debian
    # the Linux program's tests on Qt 6.8
    g++ make libgl-dev libfontconfig-dev fonts-dejavu-core
    # the Windows checks: Wine, a virtual display driven by keys, OCR, the
    # installer and its resources
    wine wine64 xvfb openbox xdotool x11-utils xclip imagemagick unzip
    tesseract-ocr tesseract-ocr-eng nsis icoutils procps
    # the screen reader checks on Debian 13: Orca 48 and the accessibility
    # bus, and what the Debian package made on Debian 12 needs there
    orca python3-pyatspi at-spi2-core dbus-x11 dbus-daemon qt6-wayland
    # releases: Authenticode signatures on the Windows files
    osslsigncode
    # the start-up benchmark of the Windows program and of Qt 6.8, and its
    # instruction counts
    python3-xlib valgrind
)
# Room needed, in MiB: the root itself, and what a Qt build uses beside it.
ROOM_FOR_ROOT=4096

CACHE_ROOT="${THYMARA_QT_CACHE_ROOT:-${XDG_CACHE_HOME:-$HOME/.cache}/thymara}"
SELF="$ROOT/scripts/debian13.sh"

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

root_key() {
    printf '%s\n' "$SUITE" "$ROOT_FORMAT" "${ROOT_PACKAGES[@]}" | sha256sum | cut -c1-10
}

# archive_uris: the main archive and the security archive (when there is one)
# that this machine's apt sources name, a line each.
archive_uris() {
    local main="" security="" uri suites line
    local files=(/etc/apt/sources.list.d/*.sources)
    for file in "${files[@]}"; do
        [ -f "$file" ] || continue
        # deb822 stanzas: a URIs line and a Suites line in each.
        uri=""
        suites=""
        while IFS= read -r line || [ -n "$line" ]; do
            case "$line" in
            URIs:*) uri="$(awk '{print $2}' <<<"$line")" ;;
            Suites:*) suites="${line#Suites:}" ;;
            "")
                [ -n "$uri" ] && pick_uri "$uri" "$suites"
                uri=""
                suites=""
                ;;
            esac
        done <"$file"
        [ -n "$uri" ] && pick_uri "$uri" "$suites"
    done
    if [ -f /etc/apt/sources.list ]; then
        while read -r kind rest; do
            [ "$kind" = deb ] || continue
            # deb [options] URI SUITE COMPONENTS...
            rest="$(sed 's/^\[[^]]*\] *//' <<<"$rest")"
            pick_uri "$(awk '{print $1}' <<<"$rest")" "$(awk '{print $2}' <<<"$rest")"
        done </etc/apt/sources.list
    fi
    [ -n "$main" ] || return 1
    echo "$main"
    [ -z "$security" ] || echo "$security"
}

# pick_uri URI SUITES: keeps URI as the security or the main archive of
# Debian, by the suites it serves. Other archives (a vendor's) do not count.
pick_uri() {
    case "$2" in
    *-security*) [ -n "$security" ] || security="$1" ;;
    *bookworm* | *trixie* | *stable* | *sid*) [ -n "$main" ] || main="$1" ;;
    esac
}

# make_root DIR: the root, made into DIR (which must not exist).
make_root() {
    local dir="$1" uris main security sources=()
    uris="$(archive_uris)" || fail "making the Debian 13 root: this machine's apt sources name no Debian archive"
    main="$(sed -n 1p <<<"$uris")"
    security="$(sed -n 2p <<<"$uris")"
    for kind in deb deb-src; do
        sources+=("$kind $main $SUITE main" "$kind $main $SUITE-updates main")
        [ -z "$security" ] || sources+=("$kind $security $SUITE-security main")
    done
    local packages
    packages="$(IFS=,; echo "${ROOT_PACKAGES[*]}")"
    # The Qt source is fetched with the root, so the native Qt tools and the
    # source of the Windows Qt are always the same version.
    # The version is read by the hook's own shell and handed in whole: the
    # inner shell never sees a \$ of its own to expand.
    local fetch_source='mkdir -p "$1/usr/src/qt6-base" && version="$(chroot "$1" dpkg-query -W -f="\${Version}" qt6-base-dev-tools)" && [ -n "$version" ] && chroot "$1" sh -c "cd /usr/src/qt6-base && apt-get source --download-only -qq qt6-base=$version"'
    # fontconfig's trigger may run before a font package's own script has
    # written its X11 font lists into a font folder, which leaves that folder's
    # system cache stale: every new home would then scan it at its first
    # font lookup. The caches are brought up to date last, as the next
    # package installed on a desktop would.
    local font_cache='chroot "$1" fc-cache --system-only'
    # In a mount namespace of its own: what mmdebstrap mounts inside the
    # root while it installs goes with it, even when it is killed.
    if ! unshare --mount --propagation private mmdebstrap --mode=root --variant=apt --aptopt='Acquire::Retries "3"' \
        --include="$packages" --customize-hook="$fetch_source" --customize-hook="$font_cache" \
        "$SUITE" "$dir" "${sources[@]}" >"$dir.log" 2>&1; then
        # One line for what went wrong, naming the step: mmdebstrap's last
        # "I:" line says which it was in.
        # A full disk may cut the log itself short: the room left tells too.
        local step failed left
        step="$(grep -v '^I: main() received' "$dir.log" | sed -n 's/^I: \(.*[^.]\)\.*$/\1/p' | tail -n 1)"
        left="$(df --output=avail -m "$(dirname "$dir")" | tail -n 1 | tr -d ' ')"
        if ((left < 256)) || grep -qE 'No space left on device|Errno 28' "$dir.log"; then
            echo "making the Debian 13 root: the disk filled while ${step:-starting}; $left MiB free in $(dirname "$dir"), $ROOM_FOR_ROOT MiB needed (log: $dir.log)" >&2
        elif grep -qE 'Failed to fetch|Could not (resolve|connect)|Unable to connect|Temporary failure|Connection (failed|timed out)' "$dir.log"; then
            failed="$main"
            if [ -n "$security" ] && grep -E 'Failed to fetch|Could not|Unable to connect|Temporary failure|Connection' "$dir.log" | grep -qF "${security#*://}"; then
                failed="$security (the security archive)"
            fi
            echo "making the Debian 13 root: the archive $failed cannot be reached while ${step:-starting} (log: $dir.log)" >&2
        else
            echo "making the Debian 13 root: mmdebstrap failed; the last lines of $dir.log:" >&2
            tail -n 15 "$dir.log" >&2
        fi
        return 1
    fi
    chroot "$dir" dpkg-query -W -f='${Package} ${Version}\n' "${ROOT_PACKAGES[@]}" >"$dir/.thymara-root"
}

# ensure_root: prints the root's path, making it first when absent.
ensure_root() {
    local key root scratch
    key="$(root_key)"
    root="$CACHE_ROOT/debian13-$key"
    if [ ! -f "$root/.thymara-root" ]; then
        mkdir -p "$CACHE_ROOT"
        as_root "$SELF" --make "$root" >&2
    fi
    echo "$root"
}

# --make ROOT: runs as root. One making at a time; a second caller waits and
# then uses what the first made.
make_locked() {
    local root="$1" scratch free
    scratch="$(dirname "$root")/.making-$(basename "$root")"
    exec 8>"$root.lock"
    if ! flock -n 8; then
        echo "Waiting for another run that is making the Debian 13 root ($root.lock), at most 15 minutes"
        flock -w 900 8 || fail "making the Debian 13 root: another run has held $root.lock for 15 minutes"
    fi
    [ -f "$root/.thymara-root" ] && return 0
    ensure_packages mmdebstrap
    # A folder with anything mounted below it is never removed.
    if [ -e "$scratch" ] && findmnt -rno TARGET | grep -q "^$scratch/"; then
        fail "making the Debian 13 root: something is still mounted in $scratch; unmount it first"
    fi
    rm -rf "$scratch" "$scratch.log"
    free=$(($(df --output=avail -k "$(dirname "$root")" | tail -1) / 1024))
    ((free >= ROOM_FOR_ROOT)) ||
        fail "making the Debian 13 root: $free MiB free in $(dirname "$root"), $ROOM_FOR_ROOT MiB needed"
    echo "Making the Debian 13 root (about a minute): $root"
    local started=$SECONDS
    make_root "$scratch" || exit 1
    mv -T "$scratch" "$root"
    rm -f "$scratch.log"
    echo "Made the Debian 13 root in $((SECONDS - started)) s ($(du -sh "$root" | cut -f1))"
}

# --enter ROOT CACHE UID:GID DIR DEB NAME=VALUE... -- COMMAND...: runs as root,
# as the first process of a new PID namespace with a private mount namespace
# (see `run`). It mounts what the command needs, installs DEB when it is not
# empty, runs the command as UID:GID in DIR inside the root, and ends with its
# status; the kernel then ends every process left in the namespace, and the
# namespace's mounts go with it.
enter() {
    # The cache comes as an argument: sudo gives root's home, not the caller's.
    local root="$1" user="$3" dir="$4" deb="$5"
    CACHE_ROOT="$2"
    shift 5
    local environment=()
    while [ "$1" != -- ]; do
        environment+=("$1")
        shift
    done
    shift
    # The root stays as it was made: it is mounted read-only, with fresh
    # /tmp, /var/tmp and /run. The repository and the cache are the only
    # places written, at the same paths as outside. A package is installed
    # into a writable layer in memory over it instead, gone with the command.
    local layer=""
    if [ -n "$deb" ]; then
        layer="$(mktemp -d "${TMPDIR:-/tmp}/thymara-layer.XXXXXX")"
        trap 'umount -R -l "$layer" 2>/dev/null; rmdir "$layer"' EXIT
        mount -t tmpfs -o mode=755 tmpfs "$layer"
        mkdir "$layer/upper" "$layer/work" "$layer/root"
        mount -t overlay overlay -o "lowerdir=$root,upperdir=$layer/upper,workdir=$layer/work" "$layer/root"
        root="$layer/root"
    fi
    mkdir -p "$root$ROOT" "$root$CACHE_ROOT"
    mount --bind "$root" "$root"
    [ -n "$deb" ] || mount -o remount,bind,ro "$root"
    mount -t proc proc "$root/proc"
    mount --rbind /dev "$root/dev"
    mount --rbind /sys "$root/sys"
    for scratch in /tmp /var/tmp /run; do mount -t tmpfs -o mode=1777 tmpfs "$root$scratch"; done
    # Once more: a repository or cache in /tmp has its place in the fresh one.
    mkdir -p "$root$ROOT" "$root$CACHE_ROOT"
    mount --bind "$ROOT" "$root$ROOT"
    mount --bind "$CACHE_ROOT" "$root$CACHE_ROOT"
    if [ -n "$deb" ]; then
        echo "Installing $(basename "$deb") in a throwaway copy of the Debian 13 root"
        chroot "$root" /usr/bin/env -i PATH=/usr/bin:/bin:/usr/sbin:/sbin LANG=C.UTF-8 \
            DEBIAN_FRONTEND=noninteractive dpkg -i "$deb" >"$root/tmp/dpkg.log" 2>&1 || {
            echo "debian13.sh: $(basename "$deb") does not install on Debian 13:" >&2
            cat "$root/tmp/dpkg.log" >&2
            exit 1
        }
    fi
    local status=0
    chroot --userspec="$user" "$root" /usr/bin/env -i \
        PATH=/usr/local/bin:/usr/bin:/bin:/usr/sbin:/sbin HOME=/tmp/home USER=thymara \
        XDG_RUNTIME_DIR=/tmp/runtime LANG=C.UTF-8 THYMARA_IN_DEBIAN13=1 \
        THYMARA_QT_CACHE_ROOT="$CACHE_ROOT" "${environment[@]}" \
        /bin/bash -c 'mkdir -p "$HOME" && mkdir -m 700 "$XDG_RUNTIME_DIR" && cd "$0" && exec "$@"' \
        "$dir" "$@" || status=$?
    exit "$status"
}

# run [--install DEB] COMMAND...: COMMAND inside the root; see the head of
# this file.
run_inside() {
    local root pass=() deb=""
    if [ "$1" = --install ]; then
        deb="$(realpath "$2")"
        shift 2
        [ -f "$deb" ] || fail "no package $deb"
        case "$deb" in "$ROOT"/* | "$CACHE_ROOT"/*) ;; *) fail "$deb is neither in $ROOT nor in $CACHE_ROOT" ;; esac
    fi
    root="$(ensure_root)"
    case "$PWD/" in
    "$ROOT"/* | "$CACHE_ROOT"/*) ;;
    *) fail "run from inside $ROOT or $CACHE_ROOT, not $PWD" ;;
    esac
    # What the scripts read from their environment goes in; nothing else of
    # this machine's environment does.
    while IFS= read -r name; do pass+=("$name=${!name}"); done < <(compgen -e | grep -E '^(THYMARA_|CI$|TERM$|WINEDEBUG$|SOURCE_DATE_EPOCH$)' | grep -v '^THYMARA_QT_CACHE_ROOT$' || true)
    # unshare ends the namespace's first process, and with it everything
    # inside, when it ends itself (--kill-child); but it holds off SIGTERM
    # and SIGINT while its child runs. So this script waits for it, and
    # whatever ends this script ends unshare: a signal it can catch kills
    # unshare outright, and SIGKILL reaches it as its parent-death signal.
    # (Through sudo, sudo stands between them: only the caught signals
    # reach it.)
    local command=(unshare --mount --propagation private --pid --fork --kill-child
        "$SELF" --enter "$root" "$CACHE_ROOT" "$(id -u):$(id -g)" "$PWD" "$deb" "${pass[@]}" -- "$@")
    # A command in the background reads from /dev/null unless handed its
    # input, so it gets this script's own, when there is one.
    local child status=0 input
    if ! { exec {input}<&0; } 2>/dev/null; then exec {input}</dev/null; fi
    if [ "$(id -u)" -eq 0 ]; then
        setpriv --pdeathsig KILL "${command[@]}" <&"$input" &
        child=$!
        trap 'kill -KILL "$child" 2>/dev/null; exit 143' TERM INT HUP
    else
        sudo setpriv --pdeathsig KILL "${command[@]}" <&"$input" &
        child=$!
        trap 'sudo pkill -KILL -x unshare -P "$(pgrep -d, -P "$child"),$child" 2>/dev/null; exit 143' TERM INT HUP
    fi
    wait "$child" || status=$?
    trap - TERM INT HUP
    return "$status"
}

case "${1:-}" in
path) ensure_root ;;
run)
    shift
    [ $# -gt 0 ] || fail "usage: debian13.sh run [--install DEB] COMMAND..."
    run_inside "$@"
    ;;
--make) make_locked "$2" ;;
--enter)
    shift
    enter "$@"
    ;;
*) fail "usage: debian13.sh path | run COMMAND..." ;;
esac
