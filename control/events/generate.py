#!/usr/bin/env python3
"""Turns the interface tables of rotamcmd into code.

The host event catalogue (catalogue.txt) is the one place where the 371 host
services are written down.  From it, and from the control's property,
method and record-field lists, this script writes:

  events_generated.h  one typed firing function per event, rotam::events
  events_table.h      the catalogue as data (names, DISPIDs, types), and the
                      control's methods, properties and record fields, for
                      the COM adapter's dispatcher and the type library tests
  events.idl          the body of dispinterface __ZynOptCmd120
  control.idl         the body of dispinterface _ZynOptCmd120
  record.idl          the body of dispinterface _QVZ_Class

  tlb_names.txt       the names the IDL had to respell, as "IDL declared"
                      per line, for restore_tlb_names.py

A parameter whose automation name is a keyword keeps its name for automation
clients and gets another spelling where the compiler would choke: in C++ a
trailing underscore (default_), in the IDL a capital (Default).  The type
library compares names without regard to case, so the build writes the
declared spelling back into it after widl (control/com/restore_tlb_names.py).
Files are rewritten only when their text changes, so a rebuild recompiles
nothing that did not change.
"""

import argparse
import pathlib
import re
import sys

TYPES = {
    # catalogue type: (C++ reference type, ArgType, IDL type, VARTYPE)
    "I2": ("std::int16_t", "I2", "short", 2),
    "I4": ("std::int32_t", "I4", "long", 3),
    "R8": ("double", "R8", "double", 5),
    "BSTR": ("std::u16string", "Str", "BSTR", 8),
    "I4V": ("std::int32_t", "I4ByVal", "long", 3),
}

PROPERTY_TYPES = {
    # properties.inc / record_fields.inc type: (IDL type, VARTYPE)
    "Long": ("long", 3),
    "Integer": ("short", 2),
    "Double": ("double", 5),
    "String": ("BSTR", 8),
    "Flag": ("VARIANT_BOOL", 11),
}

CPP_KEYWORDS = set("""
alignas alignof and and_eq asm auto bitand bitor bool break case catch char
char8_t char16_t char32_t class compl concept const consteval constexpr
constinit const_cast continue co_await co_return co_yield decltype default
delete do double dynamic_cast else enum explicit export extern false float for
friend goto if inline int long mutable namespace new noexcept not not_eq
nullptr operator or or_eq private protected public register reinterpret_cast
requires return short signed sizeof static static_assert static_cast struct
switch template this thread_local throw true try typedef typeid typename union
unsigned using virtual void volatile wchar_t while xor xor_eq
""".split())

# Names the platform headers define as macros; a parameter so named would
# break any Windows source that includes the generated header.
WINDOWS_MACROS = {"near", "far", "interface", "small", "hyper", "IN", "OUT",
                  "OPTIONAL", "min", "max", "pascal", "cdecl", "CONST"}

# Words the IDL compiler reserves outside attribute brackets.
IDL_KEYWORDS = set("""
FALSE NULL TRUE boolean byte case char const coclass cpp_quote default double
dispinterface enum error_status_t extern float handle_t hyper import importlib
inline int interface library long methods module namespace pascal properties
register short signed sizeof small static stdcall struct switch typedef union
unsigned void wchar_t
""".split())


class Member:
    def __init__(self, dispid, name, params, line):
        self.dispid = dispid
        self.name = name
        self.params = params  # list of (name, type)
        self.line = line


def fail(path, line, text):
    sys.exit(f"{path}:{line}: {text}")


def read_members(path, count, dispid_base=None):
    """Reads catalogue.txt or methods.txt: DISPID, name, name:TYPE ..."""
    members = []
    for number, raw in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
        text = raw.split("#", 1)[0].strip()
        if not text:
            continue
        fields = text.split()
        if len(fields) < 2 or not re.fullmatch(r"(0x[0-9A-Fa-f]+|[0-9]+)", fields[0]):
            fail(path, number, "expected: DISPID Name param:TYPE ...")
        if not re.fullmatch(r"[A-Za-z_]\w*", fields[1]):
            fail(path, number, f"bad name {fields[1]!r}")
        params = []
        for item in fields[2:]:
            m = re.fullmatch(r"([A-Za-z_]\w*):(I2|I4|R8|BSTR|I4V)", item)
            if not m:
                fail(path, number, f"bad parameter {item!r}")
            params.append((m.group(1), m.group(2)))
        names = [p[0] for p in params]
        if len(set(n.lower() for n in names)) != len(names):
            fail(path, number, f"{fields[1]}: a parameter name appears twice")
        for name in names:
            if name in WINDOWS_MACROS:
                fail(path, number, f"{fields[1]}: parameter {name} is a platform macro")
        members.append(Member(int(fields[0], 0), fields[1], params, number))

    if len(members) != count:
        sys.exit(f"{path}: {len(members)} entries, expected {count}")
    seen_ids, seen_names = {}, {}
    for m in members:
        if m.dispid in seen_ids:
            fail(path, m.line, f"DISPID {m.dispid} already used on line {seen_ids[m.dispid]}")
        if m.name.lower() in seen_names:
            fail(path, m.line, f"{m.name} already declared on line {seen_names[m.name.lower()]}")
        seen_ids[m.dispid] = m.line
        seen_names[m.name.lower()] = m.line
    if dispid_base is not None:
        for index, m in enumerate(members):
            if m.dispid != dispid_base + index:
                fail(path, m.line, f"{m.name}: DISPID must be 0x{dispid_base + index:08X}")
    return members


