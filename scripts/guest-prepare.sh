#!/usr/bin/env bash
# Prepares the test guest: a Debian bookworm amd64 system whose kernel runs
# 32-bit programs, with 32-bit Wine, booted under qemu's software CPU (our
# machines cannot execute 32-bit code themselves). Everything comes from
# Debian's packages, through the apt mirror this machine is configured with.
#
# Idempotent: each step leaves a stamp with a hash of what it was made from
# (scripts/guest/ and the step's own recipe) and is skipped while that still
# matches; a changed package list remakes everything, a changed init only the
# initramfs. Cache: $TV2_GUEST_CACHE (default /var/cache/tovara2/guest), about
# 4 GB. Run as root.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
cache=${TV2_GUEST_CACHE:-/var/cache/tovara2/guest}
guest_dir=$TV2_TOP/scripts/guest
root=$cache/root

hash_of() { sha256sum | cut -c1-16; }
stamp_ok() { [ -f "$cache/$1.stamp" ] && [ "$(cat "$cache/$1.stamp")" = "$2" ]; }

# The Debian archive this machine installs from: the first source for
# bookworm in apt's one-line or deb822 lists.
debian_mirror() {
  {
    awk '$1 == "deb" { i = 2; if ($2 ~ /^\[/) { while ($i !~ /\]$/) i++; i++ }
                       if ($(i + 1) == "bookworm") print $i }' \
      /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null
    awk 'BEGIN { RS = ""; FS = "\n" }
         { uri = ""; ok = 0
           for (j = 1; j <= NF; j++) {
             if ($j ~ /^URIs:/) { split($j, a, /[ \t]+/); uri = a[2] }
             if ($j ~ /^Suites:/ && $j ~ /[ \t]bookworm([ \t]|$)/) ok = 1
           }
           if (ok && uri != "") print uri }' /etc/apt/sources.list.d/*.sources 2>/dev/null
  } | head -1
}

unmount_root() {
  local m
  for m in dev/pts dev proc sys; do
    mountpoint -q "$root/$m" 2>/dev/null && umount -l "$root/$m"
  done
  return 0
}

in_root() { chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
  DEBIAN_FRONTEND=noninteractive "$@"; }

# The system tree: debootstrap, then the packages of scripts/guest/packages.
make_root() {
  local mirror packages
  mirror=$(debian_mirror)
  [ -n "$mirror" ] || { tv2_log "no Debian bookworm source in /etc/apt/sources.list*"; return 1; }
  packages=$(sed 's/#.*//' "$guest_dir/packages" | xargs)
  unmount_root
  rm -rf "$root" "$cache/root.stamp"
  mkdir -p "$root"
  tv2_log "guest: debootstrap bookworm (minbase)"
  debootstrap --variant=minbase bookworm "$root" "$mirror" >"$cache/debootstrap.log" 2>&1 ||
    { tail -20 "$cache/debootstrap.log" >&2; return 1; }
  printf 'deb %s bookworm main\n' "$mirror" >"$root/etc/apt/sources.list"
  # The initramfs is ours (see make_initramfs); Debian's would only cost time.
  in_root dpkg-divert --local --rename --add /usr/sbin/update-initramfs >/dev/null &&
    ln -sf /bin/true "$root/usr/sbin/update-initramfs" || return 1
  printf 'do_symlinks = no\nlink_in_boot = no\n' >"$root/etc/kernel-img.conf"
  mount -t proc proc "$root/proc" && mount --bind /dev "$root/dev" && mount --bind /dev/pts "$root/dev/pts" &&
    mount -t sysfs sysfs "$root/sys" || { unmount_root; return 1; }
  tv2_log "guest: installing $packages"
  {
    in_root dpkg --add-architecture i386 &&
      in_root apt-get update &&
      in_root apt-get install -y --no-install-recommends $packages &&
      in_root apt-get clean
  } >"$cache/packages.log" 2>&1
  local rc=$?
  unmount_root
  [ $rc -eq 0 ] || { tail -20 "$cache/packages.log" >&2; return 1; }
  rm -rf "$root"/usr/share/doc/* "$root"/usr/share/man/* "$root"/var/lib/apt/lists/*
  mkdir -p "$root/var/cache/tovara2"
}

# The kernel and a busybox initramfs with the drivers of the disk and the
# guest's init.
make_initramfs() {
  local kver dir deps
  kver=$(ls "$root/lib/modules" | sort -V | tail -1)
  [ -n "$kver" ] || { tv2_log "guest: no kernel in $root"; return 1; }
  deps=$root/lib/modules/$kver/modules.dep
  dir=$(mktemp -d /var/tmp/tv2-initramfs.XXXXXX)
  mkdir -p "$dir/bin" "$dir/modules" "$dir/proc" "$dir/sys" "$dir/dev"
  cp "$root/bin/busybox" "$dir/bin/busybox"
  cp "$guest_dir/initramfs-init" "$dir/init"
  cp "$guest_dir/init" "$dir/init-guest"
  chmod 755 "$dir/init" "$dir/init-guest"
  # Each module after the modules it needs.
  declare -A seen=()
  local order=()
  add_module() {
    [ -n "${seen[$1]:-}" ] && return
    seen[$1]=1
    local d
    for d in $(awk -v m="$1" -F': *' '$1 == m { print $2 }' "$deps"); do add_module "$d"; done
    order+=("$1")
  }
  local name path
  for name in virtio_pci virtio_blk crc32c_generic ext4; do
    path=$(grep -oE "^[^:]*/$name\.ko[^:]*" "$deps" | head -1)
    if [ -n "$path" ]; then
      add_module "$path"
    elif ! grep -q "/$name\.ko" "$root/lib/modules/$kver/modules.builtin"; then
      tv2_log "guest: kernel module $name not found"
      rm -rf "$dir"
      return 1
    fi
  done
  for path in "${order[@]}"; do
    cp "$root/lib/modules/$kver/$path" "$dir/modules/"
    basename "$path" >>"$dir/modules/order"
  done
  cp "$root/boot/vmlinuz-$kver" "$cache/vmlinuz" &&
    (cd "$dir" && find . | cpio -o -H newc --quiet | gzip -1) >"$cache/initrd.img"
  local rc=$?
  rm -rf "$dir"
  return $rc
}

