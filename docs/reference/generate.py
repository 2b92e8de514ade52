#!/usr/bin/env python3
"""Writes the service wrapper reference (wrappers.md) from the sources.

Every wrapper a command can call is one line of the wrapper catalogue
(control/core/wrappers_catalogue.inc); a SETTING line stands for a Get and
a Set wrapper.  The reference gives, per wrapper, its parameters, its result,
the host version it needs and the events it fires, taken from:

  wrappers_catalogue.inc    the wrappers, their kinds, roles and comments
  wrappers.cpp              the version text of each Need
  wrappers_handwritten.cpp  the version gate of each hand-written wrapper
  catalogue.txt             the events: DISPIDs, parameter names and types

A table-driven wrapper's parameters and result follow from its roles and its
event's parameters, as wrappers_engine.h builds them.  A hand-written one
takes its parameters from its catalogue line and names the events it fires
in its comment; every event its body fires directly must be named there, so
the reference cannot miss one.  Any line the script cannot read, a count
that does not add up, or a role list that does not fit its event stops the
build.
"""

import argparse
import pathlib
import re
import sys
from dataclasses import dataclass, field


class ReferenceError(Exception):
    pass


def fail(path, line, message):
    raise ReferenceError(f"{path}:{line}: {message}")


# ---- sources -----------------------------------------------------------------

def read_events(path):
    """catalogue.txt: name -> (dispid, [(param, TYPE)])."""
    events = {}
    for number, raw in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
        text = raw.split("#", 1)[0].strip()
        if not text:
            continue
        fields = text.split()
        params = []
        for item in fields[2:]:
            name, _, kind = item.partition(":")
            params.append((name, kind))
        events[fields[1]] = (int(fields[0], 0), params)
    return events


def read_needs(path):
    """wrappers.cpp: Need name -> version text ("" for any)."""
    needs = dict(re.findall(r'case Need::(\w+):\s*return u"([^"]*)"', path.read_text(encoding="utf-8")))
    if "any" not in needs:
        fail(path, 1, "no need_text cases found")
    return needs


def function_bodies(path):
    """wrappers_handwritten.cpp: wrapper name -> (line, body text)."""
    src = path.read_text(encoding="utf-8")
    bodies = {}
    for m in re.finditer(r"^[^\s/#][^\n;{}]*?\b(\w+)\(Control &c\b[^;{]*\{", src, re.M):
        i, depth = m.end(), 1
        while depth and i < len(src):
            depth += {"{": 1, "}": -1}.get(src[i], 0)
            i += 1
        bodies[m.group(1)] = (src.count("\n", 0, m.start()) + 1, src[m.end():i])
    return bodies


def split_args(text):
    """Splits macro arguments at commas outside (), <> and []."""
    args, depth, start = [], 0, 0
    for i, c in enumerate(text):
        if c in "(<[":
            depth += 1
        elif c in ")>]":
            depth -= 1
        elif c == "," and depth == 0:
            args.append(text[start:i].strip())
            start = i + 1
    args.append(text[start:].strip())
    return [a for a in args if a]


@dataclass
class Line:
    macro: str
    args: list
    comment: str
    note: str      # the comment block above the line's group
    section: str
    line: int


def read_catalogue(path):
    """The catalogue's macro lines, with their comments and sections."""
    lines = path.read_text(encoding="utf-8").splitlines()
    out, section, note, i = [], None, "", 0
    while i < len(lines):
        raw = lines[i].strip()
        number = i + 1
        header = re.match(r"// ---- (.*?) -+$", raw)
        if header:
            section, note = header.group(1), ""
        elif not raw:
            note = ""
        elif raw.startswith("//"):
            if section is not None:
                # A comment right after a line of its group starts a new note.
                if i and lines[i - 1].strip().startswith("//") and note:
                    note += " " + raw[2:].strip()
                else:
                    note = raw[2:].strip()
        elif raw.startswith("ROTAM_"):
            if section is None:
                fail(path, number, "a wrapper before the first section")
            code, comments, depth = "", [], 0
            while True:
                text, _, comment = lines[i].partition("//")
                code += text
                if comment.strip():
                    comments.append(comment.strip())
                depth = code.count("(") - code.count(")")
                if depth <= 0 or i + 1 >= len(lines):
                    break
                i += 1
            m = re.fullmatch(r"\s*(ROTAM_\w+)\s*\((.*)\)\s*", code, re.S)
            if not m or depth:
                fail(path, number, "unreadable catalogue line")
            out.append(Line(m.group(1), split_args(m.group(2)), " ".join(comments), note, section, number))
        else:
            fail(path, number, "unexpected text")
        i += 1
    return out