def read_xmacro(path, macro, count):
    fields = []
    for number, raw in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
        m = re.match(rf"\s*{macro}\((\w+),\s*(\w+)\)", raw)
        if m:
            if m.group(2) not in PROPERTY_TYPES:
                fail(path, number, f"unknown type {m.group(2)}")
            fields.append((m.group(1), m.group(2)))
    if len(fields) != count:
        sys.exit(f"{path}: {len(fields)} entries, expected {count}")
    if len(set(f[0].lower() for f in fields)) != count:
        sys.exit(f"{path}: a name appears twice")
    return fields


def cpp_name(name):
    return name + "_" if name in CPP_KEYWORDS else name


def idl_name(name):
    return name[0].upper() + name[1:] if name in IDL_KEYWORDS else name


def respelled(*member_lists):
    names = sorted({n for members in member_lists for m in members for n, _ in m.params
                    if idl_name(n) != n})
    return "".join(f"{idl_name(n)} {n}\n" for n in names)


def write_if_changed(path, text):
    if not path.exists() or path.read_text(encoding="utf-8") != text:
        path.write_text(text, encoding="utf-8")


HEADER_NOTE = "// Generated by control/events/generate.py; edit the tables, not this file.\n"


def events_header(events):
    out = [HEADER_NOTE, """// One firing function per host service event: the arguments are the
// caller's variables, passed by reference; what the host writes lands in them.
// (The host and the argument array carry a trailing underscore so that no
// parameter of the catalogue can hide them.)
#pragma once

#include <cstdint>
#include <string>

#include "host_events.h"

namespace rotam::events {

namespace dispid {
"""]
    for e in events:
        out.append(f"inline constexpr std::int32_t {e.name} = {e.dispid};\n")
    out.append("}  // namespace dispid\n\n")
    for e in events:
        params = []
        for name, t in e.params:
            cpp_type = TYPES[t][0]
            params.append(f"{cpp_type} {cpp_name(name)}" if t == "I4V"
                          else f"{cpp_type} &{cpp_name(name)}")
        signature = ", ".join(["HostEvents &host_"] + params)
        out.append(f"inline void {e.name}({signature}) {{\n")
        if not e.params:
            out.append(f"    host_.fire(dispid::{e.name}, nullptr, 0);\n}}\n")
            continue
        args = ", ".join(
            f"arg_by_value({cpp_name(n)})" if t == "I4V" else f"arg({cpp_name(n)})"
            for n, t in e.params)
        out.append(f"    EventArg args_[] = {{{args}}};\n")
        out.append(f"    host_.fire(dispid::{e.name}, args_, {len(e.params)});\n}}\n")
    out.append("\n}  // namespace rotam::events\n")
    return "".join(out)


