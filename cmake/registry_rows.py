#!/usr/bin/env python3
"""The registry rows of a component, from its row table and its identity.

The identity is the component's component_identity.h (made by
cmake/RotamOptionCommand.cmake): its identifiers, program identifier, library
name and version.  The class registered is the one the program identifier
names; the three dispatch interfaces are registered by their names.

  registry_rows.py cpp  --table T --identity H --out FILE
      a C++ include: ROTAM_REGISTRY_TREE(key) and
      ROTAM_REGISTRY_VALUE(key, name or nullptr, data) lines, with {PATH},
      {FOLDER} and {WIN} left for the component to fill in as it runs
  registry_rows.py wxs  --table T --identity H --out FILE --name N
      --title TITLE --version V --arch x86|x64 --scope user|machine
      --dll NAME [--file NAME ...]
      a WiX source of one package, for wixl run in the folder that holds
      the files
  registry_rows.py lock --out FILE
      the LockPermissions rows (an .idt file for msibuild) that let users
      change files in a per-machine package's folder
"""
import argparse
import re
import sys
import uuid
from pathlib import Path
from xml.sax.saxutils import quoteattr

# Derives the stable GUIDs of the packages (upgrade codes, components) from
# the component's name, its architecture and its scope.
PACKAGE_NAMESPACE = uuid.UUID("6c0f3f8e-0d2a-4c55-9a51-3c2b7d0e41a7")

RUNTIME = ("{PATH}", "{FOLDER}", "{WIN}")


# The dispatch interfaces every component registers, by the identity's keys.
INTERFACES = (("CONTROL_IID", "_ZynOptCmd120"), ("EVENTS_IID", "__ZynOptCmd120"), ("RECORD_IID", "_QVZ_Class"))


def identity(header):
    text = Path(header).read_text(encoding="utf-8")

    def macro(name, pattern):
        m = re.search(r"^#define\s+" + name + r"\s+" + pattern + r"\s*$", text, re.M)
        if not m:
            sys.exit(f"{header}: no {name}")
        return m.group(1)

    def guid(key):
        return "{" + macro(f"ROTAM_{key}_TEXT", r'"([0-9A-Fa-f-]{36})"').upper() + "}"

    progid = macro("ROTAM_PROGID_W", r'L"([^"]+)"')
    return {
        "CLSID": guid("CLSID"),
        "CLASS": progid.split(".", 1)[1],
        "PROGID": progid,
        "LIBID": guid("LIBID"),
        "LIBNAME": macro("ROTAM_LIBRARY_W", r'L"([^"]+)"'),
        "LIBVERSION": macro("ROTAM_LIBRARY_MAJOR", r"(\d+)") + "." + macro("ROTAM_LIBRARY_MINOR", r"(\d+)"),
        "interfaces": [(name, guid(key)) for key, name in INTERFACES],
    }


def rows(table, ident):
    """("tree", key) and ("value", key, name or None, data), in table order."""
    out = []

    def fill(text, extra):
        for key, value in {**ident, **extra}.items():
            if isinstance(value, str):
                text = text.replace("{" + key + "}", value)
        left = [p for p in re.findall(r"\{[A-Z]+\}", text) if p not in RUNTIME]
        if left:
            sys.exit(f"{table}: unknown placeholder {left[0]}")
        return text

    for number, line in enumerate(Path(table).read_text(encoding="utf-8").splitlines(), 1):
        line = line.strip()
        if not line or line.startswith("#"):
            continue
        kind, _, rest = line.partition(" ")
        if kind == "tree":
            fields = [rest.strip()]
        elif kind == "value":
            fields = [f.strip() for f in rest.split("|")]
            if len(fields) != 3:
                sys.exit(f"{table}:{number}: a value row has a key, a name and data")
        else:
            sys.exit(f"{table}:{number}: unknown row")
        each = [{"IID": iid, "IIDNAME": name} for name, iid in ident["interfaces"]] \
            if "{IID" in rest else [{}]
        for extra in each:
            filled = [fill(f, extra) for f in fields]
            if kind == "tree":
                out.append(("tree", filled[0]))
            else:
                out.append(("value", filled[0], None if filled[1] == "@" else filled[1], filled[2]))
    return out


def cpp_literal(text):
    return 'L"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def write_cpp(args):
    lines = [f"// Made by registry_rows.py from {Path(args.table).name} and {Path(args.identity).name}."]
    for row in rows(args.table, identity(args.identity)):
        if row[0] == "tree":
            lines.append(f"ROTAM_REGISTRY_TREE({cpp_literal(row[1])})")
        else:
            name = cpp_literal(row[2]) if row[2] is not None else "nullptr"
            lines.append(f"ROTAM_REGISTRY_VALUE({cpp_literal(row[1])}, {name}, {cpp_literal(row[3])})")
    return "\n".join(lines) + "\n"