# ---- entries -----------------------------------------------------------------

@dataclass
class Param:
    name: str
    type: str       # I2, I4, R8, BSTR, bool, "R8 array"
    how: str = ""   # how it reaches the host, when not by reference


@dataclass
class Entry:
    name: str
    kind: str
    section: str
    version: str                                # "" when not gated
    params: list = field(default_factory=list)
    result: str = "none"
    events: list = field(default_factory=list)  # event names, in firing order
    fixed: list = field(default_factory=list)   # "name = value" of the first event
    comment: str = ""
    note: str = ""
    line: int = 0


KINDS = {
    "ROTAM_PASS": "pass-through",
    "ROTAM_GET": "get",
    "ROTAM_QUERY": "query",
    "ROTAM_WRAP": "wrap",
    "ROTAM_WRAP_OF": "wrap",
    "ROTAM_SETTING": "setting",
    "ROTAM_SETTING_SET": "setting",
    "ROTAM_SPECIAL": "hand-written",
}

TYPE_NAMES = {"I2": "I2", "I4": "I4", "I4V": "I4", "R8": "R8", "BSTR": "text"}


def apply_roles(entry, event, params, roles, path, line):
    """Fills parameters, result and fixed values from one role per event
    parameter, as wrappers_engine.h does."""
    if len(roles) != len(params):
        fail(path, line, f"{entry.name}: {len(roles)} roles for the {len(params)} parameters of {event}")
    results = []
    for (pname, ptype), role in zip(params, roles):
        t = TYPE_NAMES[ptype]
        fixed = re.fullmatch(r"Fix<(-?\d+)>", role)
        if role == "In":
            entry.params.append(Param(pname, t, "by value" if ptype == "I4V" else ""))
        elif role in ("Strict", "Loose", "Inverted"):
            entry.params.append(Param(pname, "bool", f"{role.lower()} flag"))
        elif role == "Wide":
            entry.params.append(Param(pname, "I2", "sent as I4"))
        elif role == "SetsNonZero":
            entry.params.append(Param(pname, "bool", "set: host wrote non-zero"))
        elif role == "SetsIsZero":
            entry.params.append(Param(pname, "bool", "set: host wrote 0"))
        elif role == "Out":
            results.append(f"{t} (`{pname}`)")
        elif role == "Rgb":
            results.append(f"I4 (`{pname}`, low 24 bits)")
        elif role == "Is1":
            results.append(f"bool (`{pname}` is 1)")
        elif role == "NonZero":
            results.append(f"bool (`{pname}` is not 0)")
        elif role == "Zero" or fixed:
            entry.fixed.append(f"`{pname}` = {fixed.group(1) if fixed else 0}")
        elif role != "Tmp":
            fail(path, line, f"{entry.name}: unknown role {role}")
    if len(results) > 1:
        fail(path, line, f"{entry.name}: more than one result")
    if results:
        entry.result = results[0]


CPP_TYPES = {"Long": "I4", "Double": "R8", "String": "text", "std::int16_t": "I2", "Flag": "bool"}


def special_param(text, path, line):
    m = re.fullmatch(r"std::span<(\w+)>\s+(\w+)", text)
    if m and m.group(1) in CPP_TYPES:
        return Param(m.group(2), CPP_TYPES[m.group(1)] + " array")
    m = re.fullmatch(r"([\w:]+)\s*(&?)\s*(\w+)", text)
    if not m or m.group(1) not in CPP_TYPES:
        fail(path, line, f"unreadable parameter {text!r}")
    t = CPP_TYPES[m.group(1)]
    return Param(m.group(3), t, "" if m.group(2) else "by value")


def special_result(text, path, line):
    if text == "void":
        return "none"
    m = re.fullmatch(r"std::optional<(\w+)>", text)
    if m and m.group(1) in CPP_TYPES:
        return CPP_TYPES[m.group(1)] + ", or no value when refused"
    if text not in CPP_TYPES:
        fail(path, line, f"unknown result type {text}")
    return CPP_TYPES[text]


