"""An exe must start on a bare Windows of its oldest version and stay small:
it may import only the DLLs it is allowed (DLLS), only functions that the
export list names for ARCH (x86 or x64) with a first NT version no newer than
MIN_NT, its PE subsystem version may be no newer than MIN_NT, and it may not
grow past MAX_KIB. The import table is read by a PE reader, not from a
disassembler's text, whose layout changes between releases.
usage: check_exe.py EXE MAX_KIB DLLS(A.dll,B.dll) EXPORTS ARCH MIN_NT"""
import os
import sys

import pefile


def nt(version):
    major, minor = version.split(".")
    return int(major) * 100 + int(minor)


def first_versions(path, arch):
    """The first NT version of each export of ARCH: {(dll, function): version}."""
    first = {}
    section = None
    with open(path, encoding="utf-8") as listing:
        for line in listing:
            fields = line.split()
            if line.startswith("# arch "):
                section = fields[2]
            elif section == arch and not line.startswith("#") and len(fields) == 3:
                first[(fields[0], fields[1])] = fields[2]
    return first


def main(exe, max_kib, dlls, exports, arch, min_nt):
    size = os.path.getsize(exe)
    if size > int(max_kib) * 1024:
        return f"{exe} is {size} bytes, more than {max_kib} KiB"
    print(f"{exe}: {size} bytes")
    first = first_versions(exports, arch)
    pe = pefile.PE(exe, fast_load=True)
    pe.parse_data_directories(directories=[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_IMPORT"]])
    entries = getattr(pe, "DIRECTORY_ENTRY_IMPORT", [])
    found = [entry.dll.decode("ascii") for entry in entries]
    if sorted(found) != sorted(dlls.split(",")):
        return f"imports DLLs {' '.join(found)}, not {dlls}"
    bad = []
    count = 0
    for entry in entries:
        dll = entry.dll.decode("ascii")
        for imported in entry.imports:
            name = imported.name.decode("ascii") if imported.name else f"ordinal {imported.ordinal}"
            version = first.get((dll, name), "")
            count += 1
            print(f"  {dll} {name} (NT {version})")
            if not version:
                bad.append(f"  {dll} {name} (not in the export list: add it with its first version and a public source)")
            elif nt(version) > nt(min_nt):
                bad.append(f"  {dll} {name} (first in NT {version})")
    if count < 10:
        return f"only {count} imports read from the import table"
    if bad:
        return f"it does not start on NT {min_nt} ({arch}); it imports:\n" + "\n".join(bad)
    header = pe.OPTIONAL_HEADER
    subsystem = f"{header.MajorSubsystemVersion}.{header.MinorSubsystemVersion}"
    if nt(subsystem) > nt(min_nt):
        return f"subsystem version {subsystem}: Windows older than it refuses the exe; wanted at most {min_nt}"
    print(f"subsystem {subsystem}, starts on NT {min_nt} ({arch})")
    return None


if __name__ == "__main__":
    if len(sys.argv) != 7:
        sys.exit(__doc__.splitlines()[-1])
    problem = main(*sys.argv[1:])
    if problem:
        print(problem)
        sys.exit(1)
