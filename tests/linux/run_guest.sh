#!/usr/bin/env bash
# Boots a QEMU guest described by GUEST (a .guest file) with Debian's kernel
# and busybox from CACHE, the static PORTDUMP, DECODE and LIST in its initramfs.
# The guest runs portdump-list as root and as nobody (list-root.out, list-nobody.out in WORK),
# then `portdump N` for each of the guest's runs (HOW:N as the .guest file
# says) and prints each output, and portdump-decode's report of it,
# between markers, then powers off.
# WORK receives transcript.txt, N.out and N.txt for each run, and the time
# the guest took.
# usage: run_guest.sh GUEST CACHE WORK PORTDUMP DECODE LIST
set -euo pipefail
guest=$1 cache=$2 work=$3 portdump=$4 decode=$5 list=$6
source "$guest"
root=$cache/$arch/root
# No output of an earlier boot may be judged.
rm -rf "$work"
# Where they could not be fetched (77, as the fetch), the guest is skipped;
# under ./test-all that is a failure.
skip=77
[ -n "${PORTDUMP_TESTS_REQUIRED:-}" ] && skip=1
[ -f "$cache/$arch/ready" ] || { echo "no guest packages in $cache/$arch" >&2; exit $skip; }
kernel_file=$(echo $root/$kernel)
# The release of the kernel the fetch unpacked, never the host's.
release=$(cat "$cache/$arch/ready")
moddir=$root/lib/modules/$release
[ -d "$moddir" ] || { echo "no modules of kernel $release in $root" >&2; exit 1; }
[ -f "$moddir/modules.dep" ] || busybox depmod -b "$root" "$release"

mkdir -p "$work/initramfs/bin" "$work/initramfs/lib/modules" "$work/initramfs/proc" "$work/initramfs/sys" \
         "$work/initramfs/dev" "$work/initramfs/tmp"
initramfs=$work/initramfs
cp "$root/bin/busybox" "$initramfs/bin/busybox"
cp "$portdump" "$initramfs/bin/portdump"
cp "$decode" "$initramfs/bin/portdump-decode"
cp "$list" "$initramfs/bin/portdump-list"