def build(catalogue, events_path, needs_path, handwritten_path):
    events = read_events(events_path)
    needs = read_needs(needs_path)
    bodies = function_bodies(handwritten_path)
    lines = read_catalogue(catalogue)
    entries = []

    def need(text, line):
        if text not in needs:
            fail(catalogue, line, f"unknown host version {text}")
        return needs[text]

    def event_of(name, line):
        if name not in events:
            fail(catalogue, line, f"no event {name} in {events_path.name}")
        return events[name][1]

    for l in lines:
        a, kind = l.args, KINDS.get(l.macro)
        if kind is None:
            fail(catalogue, l.line, f"unknown macro {l.macro}")
        base = dict(kind=kind, section=l.section, comment=l.comment, note=l.note, line=l.line)
        if l.macro in ("ROTAM_PASS", "ROTAM_GET", "ROTAM_QUERY", "ROTAM_WRAP", "ROTAM_WRAP_OF"):
            name = a[0]
            event = a[1] if l.macro == "ROTAM_WRAP_OF" else name
            rest = a[2:] if l.macro == "ROTAM_WRAP_OF" else a[1:]
            params = event_of(event, l.line)
            if l.macro == "ROTAM_PASS":
                roles = ["In"] * len(params)
            elif l.macro in ("ROTAM_GET", "ROTAM_QUERY"):
                roles = ["In"] * (len(params) - 1) + rest[1:2]
            else:
                roles = rest[1:]
            e = Entry(name, version=need(rest[0], l.line), events=[event], **base)
            apply_roles(e, event, params, roles, catalogue, l.line)
            entries.append(e)
        elif l.macro in ("ROTAM_SETTING", "ROTAM_SETTING_SET"):
            kind_name, ident, version = a
            for verb in ("Get", "Set") if l.macro == "ROTAM_SETTING" else ("Set",):
                event = f"Zyn{verb}{kind_name}"
                e = Entry(f"{event}{ident}", version=need(version, l.line), events=[event], **base)
                apply_roles(e, event, event_of(event, l.line),
                            [f"Fix<{ident}>", "Out" if verb == "Get" else "In"], catalogue, l.line)
                entries.append(e)
        else:  # ROTAM_SPECIAL
            result, name, *params = a
            if name not in bodies:
                fail(catalogue, l.line, f"{name} has no definition in {handwritten_path.name}")
            body_line, body = bodies[name]
            gates = sorted(set(re.findall(r"Need::(\w+)", body)) - {"any"})
            if len(gates) > 1:
                fail(handwritten_path, body_line, f"{name}: more than one version gate")
            version = need(gates[0], l.line) if gates else ""
            said = re.match(r"(\d+, \d+, \d+, \d+)[:.]", l.comment)
            if said and said.group(1) != version:
                fail(catalogue, l.line, f"{name}: the comment says {said.group(1)}, the code gates at {version or 'none'}")
            named = []
            for word in re.findall(r"\bZyn\w+", l.comment):
                if word in events and word not in named:
                    named.append(word)
            if not named:
                fail(catalogue, l.line, f"{name}: the comment names no event it fires")
            missing = [e for e in dict.fromkeys(re.findall(r"events::(\w+)", body)) if e not in named]
            if missing:
                fail(catalogue, l.line, f"{name}: the comment does not name {', '.join(missing)}, which it fires")
            e = Entry(name, version=version, events=named,
                      params=[special_param(p, catalogue, l.line) for p in params],
                      result=special_result(result, catalogue, l.line), **base)
            entries.append(e)

    # What the catalogue holds, counted apart from the reading above.
    text = catalogue.read_text(encoding="utf-8")
    held = (2 * len(re.findall(r"^ROTAM_SETTING\s*\(", text, re.M))
            + len(re.findall(r"^ROTAM_(?!SETTING\s*\()\w+\s*\(", text, re.M)))
    if len(entries) != held:
        raise ReferenceError(f"{catalogue}: {len(entries)} wrappers read, the catalogue holds {held}")
    names = [e.name for e in entries]
    doubles = sorted({n for n in names if names.count(n) > 1})
    if doubles:
        raise ReferenceError(f"{catalogue}: named twice: {', '.join(doubles)}")
    return entries, events


# ---- output ------------------------------------------------------------------

def cell(text):
    return text.replace("|", "\\|").replace("\n", " ")


def prose(text):
    """Catalogue comments as Markdown text: ZynGet<Type> is not a tag."""
    return text.replace("<", "&lt;")


