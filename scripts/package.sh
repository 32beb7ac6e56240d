#!/usr/bin/env bash
# Builds the Debian package into build-package/ and checks it with lintian; any error fails.
#
#   scripts/package.sh [--check-root] [--jobs N]
#
# --check-root then installs the package with apt-get into a clean Debian 12 root (a minimal
# bookworm made by debootstrap, kept as a tarball in $KEYSTOW_ROOT_CACHE, by default
# debroot-cache beside the repository) and starts both programs there. Needs root and the
# network; every check starts from a fresh copy of the cached root.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)

check_root=0
jobs=2
while [ $# -gt 0 ]; do
    case $1 in
    --check-root) check_root=1 ;;
    --jobs) jobs=$2; shift ;;
    -h | --help) sed -n '2,9s/^# \{0,1\}//p' "$0"; exit 0 ;;
    *) echo "package.sh: unknown option $1" >&2; exit 1 ;;
    esac
    shift
done

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

# What the build needs, then what packaging and checking need.
scripts/deps.sh
tools=(lintian fakeroot dpkg-dev file)
[ $check_root -eq 0 ] || tools+=(debootstrap)
missing=()
for p in "${tools[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update -qq
    $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null
fi

# Debian's hardening flags, as a package built by the Debian tools would have them. The About
# box shows the build date: taken from the last commit, so that a rebuild gives the same files.
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || date +%s)}
build="build-package"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS) -Wno-date-time"
ldflags=$(dpkg-buildflags --get LDFLAGS)
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DKEYSTOW_TESTS=OFF "${launcher[@]}" -DCMAKE_CXX_FLAGS="$cxxflags" \
    -DCMAKE_EXE_LINKER_FLAGS="$ldflags" -DCMAKE_MODULE_LINKER_FLAGS="$ldflags" >/dev/null
cmake --build "$build" -j "$jobs"
rm -f "$build"/keystow_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/keystow_*.deb)
echo "Package: $deb"
dpkg-deb --field "$deb"

echo "lintian:"
lintian --fail-on error --display-info "$deb" || { echo "package.sh: lintian reports errors" >&2; exit 1; }
echo "lintian: no errors"

[ $check_root -eq 1 ] || exit 0

# A clean Debian 12 root from the cached tarball; the downloaded packages are cached as well.
cache=${KEYSTOW_ROOT_CACHE:-$(dirname "$repo")/debroot-cache}
tarball=$cache/bookworm-minbase.tar
mirror=${KEYSTOW_MIRROR:-http://deb.debian.org/debian}
mkdir -p "$cache/archives/partial"
if [ ! -f "$tarball" ]; then
    echo "Making a minimal Debian 12 root (once) into $tarball"
    rm -rf "$cache/bootstrap"
    $sudo debootstrap --variant=minbase bookworm "$cache/bootstrap" "$mirror" >"$cache/debootstrap.log"
    $sudo tar -C "$cache/bootstrap" -cf "$tarball.part" .
    mv "$tarball.part" "$tarball"
    $sudo rm -rf "$cache/bootstrap"
fi
root=$(mktemp -d /tmp/keystow-root.XXXXXX)
mounted=()
cleanup() {
    local m
    for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
        m=${mounted[i]}
        $sudo umount "$m" 2>/dev/null || $sudo umount -l "$m" 2>/dev/null || true
    done
    # Only once nothing is mounted below it.
    if ! grep -q " $root/" /proc/mounts; then $sudo rm -rf "$root"; fi
}
trap cleanup EXIT
$sudo tar -C "$root" -xf "$tarball"
for m in proc sys dev; do
    $sudo mount --bind "/$m" "$root/$m"
    mounted+=("$root/$m")
done
$sudo mount --bind "$cache/archives" "$root/var/cache/apt/archives"
mounted+=("$root/var/cache/apt/archives")
$sudo cp /etc/resolv.conf "$root/etc/resolv.conf"
$sudo cp "$deb" "$root/tmp/"
name=$(basename "$deb")

echo "Installing $name into a clean Debian 12 root"
in_root() { $sudo chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root \
    LANG=C.UTF-8 DEBIAN_FRONTEND=noninteractive "$@"; }
in_root apt-get update -qq
# What a desktop has that reads our files: the MIME and desktop databases, xdg-mime, man.
in_root apt-get install -y -qq --no-install-recommends shared-mime-info desktop-file-utils \
    xdg-utils man-db </dev/null >"$cache/install.log" 2>&1 || { tail -20 "$cache/install.log"; exit 1; }
in_root bash -c "cd /tmp && apt-get install -y -qq --no-install-recommends ./$name" </dev/null \
    >>"$cache/install.log" 2>&1 || { tail -20 "$cache/install.log"; exit 1; }
echo "Installed; starting the programs"
in_root env QT_QPA_PLATFORM=offscreen keystow --version
in_root keystow-cli --help | head -3
# A document made and read back by the installed keystow-cli.
in_root bash -c 'echo "written in the clean root" |
    KEYSTOW_PASSWORD=check keystow-cli encrypt - /tmp/check.etx &&
    KEYSTOW_PASSWORD=check keystow-cli decrypt /tmp/check.etx' | grep -qx "written in the clean root"
echo "keystow-cli encrypts and decrypts in the clean root"
# The files the desktop reads are where it looks for them.
for f in /usr/share/applications/org.keystow.Editor.desktop \
    /usr/share/mime/packages/keystow-editor.xml /usr/share/man/man1/keystow-cli.1.gz; do
    in_root test -f "$f" || { echo "package.sh: $f is missing in the root" >&2; exit 1; }
done
for type in application/x-keystow-etx application/x-keystow-ksw; do
    default=$(in_root xdg-mime query default "$type")
    [ "$default" = org.keystow.Editor.desktop ] ||
        { echo "package.sh: xdg-mime names \"$default\" for $type" >&2; exit 1; }
done
echo "xdg-mime names org.keystow.Editor.desktop for both file types"
in_root grep -q "application/x-keystow-etx" /usr/share/mime/globs2 ||
    { echo "package.sh: the MIME database lacks our types" >&2; exit 1; }
in_root env MANWIDTH=80 man keystow-cli 2>&1 | grep -q "^EXIT STATUS" ||
    { echo "package.sh: man keystow-cli does not show the manual" >&2; exit 1; }
echo "man keystow-cli shows the manual"
echo "check-root: passed"
