#!/usr/bin/env bash
# An exe must start on a bare Windows of its oldest version and stay small:
# it may import only the DLLs it is allowed (DLLS), only functions that the
# export list names for ARCH (x86 or x64) with a first NT version no newer
# than MIN_NT, its PE subsystem version may be no newer than MIN_NT, and it
# may not grow past MAX_KIB.
# usage: check_exe.sh EXE OBJDUMP MAX_KIB DLLS(A.dll,B.dll) EXPORTS ARCH MIN_NT
set -euo pipefail
exe=$1 objdump=$2 max_kib=$3 dlls=$4 exports=$5 arch=$6 min_nt=$7
headers=$("$objdump" -p "$exe")
size=$(stat -c %s "$exe")
[ "$size" -le $((max_kib * 1024)) ] || { echo "$exe is $size bytes, more than $max_kib KiB"; exit 1; }
echo "$exe: $size bytes"
awk -v arch="$arch" -v min="$min_nt" -v allowed="$dlls" '
  function nt(version, parts) { split(version, parts, "."); return parts[1] * 100 + parts[2] }
  BEGIN { wanted = split(allowed, names, ","); for (i in names) allow[names[i]] = 1 }
  # The export list first: the first NT version of each export of ARCH.
  FNR == NR { if (/^# arch /) section = $3; else if (section == arch && !/^#/ && NF == 3) first[$1 " " $2] = $3; next }
  /DLL Name: / { dll = $3; found = found " " dll; dlls += dll in allow; next }
  /^$/ { dll = "" }
  dll && /^\t[0-9a-f]+\t +[0-9]+ +[A-Za-z0-9_]+$/ {
    version = first[dll " " $3]; count++
    print "  " dll " " $3 " (NT " version ")"
    if (version == "") bad = bad "\n  " dll " " $3 " (not in the export list: add it with its first version and a public source)"
    else if (nt(version) > nt(min)) bad = bad "\n  " dll " " $3 " (first in NT " version ")"
  }
  /MajorSubsystemVersion/ { subsystem = $2 } /MinorSubsystemVersion/ { subsystem = subsystem "." $2 }
  END {
    if (dlls != wanted || split(found, any, " ") != wanted) { print "imports DLLs" found ", not " allowed; exit 1 }
    if (count < 10) { print "only " count " imports read from objdump -p"; exit 1 }
    if (bad) { print "it does not start on NT " min " (" arch "); it imports:" bad; exit 1 }
    if (subsystem !~ /^[0-9]+\.[0-9]+$/ || nt(subsystem) > nt(min)) {
      print "subsystem version " subsystem ": Windows older than it refuses the exe; wanted at most " min; exit 1
    }
    print "subsystem " subsystem ", starts on NT " min " (" arch ")"
  }' "$exports" - <<<"$headers"
