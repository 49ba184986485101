#!/usr/bin/env bash
# Installs the Debian package into a bare Debian 12 (bookworm) root made with debootstrap, as a
# user's apt-get would, and tries it there: every library the programs load is found, the
# installed quillon-cli builds a gallery of the bundled sample pictures, and the installed
# quillon-gallery starts (offscreen) and is still running after a few seconds. Recommended
# packages are left out, so the package's own dependencies must suffice. A dependency
# that only the development machine happens to have fails here.
#
# usage: scripts/deb-check.sh [PACKAGE.deb] [CACHE_DIR]
#   PACKAGE.deb  default: build/package/quillon-gallery_*.deb, made by scripts/package.sh if missing
#   CACHE_DIR    default: /var/tmp/deb-check; the bare root is kept there for the next run
# Needs root. Prints what it does and a last line with the three results; exits 0 when all pass.
set -u
cd "$(dirname "$0")/.."
[ "$(id -u)" -eq 0 ] || { echo "deb-check.sh: needs root (debootstrap, chroot)"; exit 2; }
deb=${1:-}
cache=${2:-/var/tmp/deb-check}
if [ -z "$deb" ]; then
  deb=$(ls build/package/quillon-gallery_*.deb 2>/dev/null | head -n 1)
  if [ -z "$deb" ]; then
    scripts/package.sh >/dev/null || { echo "deb-check.sh: scripts/package.sh failed"; exit 2; }
    deb=$(ls build/package/quillon-gallery_*.deb | head -n 1)
  fi
fi
[ -f "$deb" ] || { echo "deb-check.sh: no package $deb"; exit 2; }
deb=$(cd "$(dirname "$deb")" && pwd)/$(basename "$deb")

mirror=$(sed -n 's/^URIs: *//p' /etc/apt/sources.list.d/debian.sources 2>/dev/null | head -n 1)
[ -n "$mirror" ] || mirror=$(awk '/^deb /{print $2; exit}' /etc/apt/sources.list 2>/dev/null)
[ -n "$mirror" ] || { echo "deb-check.sh: no Debian mirror configured on this machine"; exit 2; }
command -v debootstrap >/dev/null || scripts/deps.sh package

mkdir -p "$cache"
base=$cache/base
if [ ! -x "$base/bin/bash" ]; then
  echo "Making a bare Debian 12 root in $base (about a minute)"
  rm -rf "$base"; mkdir -p "$base"
  debootstrap --variant=minbase bookworm "$base" "$mirror" >"$cache/debootstrap.log" 2>&1 \
    || { echo "deb-check.sh: debootstrap failed: $(tail -n 3 "$cache/debootstrap.log")"; exit 2; }
fi
root=$cache/run
rm -rf "$root"; cp -a "$base" "$root"
cp /etc/resolv.conf "$root/etc/resolv.conf" 2>/dev/null || true
cp "$deb" "$root/tmp/"
mount --bind /proc "$root/proc"; mount --bind /dev "$root/dev"; mount --bind /dev/pts "$root/dev/pts"
trap 'umount "$root/dev/pts" "$root/proc" "$root/dev" 2>/dev/null' EXIT
in_root() {
  chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
    DEBIAN_FRONTEND=noninteractive /bin/bash -c "$1"
}
name=$(basename "$deb")

# Without the recommended packages: what the programs need must be among the dependencies.
echo "--- apt-get install --no-install-recommends ./$name (log: $cache/install.log)"
in_root "apt-get update -qq && apt-get install -y --no-install-recommends ./tmp/$name" >"$cache/install.log" 2>&1
install=$?
grep -E "newly installed|^E:" "$cache/install.log" || tail -n 5 "$cache/install.log"

build=skipped gui=skipped
if [ $install -eq 0 ]; then
  echo "--- libraries the programs load"
  if in_root 'ldd /usr/bin/quillon-cli /usr/bin/quillon-gallery /usr/lib/quillon-gallery/*.so 2>/dev/null | grep "not found"'; then
    echo "missing libraries above"; install=1
  else
    echo "all found"
  fi

  echo "--- quillon-cli: a gallery of the bundled samples (log: $cache/build.log)"
  in_root 'set -e; mkdir -p /root/sample && cd /root/sample
    quillon-cli add sample.tnp /usr/share/quillon-gallery/Samples/*.jpg
    quillon-cli info sample.tnp
    quillon-cli build sample.tnp --dest gallery
    test -s gallery/index.html && test -s gallery/bhome.gif && ls gallery | wc -l' >"$cache/build.log" 2>&1
  build=$?
  tail -n 3 "$cache/build.log"

  echo "--- quillon-gallery, offscreen for 5 s (log: $cache/gui.log)"
  in_root 'cd /root && QT_QPA_PLATFORM=offscreen timeout 5 quillon-gallery /root/sample/sample.tnp' >"$cache/gui.log" 2>&1
  gui=$?
  [ -s "$cache/gui.log" ] && tail -n 5 "$cache/gui.log"
fi

echo "deb-check of $name on a bare Debian 12: apt-get install exit $install, quillon-cli build exit $build, quillon-gallery exit $gui (124: still running after 5 s, so it started)"
[ $install -eq 0 ] && [ "$build" = 0 ] && [ "$gui" = 124 ]
