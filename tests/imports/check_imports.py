#!/usr/bin/env python3
"""Checks that Windows programs would load on Windows XP SP2 (32-bit).

XP's loader refuses a program that imports a DLL or a function the system
lacks, or whose subsystem version is newer than its own (5.01). Wine exports
the newer functions whatever Windows it claims to be, so running the program
there proves nothing: only the import table tells.

    check_imports.py LIST PROGRAM.exe [PROGRAM.exe ...]

LIST names, under a [DLL.DLL] heading per DLL, the functions XP SP2 exports
that our programs may import; an import by ordinal is written @N. Prints each
import not on the list, a subsystem or OS version above 5.01, and a program
that is not 32-bit x86 (PE32, i386); exits 1 if it found any, 2 when a file
cannot be read.
"""
import os
import struct
import sys

XP = (5, 1)
MACHINE_I386 = 0x14C
PE32, PE32_PLUS = 0x10B, 0x20B
IMPORT_DIRECTORY = 1


class BadFile(Exception):
    pass


def read_list(path):
    """{DLL upper-case: set of names}, from the list file."""
    allowed = {}
    dll = None
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.strip()
            if not line or line.startswith("#"):
                continue
            if line.startswith("[") and line.endswith("]"):
                dll = line[1:-1].strip().upper()
                allowed.setdefault(dll, set())
            elif dll is None or " " in line:
                raise BadFile(f"{path}:{number}: expected [DLL] or one name: {line!r}")
            elif line in allowed[dll]:
                raise BadFile(f"{path}:{number}: {dll}!{line} listed twice")
            else:
                allowed[dll].add(line)
    return allowed


class Image:
    """What the check needs of a PE file, every offset checked."""

    def __init__(self, data):
        self.data = data
        if self.u16(0) != 0x5A4D:
            raise BadFile("no MZ header")
        pe = self.u32(0x3C)
        if self.bytes(pe, 4) != b"PE\0\0":
            raise BadFile("no PE header")
        coff = pe + 4
        self.machine = self.u16(coff)
        sections = self.u16(coff + 2)
        optional_size = self.u16(coff + 16)
        opt = coff + 20
        self.magic = self.u16(opt)
        if self.magic not in (PE32, PE32_PLUS):
            raise BadFile(f"unknown optional header magic 0x{self.magic:x}")
        self.os_version = (self.u16(opt + 40), self.u16(opt + 42))
        self.subsystem_version = (self.u16(opt + 48), self.u16(opt + 50))
        self.size_of_headers = self.u32(opt + 60)
        directories = opt + (96 if self.magic == PE32 else 112)
        count = self.u32(directories - 4)
        self.imports_rva = self.u32(directories + 8 * IMPORT_DIRECTORY) if count > IMPORT_DIRECTORY else 0
        self.sections = []
        table = opt + optional_size
        for i in range(sections):
            s = table + 40 * i
            virtual_size, rva, raw_size, raw_offset = struct.unpack_from("<IIII", self.bytes(s + 8, 16))
            self.sections.append((rva, max(virtual_size, raw_size), raw_offset, raw_size))

    def bytes(self, offset, size):
        if offset < 0 or offset + size > len(self.data):
            raise BadFile(f"truncated at 0x{offset:x}")
        return self.data[offset:offset + size]

    def u16(self, offset):
        return struct.unpack_from("<H", self.bytes(offset, 2))[0]

    def u32(self, offset):
        return struct.unpack_from("<I", self.bytes(offset, 4))[0]

    def offset(self, rva):
        """The file offset of a relative virtual address."""
        if rva < self.size_of_headers:
            return rva
        for start, size, raw_offset, raw_size in self.sections:
            if start <= rva < start + size:
                if rva - start >= raw_size:
                    raise BadFile(f"RVA 0x{rva:x} lies in no file data")
                return raw_offset + rva - start
        raise BadFile(f"RVA 0x{rva:x} lies in no section")

    def string(self, rva):
        start = self.offset(rva)
        end = self.data.find(b"\0", start, start + 4096)
        if end < 0:
            raise BadFile(f"unterminated name at RVA 0x{rva:x}")
        return self.data[start:end].decode("ascii", "replace")

    def imports(self):
        """[(DLL upper-case, name or #ordinal)] in table order."""
        found = []
        if not self.imports_rva:
            return found
        wide = self.magic == PE32_PLUS
        thunk_size = 8 if wide else 4
        by_ordinal = 1 << 63 if wide else 1 << 31
        descriptor = self.offset(self.imports_rva)
        for _ in range(10000):
            lookup, _, _, name_rva, address = struct.unpack_from("<IIIII", self.bytes(descriptor, 20))
            if not (lookup or name_rva or address):
                return found
            dll = self.string(name_rva).upper()
            thunk = self.offset(lookup or address)
            for _ in range(100000):
                value = struct.unpack_from("<Q" if wide else "<I", self.bytes(thunk, thunk_size))[0]
                if not value:
                    break
                if value & by_ordinal:
                    found.append((dll, f"@{value & 0xFFFF}"))
                else:
                    found.append((dll, self.string((value & 0x7FFFFFFF) + 2)))  # past the hint
                thunk += thunk_size
            else:
                raise BadFile(f"endless thunk list for {dll}")
            descriptor += 20
        raise BadFile("endless import table")


def problems(image, allowed):
    """Every reason XP SP2 would not load the image."""
    found = []
    if image.machine != MACHINE_I386 or image.magic != PE32:
        kind = "PE32+" if image.magic == PE32_PLUS else "PE32"
        found.append(f"not a 32-bit x86 program (machine 0x{image.machine:x}, {kind})")
    for what, version in (("subsystem", image.subsystem_version), ("OS", image.os_version)):
        if version > XP:
            found.append(f"{what} version {version[0]}.{version[1]:02d} is above 5.01")
    for dll, name in image.imports():
        shown = f"{dll}!{name}" + (" (by ordinal)" if name.startswith("@") else "")
        if dll not in allowed:
            found.append(f"{shown} (DLL not on the list)")
        elif name not in allowed[dll]:
            found.append(shown)
    return found


def main(argv):
    if len(argv) < 3:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    try:
        allowed = read_list(argv[1])
    except (OSError, BadFile) as e:
        print(f"cannot read the list: {e}", file=sys.stderr)
        return 2
    status = 0
    for path in argv[2:]:
        name = os.path.basename(path)
        try:
            with open(path, "rb") as f:
                image = Image(f.read())
            found = problems(image, allowed)
            count = len(image.imports())
        except (OSError, BadFile) as e:
            print(f"{name}: cannot read: {e}")
            status = max(status, 2)
            continue
        if found:
            print(f"{name}: {len(found)} not on Windows XP SP2:")
            for line in found:
                print(f"  {line}")
            status = max(status, 1)
        else:
            print(f"{name}: {count} imports, all on Windows XP SP2")
    return status


if __name__ == "__main__":
    sys.exit(main(sys.argv))
