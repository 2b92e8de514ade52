#!/usr/bin/env python3
"""Gives names in a type library the spelling they were declared with.

widl refuses some names (the parameter "default" of two events is a keyword
to it), so the IDL spells them differently (Default).  The type library
stores every name once, in its name table, and compares and hashes names
without regard to case; so rewriting the stored bytes in another case, at the
same length, changes nothing but what ITypeInfo::GetNames hands out.

  restore_tlb_names.py TLB NAMES

NAMES has one "STORED DECLARED" pair per line.  Each stored name must be in
the name table exactly once, else the library is left as it was and the
script fails: a silent no-op would let the wrong spelling ship.
"""

import pathlib
import struct
import sys

HEADER_SIZE = 0x54
HELP_DLL_FLAG = 0x100
NAME_TABLE_SEGMENT = 7  # in the segment directory, after the type info offsets


def name_table(data):
    magic, _, _, _, _, varflags = struct.unpack_from("<6i", data, 0)
    if magic != 0x5446534D:  # "MSFT"
        raise ValueError("not an MSFT type library")
    typeinfos = struct.unpack_from("<i", data, 0x20)[0]
    directory = HEADER_SIZE + (4 if varflags & HELP_DLL_FLAG else 0) + 4 * typeinfos
    offset, length = struct.unpack_from("<2i", data, directory + 16 * NAME_TABLE_SEGMENT)
    if offset < 0 or length < 0 or offset + length > len(data):
        raise ValueError("name table outside the file")
    return offset, length


def entries(data):
    """(position of the name's bytes, the name) for every name table entry."""
    start, length = name_table(data)
    at = start
    while at + 12 <= start + length:
        size = struct.unpack_from("<i", data, at + 8)[0] & 0xFF
        name_at = at + 12
        if name_at + size > start + length:
            raise ValueError("name table entry runs past the table")
        yield name_at, bytes(data[name_at:name_at + size])
        at = name_at + ((size + 3) & ~3)


def restore(data, pairs):
    found = {stored: [] for stored, _ in pairs}
    for at, name in entries(data):
        if name in found:
            found[name].append(at)
    for stored, declared in pairs:
        if len(found[stored]) != 1:
            raise ValueError(f"{stored.decode()}: {len(found[stored])} entries in the name table, expected 1")
        at = found[stored][0]
        data[at:at + len(declared)] = declared


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    tlb, names = map(pathlib.Path, sys.argv[1:])
    pairs = []
    for line in names.read_text(encoding="ascii").splitlines():
        if not line.strip():
            continue
        stored, declared = line.split()
        if stored.lower() != declared.lower() or len(stored) != len(declared):
            sys.exit(f"{names}: {stored} -> {declared} is more than a change of case")
        pairs.append((stored.encode("ascii"), declared.encode("ascii")))
    data = bytearray(tlb.read_bytes())
    try:
        restore(data, pairs)
    except (ValueError, struct.error) as e:
        sys.exit(f"{tlb}: {e}")
    tlb.write_bytes(data)


if __name__ == "__main__":
    main()
