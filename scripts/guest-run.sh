#!/usr/bin/env bash
# Runs a command in the test guest (see guest-prepare.sh) and returns its
# exit code. The shared folders (default: the repository) appear in the guest
# at the same paths, read-write, and the command starts in the current folder
# when that lies inside one. In the guest, TV2_WINE is the 32-bit Wine and
# scripts/common.sh works as on the host. The guest starts from the prepared
# disk every time; what it writes outside the shared folder is dropped.
#
# usage: guest-run.sh [--timeout SECONDS] [--share DIR]... [--writable] [--] COMMAND [ARG...]
#   --timeout   stop qemu after this long (default 1800) and fail with 124
#   --share     a folder to share instead of the repository (repeatable)
#   --writable  keep what the guest writes to its disk (preparation only)
# Environment: TV2_GUEST_CACHE, TV2_GUEST_MEMORY (MB, 2048), TV2_GUEST_CPUS (2).
# Exit codes: the command's; 124 timed out; 125 the guest ended without one.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
cache=${TV2_GUEST_CACHE:-/var/cache/tovara2/guest}
limit=1800
shares=()
snapshot=on
while [ $# -gt 0 ]; do
  case "$1" in
    --timeout) limit=$2; shift 2 ;;
    --share) shares+=("$(cd "$2" && pwd -P)") || exit 2; shift 2 ;;
    --writable) snapshot=off; shift ;;
    --) shift; break ;;
    -*) echo "guest-run.sh: unknown option $1" >&2; exit 2 ;;
    *) break ;;
  esac
done
[ $# -gt 0 ] || { echo "usage: guest-run.sh [--timeout S] [--share DIR]... [--writable] [--] COMMAND [ARG...]" >&2; exit 2; }
[ ${#shares[@]} -gt 0 ] || shares=("$(cd "$TV2_TOP" && pwd -P)")
for f in vmlinuz initrd.img disk.img; do
  [ -f "$cache/$f" ] || { tv2_log "the guest is not prepared: run scripts/guest-prepare.sh"; exit 125; }
done
command -v qemu-system-x86_64 >/dev/null || { tv2_log "qemu is missing: run scripts/guest-prepare.sh"; exit 125; }

ctl=$(mktemp -d /var/tmp/tv2-guest.XXXXXX)
trap 'rm -rf "$ctl"' EXIT
printf '%s\n' "${shares[@]}" >"$ctl/shares"
cwd=${shares[0]}
for s in "${shares[@]}"; do
  case "$(pwd -P)/" in "$s"/*) cwd=$(pwd -P) ;; esac
done
printf '%s\n' "$cwd" >"$ctl/cwd"
share_args=()
for i in "${!shares[@]}"; do
  share_args+=(-fsdev "local,id=share$i,path=${shares[$i]},security_model=none"
    -device "virtio-9p-pci,fsdev=share$i,mount_tag=tv2share$i")
done
{
  echo "export WINEDEBUG=${WINEDEBUG:--all}${TV2_GUEST_ENV:+ $TV2_GUEST_ENV}"
  printf '%q ' "$@"
  echo
} >"$ctl/command.sh"

started=$(date +%s)
# -cpu max, but without SMAP: with it, every 32-bit Wine process crashes the
# guest's kernel under the software CPU.
timeout -k 10 "$limit" qemu-system-x86_64 \
  -machine pc -accel tcg,thread=multi -cpu max,smap=off \
  -smp "${TV2_GUEST_CPUS:-2}" -m "${TV2_GUEST_MEMORY:-2048}" \
  -nodefaults -no-user-config -display none -no-reboot -nic none \
  -kernel "$cache/vmlinuz" -initrd "$cache/initrd.img" \
  -append "console=ttyS0 quiet loglevel=3 panic=-1 rw" \
  -drive "file=$cache/disk.img,format=raw,if=virtio,cache=unsafe,snapshot=$snapshot" \
  -fsdev "local,id=ctl,path=$ctl,security_model=none" -device virtio-9p-pci,fsdev=ctl,mount_tag=tv2ctl \
  "${share_args[@]}" \
  -chardev stdio,id=console,signal=off -serial chardev:console </dev/null
qemu_rc=$?
elapsed=$(( $(date +%s) - started ))
if [ $qemu_rc -eq 124 ] || [ $qemu_rc -eq 137 ]; then
  tv2_log "guest: no result within $limit s; qemu was stopped"
  exit 124
fi
if [ ! -s "$ctl/rc" ]; then
  tv2_log "guest: ended after $elapsed s without the command's exit code (qemu exit code $qemu_rc; its console is above)"
  exit 125
fi
rc=$(cat "$ctl/rc")
tv2_log "guest: command exited with $rc after $elapsed s (boot included)"
exit "$rc"