def write_wxs(args):
    ident = identity(args.identity)
    per_user = args.scope == "user"
    x64 = args.arch == "x64"
    kind = f"{args.name}/{args.arch}/{args.scope}"
    upgrade_code = uuid.uuid5(PACKAGE_NAMESPACE, kind + "/upgrade")
    root, prefix = ("HKCU", "Software\\Classes\\") if per_user else ("HKLM", "Software\\Classes\\")
    dll = Path(args.dll)
    dll_id = "component_dll"
    runtime = {"{PATH}": f"[#{dll_id}]", "{FOLDER}": "[INSTALLFOLDER]",
               "{WIN}": "win64" if x64 else "win32"}

    def fill(text):
        for key, value in runtime.items():
            text = text.replace(key, value)
        return text

    win64 = ' Win64="yes"' if x64 else ""
    registry = []
    for row in rows(args.table, ident):
        if row[0] != "value":
            continue
        name = f" Name={quoteattr(row[2])}" if row[2] is not None else ""
        registry.append(f'          <RegistryValue Root="{root}" Key={quoteattr(prefix + fill(row[1]))}{name}'
                        f' Type="string" Value={quoteattr(fill(row[3]))}/>')
    files = [f'          <File Id="{dll_id}" Name={quoteattr(dll.name)} Source={quoteattr(dll.name)} KeyPath="yes"/>']
    for i, extra in enumerate(args.file or []):
        files.append(f'          <File Id="extra{i}" Name={quoteattr(Path(extra).name)} Source={quoteattr(Path(extra).name)}/>')

    if per_user:
        folders = ('<Directory Id="LocalAppDataFolder">\n'
                   '        <Directory Id="UserProgramsFolder" Name="Programs">\n'
                   f'          <Directory Id="INSTALLFOLDER" Name={quoteattr(args.title)}>')
        close = "          </Directory>\n        </Directory>\n      </Directory>"
    else:
        folders = (f'<Directory Id="{"ProgramFiles64Folder" if x64 else "ProgramFilesFolder"}">\n'
                   f'        <Directory Id="INSTALLFOLDER" Name={quoteattr(args.title)}>')
        close = "        </Directory>\n      </Directory>"
    component_guid = uuid.uuid5(PACKAGE_NAMESPACE, kind + "/component")
    body = "\n".join(files + registry)
    return f"""<?xml version="1.0" encoding="utf-8"?>
<!-- Made by registry_rows.py: {args.title} {args.version}, {args.arch}, {"per user" if per_user else "per machine"}. -->
<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi">
  <Product Id="*" Name={quoteattr(f"{args.title} {args.version} ({args.arch}{', this user' if per_user else ''})")}
           Language="1033" Version="{args.version}" Manufacturer={quoteattr(args.manufacturer)}
           UpgradeCode="{{{str(upgrade_code).upper()}}}">
    <Package InstallerVersion="500" Compressed="yes" InstallScope="{"perUser" if per_user else "perMachine"}"
             Description={quoteattr(args.title)}/>
    <MajorUpgrade DowngradeErrorMessage="A newer version of {args.title} is already installed."/>
    <Media Id="1" Cabinet="files.cab" EmbedCab="yes"/>
    <Property Id="ARPNOMODIFY" Value="1"/>
    <Directory Id="TARGETDIR" Name="SourceDir">
      {folders}
        <Component Id="Component" Guid="{{{str(component_guid).upper()}}}"{win64}>
          <CreateFolder/>
          <RemoveFolder Id="RemoveInstallFolder" On="uninstall"/>
{body}
        </Component>
{close}
    </Directory>
    <Feature Id="Complete" Level="1">
      <ComponentRef Id="Component"/>
    </Feature>
  </Product>
</Wix>
"""


# Users may change (not take over) the files in the folder; the
# administrators and the system keep full control.
LOCK_ROWS = [
    ("SYSTEM", 0x10000000),          # GENERIC_ALL
    ("Administrators", 0x10000000),
    ("Users", 0x001301BF),           # read, write, execute, delete: "modify"
]


def write_lock(args):
    lines = ["LockObject\tTable\tDomain\tUser\tPermission",
             "s72\ts32\tS255\ts255\tI4",
             "LockPermissions\tLockObject\tTable\tDomain\tUser"]
    for user, mask in LOCK_ROWS:
        lines.append(f"INSTALLFOLDER\tCreateFolder\t\t{user}\t{mask}")
    return "\r\n".join(lines) + "\r\n"


def main():
    p = argparse.ArgumentParser()
    p.add_argument("mode", choices=["cpp", "wxs", "lock"])
    p.add_argument("--table")
    p.add_argument("--identity")
    p.add_argument("--out", required=True)
    p.add_argument("--name")
    p.add_argument("--title")
    p.add_argument("--manufacturer", default="Rotam Project")
    p.add_argument("--version")
    p.add_argument("--arch", choices=["x86", "x64"])
    p.add_argument("--scope", choices=["user", "machine"])
    p.add_argument("--dll")
    p.add_argument("--file", action="append")
    args = p.parse_args()
    text = {"cpp": write_cpp, "wxs": write_wxs, "lock": write_lock}[args.mode](args)
    out = Path(args.out)
    out.parent.mkdir(parents=True, exist_ok=True)
    # Unchanged output keeps its time, so that nothing rebuilds for it.
    if not out.exists() or out.read_text(encoding="utf-8") != text:
        out.write_text(text, encoding="utf-8", newline="")


if __name__ == "__main__":
    main()