def param_text(p):
    return f"`{p.name}` {p.type}" + (f" ({p.how})" if p.how else "")


def row(e, events):
    fires = ", ".join(f"`{name}` ({events[name][0]})" for name in e.events)
    if e.fixed:
        fires += "; " + ", ".join(e.fixed)
    return "| " + " | ".join(cell(c) for c in [
        f"`{e.name}`",
        e.kind,
        ", ".join(param_text(p) for p in e.params) or "none",
        e.result,
        e.version or "any",
        fires,
        prose(e.comment),
    ]) + " |"


HEAD = """# Service wrapper reference

<!-- Generated by docs/reference/generate.py from control/core/wrappers_catalogue.inc,
     control/core/wrappers.cpp, control/core/wrappers_handwritten.cpp and
     control/events/catalogue.txt.  Do not edit: change those and rebuild. -->

{total} wrappers: {table} table-driven, {special} hand-written.  Command code
calls a wrapper with the running control first (`using namespace
rotam::wrappers;`, then `ZynGetCLayer(control)`); see control/core/wrappers.h
for the rules every wrapper follows.

How to read the tables:

- **Parameters** are the caller's variables, passed by reference: what the
  host writes lands in them.  Otherwise the entry says how the value travels:
  *by value*; *strict flag* (a boolean sent as 1 only when it is -1, else 0);
  *loose flag* (1 for any non-zero value); *inverted flag* (1 for 0);
  *sent as I4* (a 16-bit value widened into a temporary); *set: host wrote
  ...* (a boolean the wrapper sets from the host's flag afterwards).
  Booleans are -1 (true) and 0 (false).
- **Result** is the wrapper's return value and the event parameter it comes
  from; event parameters that are neither parameters nor the result are
  temporaries starting at 0 or empty, or the fixed values listed with the
  event.
- **Host version** is the oldest host version ("a, b, c, d", as the host
  reports it in `ZynGetZynVersion`) the wrapper runs on.  On an older host a
  gated wrapper shows the refusal message, fires nothing, leaves the caller's
  variables alone and returns 0, empty text or false.  *any*: not gated.
- **Fires** lists the events in the order they are fired, with their
  DISPIDs.  A hand-written wrapper may fire only some of them, depending on
  the host's answers or version (see its notes).
"""

COLUMNS = ("| Wrapper | Kind | Parameters | Result | Host version | Fires | Notes |\n"
           "|---|---|---|---|---|---|---|")


def render(entries, events):
    table = sum(1 for e in entries if e.kind != "hand-written")
    lines = [HEAD.format(total=len(entries), table=table, special=len(entries) - table).rstrip()]
    section = note = None
    open_table = False
    for e in entries:
        if e.section != section:
            section, note, open_table = e.section, None, False
            lines += ["", f"## {section}"]
        if e.note != note:
            note, open_table = e.note, False
            if note:
                lines += ["", prose(note)]
        if not open_table:
            lines += ["", COLUMNS]
            open_table = True
        lines.append(row(e, events))
    return "\n".join(lines) + "\n"


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    root = pathlib.Path(__file__).resolve().parents[2]
    parser.add_argument("--root", type=pathlib.Path, default=root)
    where = parser.add_mutually_exclusive_group(required=True)
    where.add_argument("--out", type=pathlib.Path, help="write the reference there")
    where.add_argument("--check", type=pathlib.Path, help="fail unless this file is the current reference")
    args = parser.parse_args(argv)
    core = args.root / "control" / "core"
    try:
        entries, events = build(core / "wrappers_catalogue.inc", args.root / "control" / "events" / "catalogue.txt",
                                core / "wrappers.cpp", core / "wrappers_handwritten.cpp")
    except ReferenceError as error:
        sys.exit(f"generate.py: {error}")
    text = render(entries, events)
    if args.check:
        if not args.check.exists() or args.check.read_text(encoding="utf-8") != text:
            sys.exit(f"generate.py: {args.check} is not the current reference; "
                     "build the target rotam_docs_update to refresh it")
        return 0
    args.out.parent.mkdir(parents=True, exist_ok=True)
    if not args.out.exists() or args.out.read_text(encoding="utf-8") != text:
        args.out.write_text(text, encoding="utf-8")
    return 0


if __name__ == "__main__":
    sys.exit(main())