# The disk: the tree as an ext4 image, then one boot that makes the 32-bit
# Wine prefix the tests use (the test runs boot it read-only: each starts
# from the same state).
make_disk() {
  local size
  size=$(( $(du -sm "$root" | cut -f1) + 1536 ))
  rm -f "$cache/disk.img" "$cache/disk.stamp"
  tv2_log "guest: making the disk (${size} MB)"
  mkfs.ext4 -q -F -L tv2root -d "$root" "$cache/disk.img" "${size}M" || return 1
  tv2_log "guest: first boot: making the Wine prefix"
  TV2_GUEST_CACHE=$cache "$TV2_TOP/scripts/guest-run.sh" --writable --timeout 900 -- bash -c '
    export WINEARCH=win32
    source "$1/scripts/common.sh"
    tv2_start_services && "$TV2_WINE" reg query "HKCU\\Software\\Wine\\X11 Driver" /v Managed || exit 1
    tv2_stop_services
    "$TV2_WINESERVER" -w
    test -f "$WINEPREFIX/system.reg"' _ "$TV2_TOP" >"$cache/firstboot.log" 2>&1 ||
    { tail -30 "$cache/firstboot.log" >&2; return 1; }
}

tv2_install_guest_tools || exit 1
mkdir -p "$cache"
exec 9>"$cache/.lock"
flock 9

root_hash=$( { cat "$guest_dir/packages"; declare -f debian_mirror make_root; } | hash_of)
initramfs_hash=$( { echo "$root_hash"; cat "$guest_dir/init" "$guest_dir/initramfs-init"; declare -f make_initramfs; } | hash_of)
disk_hash=$( { echo "$root_hash"; declare -f make_disk; } | hash_of)

if stamp_ok root "$root_hash" && stamp_ok initramfs "$initramfs_hash" && stamp_ok disk "$disk_hash"; then
  tv2_log "guest: ready ($cache)"
  exit 0
fi
started=$(date +%s)
trap unmount_root EXIT
if ! stamp_ok root "$root_hash"; then
  rm -f "$cache/disk.stamp" "$cache/initramfs.stamp"
  make_root || { tv2_log "guest: preparing the system failed (logs in $cache)"; exit 1; }
  echo "$root_hash" >"$cache/root.stamp"
fi
if ! stamp_ok initramfs "$initramfs_hash"; then
  make_initramfs || { tv2_log "guest: making the initramfs failed"; exit 1; }
  echo "$initramfs_hash" >"$cache/initramfs.stamp"
fi
if ! stamp_ok disk "$disk_hash"; then
  make_disk || { tv2_log "guest: making the disk failed (logs in $cache)"; exit 1; }
  echo "$disk_hash" >"$cache/disk.stamp"
fi
tv2_log "guest: prepared in $(( $(date +%s) - started )) s ($cache, $(du -sh "$cache" | cut -f1))"
