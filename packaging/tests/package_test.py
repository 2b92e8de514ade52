#!/usr/bin/env python3
"""One installer in a fresh Wine prefix, as a user meets it.

Silent install; the reference host creates the control by its program
identifier with no other registration and a pick writes the list file beside
the installed DLL; what the package registered equals what regsvr32 writes
for the installed DLL; a higher version upgrades it to one product with the
new files and a working registration, and the older one is then refused; silent removal leaves no key of the
component and no installed file, and keeps the list files.
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "cmake"))
import registry_rows  # noqa: E402

WINE_DIR = Path("/usr/lib/wine")
failures = []
started = time.monotonic()


def step(text):
    print(f"[{time.monotonic() - started:6.1f}s] {text}", flush=True)


def check(ok, text):
    if not ok:
        failures.append(text)
        print("FAILED: " + text, flush=True)
    return ok


def windows_path(path):
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


class Wine:
    def __init__(self, prefix, arch):
        self.prefix = prefix
        self.wine = WINE_DIR / ("wine64" if arch == "win64" else "wine")
        self.env = dict(os.environ, WINEPREFIX=str(prefix), WINEARCH=arch, WINEDEBUG="-all")
        self.env["WINEDLLOVERRIDES"] = ("winedbg.exe=d;mscoree=;mshtml=;winealsa.drv=d;winepulse.drv=d;"
                                        "wineoss.drv=d")

    def run(self, *args, timeout=180):
        # Wine's background processes inherit the output: a file, not a pipe.
        out = self.prefix.parent / (self.prefix.name + ".out")
        with open(out, "w+b") as f:
            try:
                rc = subprocess.run([str(self.wine), *args], env=self.env, stdout=f, stderr=subprocess.STDOUT,
                                    stdin=subprocess.DEVNULL, timeout=timeout).returncode
            except subprocess.TimeoutExpired:
                rc = -1
            f.seek(0)
            return rc, f.read().decode("utf-8", "replace")

    def stop(self):
        subprocess.run([str(WINE_DIR / "wineserver"), "-k"], env=self.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)


def main():
    p = argparse.ArgumentParser()
    for name in ("prefix", "arch", "scope", "title", "dll", "msi", "upgrade", "version", "upgrade-version",
                 "table", "identity", "zynhost"):
        p.add_argument("--" + name, required=True)
    # The drawing list's own check: pick a drawing through the installed
    # command (other commands are only created).
    p.add_argument("--pick")
    p.add_argument("--runner")
    a = p.parse_args()

    if not os.environ.get("DISPLAY"):
        # The host's dialog needs a display.
        os.execvp("xvfb-run", ["xvfb-run", "-a", "-s", "-screen 0 1280x1024x24", sys.executable, *sys.argv])

    prefix = Path(a.prefix)
    wine = Wine(prefix, a.arch)
    wine.stop()
    shutil.rmtree(prefix, ignore_errors=True)
    prefix.parent.mkdir(parents=True, exist_ok=True)
    step(f"fresh prefix {prefix}")
    wine.run("wineboot", "-i")

    per_user = a.scope == "user"
    root, other = ("HKCU", "HKLM") if per_user else ("HKLM", "HKCU")
    ident = registry_rows.identity(a.identity)
    trees = [row[1] for row in registry_rows.rows(a.table, ident) if row[0] == "tree"]

    def dump(hive):
        """Each tree of the component as reg query shows it, None when missing."""
        out = {}
        for key in trees:
            rc, text = wine.run("reg", "query", f"{hive}\\Software\\Classes\\{key}", "/s")
            out[key] = "\n".join(line.rstrip() for line in text.splitlines() if line.strip()) if rc == 0 else None
        return out

    def products():
        found = []
        for hive in ("HKLM", "HKCU"):
            rc, text = wine.run("reg", "query", f"{hive}\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
                                "/s")
            found += re.findall(r"DisplayName\s+REG_SZ\s+(" + re.escape(a.title) + r" [^\r\n]*)", text)
        return found

    def install_folder():
        drive = prefix / "drive_c"
        pattern = f"users/*/AppData/Local/Programs/{a.title}" if per_user else f"Program Files/{a.title}"
        found = sorted(drive.glob(pattern))
        return found[0] if found else None

    def host(command):
        """Runs command(log path) and checks the host's log."""
        log = prefix.parent / (prefix.name + "-host.log")
        log.unlink(missing_ok=True)
        rc, text = wine.run(*command(windows_path(log)))
        lines = log.read_text(encoding="utf-8", errors="replace").splitlines() if log.exists() else []
        created = [line for line in lines if '"host":"create"' in line]
        check(rc == 0, f"the host ran (exit {rc}): {text.strip()[-400:]}")
        check(not any('"host":"register"' in line for line in lines), "the host registered nothing itself")
        check(len(created) == 1 and '"hr":"0x00000000"' in created[0], f"the control was created: {created}")

    def readme_says(folder, version):
        readme = folder / "README.txt" if folder else None
        return readme is not None and readme.exists() and f"{a.title} {version}" in readme.read_text()

    # Install.
    step(f"install {Path(a.msi).name}")
    rc, text = wine.run("msiexec", "/i", windows_path(a.msi), "/qn")
    check(rc == 0, f"msiexec /i exit {rc}: {text.strip()[-400:]}")
    folder = install_folder()
    if not check(folder is not None and (folder / a.dll).exists(), "the DLL is installed"):
        wine.stop()
        return
    check(readme_says(folder, a.version), "the README of this version is installed")
    installed = dump(root)
    check(all(installed.values()), f"every key is registered under {root}: {[k for k, v in installed.items() if not v]}")
    check(not any(dump(other).values()), f"nothing is registered under {other}")
    check(len(products()) == 1, f"one product: {products()}")

    # Run the command and pick a drawing.
    list_file, counter_file = folder / "prnfiles.ara", folder / "lcount.ara"
    if a.pick:
        step("run the command and pick a drawing")
        host(lambda log: [windows_path(a.pick), windows_path(a.zynhost), log, "--progid", ident["PROGID"]])
        check(list_file.exists() and list_file.read_bytes().endswith(b"\\A.QVZ\r\n"),
              "the pick wrote the list file beside the installed DLL")
        check(counter_file.exists() and counter_file.read_bytes() == b"1\r\n", "the counter file holds 1")
    else:
        step("create the control")
        host(lambda log: [windows_path(a.zynhost), "--log", log, "--progid", ident["PROGID"], "--no-init",
                          "--dll", "C:\\nowhere\\" + a.dll])

    # What regsvr32 writes for the installed DLL.
    step("compare with regsvr32")
    dll = "C:\\" + str((folder / a.dll).relative_to(prefix / "drive_c")).replace("/", "\\")
    scope = ["/n", "/i:user"] if per_user else []
    rc, _ = wine.run("regsvr32", "/s", "/u", *scope, dll)
    check(rc == 0 and not any(dump(root).values()), f"regsvr32 /u removes every key (exit {rc})")
    rc, _ = wine.run("regsvr32", "/s", *scope, dll)
    check(rc == 0, f"regsvr32 exit {rc}")
    registered = dump(root)
    for key in trees:
        # The installer's folder property ends with a backslash, the DLL's
        # own HELPDIR value does not.
        package = re.sub(r"\\$", "", installed[key] or "", flags=re.M)
        check(package == registered[key], f"{key} as installed:\n{installed[key]}\nas regsvr32 writes it:\n"
              f"{registered[key]}")

    # Upgrade.
    step(f"upgrade with {Path(a.upgrade).name}")
    rc, text = wine.run("msiexec", "/i", windows_path(a.upgrade), "/qn")
    check(rc == 0, f"msiexec /i (upgrade) exit {rc}: {text.strip()[-400:]}")
    found = products()
    check(len(found) == 1 and a.upgrade_version in found[0], f"one product of the new version: {found}")
    check(readme_says(folder, a.upgrade_version), "the new version's files are installed")
    check(dump(root) == installed, "the upgrade registers the same keys")
    if a.pick:
        check(list_file.exists() and counter_file.exists(), "the upgrade keeps the list files")
    rc, _ = wine.run("msiexec", "/i", windows_path(a.msi), "/qn")
    check(rc != 0 and products() == found, f"the older package is refused over the newer one (exit {rc})")
    step("create the control after the upgrade")
    host(lambda log: [windows_path(a.zynhost), "--log", log, "--progid", ident["PROGID"], "--no-init",
                      "--dll", "C:\\nowhere\\" + a.dll])

    # Remove.
    step("remove")
    rc, text = wine.run("msiexec", "/x", windows_path(a.upgrade), "/qn")
    check(rc == 0, f"msiexec /x exit {rc}: {text.strip()[-400:]}")
    left = {k: v for k, v in {**dump("HKLM"), **{"HKCU " + k: v for k, v in dump("HKCU").items()}}.items() if v}
    check(not left, f"no key of the component is left: {list(left)}")
    check(not products(), f"no product is left: {products()}")
    remaining = sorted(f.name for f in folder.iterdir()) if folder.exists() else []
    kept = ["lcount.ara", "prnfiles.ara"] if a.pick else []
    check(remaining == kept, f"only the list files stay: {remaining}")

    wine.stop()
    step("done")
    # A prefix takes hundreds of megabytes: only a failed run's stays to be
    # looked into.
    if not failures:
        shutil.rmtree(prefix, ignore_errors=True)
        for suffix in (".out", "-host.log"):
            (prefix.parent / (prefix.name + suffix)).unlink(missing_ok=True)


if __name__ == "__main__":
    main()
    if failures:
        print(f"{len(failures)} check(s) failed", flush=True)
        sys.exit(1)
    print("all checks passed", flush=True)
