#!/usr/bin/env bash
# Builds the Debian package and installs it the way a user would, with apt-get, into a fresh
# Debian 12 root made by debootstrap; then runs `lumivane --version` and `lumivane-snapshot`
# there. Needs root (chroot), debootstrap and the Debian mirror; takes a few minutes.
#   scripts/test_package.sh [build-folder]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
mirror="${LUMIVANE_DEBIAN_MIRROR:-http://deb.debian.org/debian}"
(cd "$build" && cpack -G DEB > cpack.log)
deb="$(ls -t "$build"/lumivane_*_amd64.deb | head -1)"
root="$(mktemp -d /tmp/lumivane-debian-root-XXXXXX)"
cleanup() {
  for m in proc dev/pts dev; do umount "$root/$m" 2>/dev/null || true; done
  rm -rf "$root"
}
trap cleanup EXIT
echo "== A fresh Debian 12 root in $root"
debootstrap --variant=minbase bookworm "$root" "$mirror" > "$root.debootstrap.log" 2>&1 \
  || { tail -20 "$root.debootstrap.log"; exit 1; }
mount --bind /dev "$root/dev"
mount --bind /dev/pts "$root/dev/pts"
mount -t proc proc "$root/proc"
cp "$deb" "$root/tmp/"
echo "== apt-get install ./$(basename "$deb")"
chroot "$root" apt-get update -q > "$root.apt.log" 2>&1 || { tail -20 "$root.apt.log"; exit 1; }
chroot "$root" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "./tmp/$(basename "$deb")" >> "$root.apt.log" 2>&1 \
  || { tail -20 "$root.apt.log"; exit 1; }
echo "== Using it"
version="$(chroot "$root" lumivane --version)"
[ "$version" = "Lumivane 1.31" ] || { echo "lumivane --version said: $version"; exit 1; }
chroot "$root" env HOME=/root lumivane-snapshot --date 2026-08-10 --set FrameSizeNo=6 --set EdgeFlg=0 \
  --pointer 173,160 --balloon /tmp/balloon.png /tmp/window.png
[ -s "$root/tmp/window.png" ] && [ -s "$root/tmp/balloon.png" ] || { echo "no pictures"; exit 1; }
echo "== The package installs and runs in a fresh Debian 12: $version"