def table_header(events, methods, properties, fields):
    out = [HEADER_NOTE, """// The automation interfaces of rotamcmd as data: the host events, the
// control's methods and properties and the record's fields.  The COM
// adapter dispatches by it; the tests check the type library against it.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "host_events.h"

namespace rotam::events {

struct ParamInfo {
    const char *name;  // as automation clients know it and the type library spells it
    ArgType type;
};

struct MemberInfo {
    std::int32_t dispid;
    const char *name;
    std::span<const ParamInfo> params;
};

// VARTYPE numbers, so that portable code can carry them.
struct PropertyInfo {
    std::int32_t dispid;
    const char *name;
    std::uint16_t vt;  // 2 I2, 3 I4, 5 R8, 8 BSTR, 11 BOOL
};

namespace detail {
"""]

    def param_arrays(prefix, members):
        for m in members:
            if not m.params:
                continue
            items = ", ".join(
                f'{{"{n}", ArgType::{TYPES[t][1]}}}' for n, t in m.params)
            out.append(f"inline constexpr ParamInfo {prefix}_{m.name}[] = {{{items}}};\n")

    def member_rows(prefix, members):
        rows = []
        for m in members:
            span = f"detail::{prefix}_{m.name}" if m.params else "{}"
            rows.append(f'    MemberInfo{{{m.dispid}, "{m.name}", {span}}},\n')
        return rows

    param_arrays("ev", events)
    param_arrays("me", methods)
    out.append("}  // namespace detail\n\n")
    out.append(f"inline constexpr std::array<MemberInfo, {len(events)}> kEvents{{{{\n")
    out += member_rows("ev", events)
    out.append("}};\n\n")
    out.append(f"inline constexpr std::array<MemberInfo, {len(methods)}> kMethods{{{{\n")
    out += member_rows("me", methods)
    out.append("}};\n\n")
    for table, items in (("kProperties", properties), ("kRecordFields", fields)):
        out.append(f"inline constexpr std::array<PropertyInfo, {len(items)}> {table}{{{{\n")
        for index, (name, t) in enumerate(items):
            out.append(f'    PropertyInfo{{0x{0x40030000 + index:08X}, "{name}", '
                       f'{PROPERTY_TYPES[t][1]}}},\n')
        out.append("}};\n\n")
    out.append("inline constexpr std::int32_t kPropertyBase = 0x40030000;\n")
    out.append("inline constexpr std::int32_t kMethodBase = 0x60030000;\n")
    out.append("\n}  // namespace rotam::events\n")
    return "".join(out)


def idl_params(params):
    out = []
    for name, t in params:
        if t == "I4V":
            out.append(f"[in] {TYPES[t][2]} {idl_name(name)}")
        else:
            out.append(f"[in, out] {TYPES[t][2]}* {idl_name(name)}")
    return ", ".join(out)


def events_idl(events):
    out = ["/* " + HEADER_NOTE[3:].rstrip() + " */\n"]
    for e in events:
        out.append(f"    [id({e.dispid})] void {e.name}({idl_params(e.params)});\n")
    return "".join(out)


def properties_idl(items):
    out = []
    for index, (name, t) in enumerate(items):
        dispid = f"0x{0x40030000 + index:08X}"
        idl_type = PROPERTY_TYPES[t][0]
        out.append(f"    [id({dispid}), propget] {idl_type} {name}();\n")
        out.append(f"    [id({dispid}), propput] void {name}([in] {idl_type} rhs);\n")
    return out


def control_idl(methods, properties):
    out = ["/* " + HEADER_NOTE[3:].rstrip() + " */\n"]
    out += properties_idl(properties)
    for m in methods:
        out.append(f"    [id(0x{m.dispid:08X})] VARIANT {m.name}({idl_params(m.params)});\n")
    return "".join(out)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    here = pathlib.Path(__file__).resolve().parent
    root = here.parent
    parser.add_argument("--catalogue", type=pathlib.Path, default=here / "catalogue.txt")
    parser.add_argument("--methods", type=pathlib.Path, default=root / "com" / "methods.txt")
    parser.add_argument("--properties", type=pathlib.Path,
                        default=root / "core" / "properties.inc")
    parser.add_argument("--record", type=pathlib.Path,
                        default=root / "com" / "record_fields.inc")
    parser.add_argument("--out", type=pathlib.Path, required=True)
    args = parser.parse_args()

    events = read_members(args.catalogue, 371)
    if not all(1 <= e.dispid <= 372 for e in events):
        sys.exit(f"{args.catalogue}: event DISPIDs run from 1 to 372")
    methods = read_members(args.methods, 24, dispid_base=0x60030000)
    if any(t == "I4V" for m in methods for _, t in m.params):
        sys.exit(f"{args.methods}: lifecycle methods take every argument by reference")
    properties = read_xmacro(args.properties, "ROTAM_PROPERTY", 78)
    fields = read_xmacro(args.record, "ROTAM_RECORD_FIELD", 62)

    args.out.mkdir(parents=True, exist_ok=True)
    write_if_changed(args.out / "events_generated.h", events_header(events))
    write_if_changed(args.out / "events_table.h",
                     table_header(events, methods, properties, fields))
    write_if_changed(args.out / "events.idl", events_idl(events))
    write_if_changed(args.out / "control.idl", control_idl(methods, properties))
    write_if_changed(args.out / "record.idl",
                     "/* " + HEADER_NOTE[3:].rstrip() + " */\n" + "".join(properties_idl(fields)))
    write_if_changed(args.out / "tlb_names.txt", respelled(events, methods))


if __name__ == "__main__":
    main()