# The modules in load order: each one's dependencies (from modules.dep) first.
# Debian 13 compresses them with xz, which busybox's insmod cannot read: they
# go into the initramfs uncompressed.
declare -A loaded=()
insmods=""
load() {
  local name=$1 params=$2 path file deps dep
  path=$(awk -F: -v m="/$name.ko" '{ p = $1; sub(/\.xz$/, "", p) } substr(p, length(p) - length(m) + 1) == m { print $1; exit }' \
         "$moddir/modules.dep")
  [ -n "$path" ] || { echo "module $name not found in $moddir" >&2; exit 1; }
  [ -z "${loaded[$path]:-}" ] || return 0
  deps=$(awk -F: -v p="$path" '$1 == p { print $2; exit }' "$moddir/modules.dep")
  for dep in $deps; do
    dep=${dep##*/}
    dep=${dep%.xz}
    load "${dep%.ko}" ""
  done
  loaded[$path]=1
  file=$(basename "$path" .xz)
  if [ "$file" != "$(basename "$path")" ]; then
    busybox unxz -c "$moddir/$path" >"$initramfs/lib/modules/$file"
  else
    cp "$moddir/$path" "$initramfs/lib/modules/"
  fi
  insmods+="insmod /lib/modules/$file $params"$'\n'
}
for module in "${modules[@]}"; do
  load ${module%% *} "$([[ $module == *" "* ]] && echo "${module#* }")"
done

{
  echo '#!/bin/busybox sh'
  echo '/bin/busybox --install -s /bin'
  echo 'mount -t proc proc /proc; mount -t sysfs sysfs /sys; mount -t devtmpfs devtmpfs /dev'
  printf '%s' "$insmods"
  # Probing ends before insmod returns; the wait only guards against a slow scan.
  echo "n=0; while [ \$(ls /sys/class/scsi_generic | wc -l) -lt $sg_nodes ] && [ \$n -lt 50 ]; do sleep 0.1; n=\$((n+1)); done"
  # The kernel's last console line may lack its newline.
  echo 'echo; echo "@@@ guest ready"; echo "@@@ sg nodes $(ls /sys/class/scsi_generic | wc -l)"'
  for who in root nobody; do
    command="portdump-list >/tmp/out 2>&1 || echo \"exit status \$?\" >>/tmp/out"
    [ $who = root ] && echo "$command" || echo "su -s /bin/sh nobody -c '$command'"
    echo "echo '@@@ list $who'; cat /tmp/out; echo '@@@ end'"
  done
  for run in "${runs[@]}"; do
    case $run in
      nobody:*) echo "su -s /bin/sh nobody -c 'portdump ${run#*:}' >/tmp/out" ;;
      userns:*) echo "unshare -r portdump ${run#*:} >/tmp/out" ;;
      nosg:*) echo "rmmod sg; portdump ${run#*:} >/tmp/out" ;;
      *) echo "portdump $run >/tmp/out" ;;
    esac
    echo "echo '@@@ portdump $run'; cat /tmp/out; echo '@@@ end'"
    echo "echo '@@@ decode $run'; portdump-decode </tmp/out 2>&1; echo '@@@ end'"
  done
  echo 'poweroff -f'
} >"$initramfs/init"
chmod +x "$initramfs/init"
mkdir -p "$initramfs/etc"
echo 'nobody:x:65534:65534:nobody:/:/bin/sh' >"$initramfs/etc/passwd"
echo 'nogroup:x:65534:' >"$initramfs/etc/group"
(cd "$initramfs" && find . | busybox cpio -o -H newc 2>/dev/null | gzip -1 >"$work/initrd.gz")

drives=()
for disk in "${disks[@]}"; do
  truncate -s 16M "$work/$disk.img"
  drives+=(-drive "if=none,id=$disk,file=$work/$disk.img,format=raw")
done

start=$(date +%s%N)
timeout 120 "$qemu" "${machine[@]}" -nographic -no-reboot -nic none -kernel "$kernel_file" \
  -initrd "$work/initrd.gz" -append "console=$console panic=-1 quiet loglevel=1" \
  "${drives[@]}" "${devices[@]}" </dev/null | tr -d '\r' >"$work/transcript.txt" || true
end=$(date +%s%N)
ms=$(( (end - start) / 1000000 ))
printf '%s: boot, run and power-off in %d.%d s\n' "$(basename "$guest" .guest)" $((ms / 1000)) $((ms % 1000 / 100)) | tee "$work/seconds.txt"

# Each section between its marker and "@@@ end" into its own file.
for who in root nobody; do
  LC_ALL=C awk -v begin="@@@ list $who" '$0 == begin { on = 1; next } $0 == "@@@ end" { on = 0 } on' "$work/transcript.txt" >"$work/list-$who.out"
done
for run in "${runs[@]}"; do
  for kind in portdump decode; do
    file=$work/$run.$([ $kind = portdump ] && echo out || echo txt)
    LC_ALL=C awk -v begin="@@@ $kind $run" '$0 == begin { on = 1; next } $0 == "@@@ end" { on = 0 } on' \
      "$work/transcript.txt" >"$file"
  done
done
grep -aqx '@@@ guest ready' "$work/transcript.txt" || { echo "the guest never got ready:"; tail -40 "$work/transcript.txt"; exit 1; }
# Every disk must be there, also those that come late (USB), or the runs prove nothing.
grep -aqx "@@@ sg nodes $sg_nodes" "$work/transcript.txt" ||
  { echo "not all $sg_nodes sg nodes appeared:"; grep -a '@@@ sg nodes' "$work/transcript.txt"; exit 1; }
