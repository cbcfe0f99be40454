#!/usr/bin/python3
"""Writes the licence texts of everything the Windows program ships into
<folder>/licences: the program's own terms, Qt's, the third-party code Qt's
build bundled into its DLLs, and the MinGW runtime's.

Usage: licences.py FOLDER QT_PREFIX TERMS VERSION COMPILER

QT_PREFIX/share/thymara-notices is what build-qt.sh kept of the Qt source:
config.summary (which bundled copies the build used), debian-copyright and
source/ (the licence files and attributions). TERMS is the program's DEP-5
copyright file. COMPILER is the MinGW-w64 g++ whose C++ runtime is linked
statically into the program and Qt's DLLs: its runtime libraries are looked
up in dpkg for the copyright files of their Debian packages. Fails rather
than ship a component without its licence.

Debian's python3-debian reads the DEP-5 files: run it with /usr/bin/python3.
"""

import json
import os
import re
import subprocess
import sys

from debian.copyright import Copyright

# Debian's names for bundled copies in config.summary ("Using system X ... no")
# and the folder under src/3rdparty that holds each.
BUNDLED = {
    "zlib": "zlib",
    "DoubleConversion": "double-conversion",
    "libb2": "blake2",
    "PCRE2": "pcre2",
    "FreeType": "freetype",
    "HarfBuzz": "harfbuzz-ng",
    "libjpeg": "libjpeg",
    "libpng": "libpng",
    "libmd4c": "md4c",
}
# Code that Qt Core and Qt Gui compile in on every platform, with no system
# alternative and so no line in config.summary: hashes (QCryptographicHash,
# and SipHash behind QHash), easing curves, CBOR, the built-in sRGB profile,
# and on Windows the Direct3D 12 memory allocator of Qt Gui's rendering.
ALWAYS = ["easing", "md4", "md5", "rfc6234", "sha1", "sha3", "siphash", "tinycbor", "icc",
          "D3D12MemoryAllocator"]
# Modules whose own (non-3rdparty) attributions count: what ships.
SHIPPED_MODULES = ["src/corelib/", "src/gui/", "src/widgets/", "src/plugins/platforms/windows/"]


def fail(message):
    sys.exit(f"licences.py: {message}")


def read(path):
    with open(path, encoding="utf-8", errors="replace") as f:
        return f.read()


def write(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    # Notepad and the installer's licence page read CRLF everywhere.
    with open(path, "w", encoding="utf-8", newline="\r\n") as f:
        f.write(text if text.endswith("\n") else text + "\n")


def bundled_in_build(summary):
    """Folders under src/3rdparty whose copies this build compiled in."""
    lines = summary.splitlines()
    used = []
    for i, line in enumerate(lines):
        m = re.match(r"^(\s*)Using system (\S+) \.+ (yes|no)\s*$", line)
        if not m or m.group(3) != "no":
            continue
        indent, name = len(m.group(1)), m.group(2)
        # The feature it belongs to is the nearest line above with less indent;
        # a feature that is off bundles nothing.
        for above in reversed(lines[:i]):
            a = len(above) - len(above.lstrip())
            if a < indent:
                if re.search(r"\.+ no\s*$", above):
                    name = None
                break
        if name is None:
            continue
        if name not in BUNDLED:
            fail(f"config.summary names a bundled {name} that this script does not know; add it to BUNDLED")
        used.append(BUNDLED[name])
    return used


def attributions(path):
    # Qt's attribution files allow raw line breaks inside strings, and give
    # some fields (Copyright, since Qt 6.5) as a list of lines.
    data = json.loads(read(path), strict=False)
    entries = data if isinstance(data, list) else [data]
    for e in entries:
        for key, value in e.items():
            if isinstance(value, list) and key not in ("LicenseFiles", "Files"):
                e[key] = "\n".join(str(v) for v in value)
    return entries


def dep5(path):
    with open(path, encoding="utf-8") as f:
        # Debian's copyright file of qt6-base has comments and a few fields
        # outside the format; nothing here depends on them.
        return Copyright(f, strict=False)


def debian_paragraphs_for(folder, copyright):
    """Debian's paragraphs for the files of FOLDER, with the licence texts they name."""
    chosen, names = [], []
    for paragraph in copyright.all_files_paragraphs():
        patterns = paragraph.files
        inside = [p.startswith(folder + "/") for p in patterns]
        # A whole folder of it, or only its files: not a list of files across
        # the source that happens to name one of its scripts.
        if patterns and (all(inside) or any(p.startswith(folder + "/") and p.endswith("/*")
                                            for p in patterns)):
            chosen.append(paragraph.dump().strip("\n"))
            names += re.split(r"\s+(?:or|and)\s+|,\s*", paragraph.license.synopsis)
    for paragraph in copyright.all_license_paragraphs():
        if paragraph.license.synopsis in names:
            chosen.append(paragraph.dump().strip("\n"))
    return "\n\n".join(chosen)


def third_party(folder, notices, debian, out):
    json_path = os.path.join(notices, "source", "src", "3rdparty", folder, "qt_attribution.json")
    if not os.path.isfile(json_path):
        fail(f"no attribution for the bundled {folder} in {notices}/source")
    entries = attributions(json_path)
    parts, missing = [], False
    for e in entries:
        head = [e.get("Name", folder)]
        for key in ("Version", "Homepage", "Copyright", "License", "QtUsage"):
            if e.get(key):
                head.append(f"{key}: {e[key].strip()}")
        parts.append("\n".join(head))
        files = e.get("LicenseFiles") or ([e["LicenseFile"]] if e.get("LicenseFile") else [])
        for name in files:
            path = os.path.join(os.path.dirname(json_path), name)
            if os.path.isfile(path):
                parts.append(f"--- {name} ---\n" + read(path).strip("\n"))
            else:
                missing = True
    if missing:
        # Older caches kept only LICENSE* files; Debian's copyright file has
        # the rest, with the copyright holders.
        text = debian_paragraphs_for(f"src/3rdparty/{folder}", debian)
        if not text:
            fail(f"no licence text for {folder}, neither in the source notices nor in debian-copyright")
        parts.append("--- from Debian's copyright file of qt6-base ---\n" + text)
    write(os.path.join(out, f"{folder}.txt"), "\n\n".join(parts))
    return [(e.get("Name", folder), e.get("LicenseId") or e.get("License", "")) for e in entries]


def module_attributions(notices, out):
    """Attributions of the shipped modules outside 3rdparty, where the cache kept them."""
    found = []
    source = os.path.join(notices, "source")
    for dirpath, _, files in os.walk(source):
        rel = os.path.relpath(dirpath, source).replace(os.sep, "/") + "/"
        if "qt_attribution.json" not in files or "3rdparty" in rel:
            continue
        if not any(rel.startswith(m) for m in SHIPPED_MODULES):
            continue
        for e in attributions(os.path.join(dirpath, "qt_attribution.json")):
            text = [e.get("Name", ""), f"Copyright: {e.get('Copyright', '').strip()}",
                    f"License: {e.get('License', '')}"]
            lf = e.get("LicenseFile")
            if lf and os.path.isfile(os.path.join(dirpath, lf)):
                text.append(read(os.path.join(dirpath, lf)))
            name = re.sub(r"[^A-Za-z0-9.-]+", "-", e.get("Id", rel.strip("/")))
            write(os.path.join(out, f"{name}.txt"), "\n".join(text))
            found.append((e.get("Name", name), e.get("LicenseId") or e.get("License", "")))
    return found


def own_terms(terms_path, version):
    paragraph = dep5(terms_path).find_files_paragraph("thymara.exe")
    if paragraph is None or paragraph.files != ("*",):
        fail(f"{terms_path} has no 'Files: *' paragraph")
    body = paragraph.license.text.strip("\n")
    return (f"Thymara {version}\n\nCopyright {paragraph.copyright}\n{body}\n\n"
            "Thymara comes with Qt, the runtime libraries of the MinGW-w64 compiler and\n"
            "third-party code contained in Qt, each under its own licence. Their texts are\n"
            "in the \"licences\" folder beside thymara.exe; README.txt there lists them.\n")


# The C++ runtime linked into every shipped binary, as (what it is, its
# static library, its DLL). The notices are named after the Debian package of
# the DLL, the runtime package; the static library comes from the same Debian
# source and so has the same copyright file, which is checked.
RUNTIME = [
    ("libstdc++", "libstdc++.a", "libstdc++-6.dll"),
    ("libgcc", "libgcc_eh.a", "libgcc_s_seh-1.dll"),
    ("winpthreads and the mingw-w64 runtime", "libwinpthread.a", "libwinpthread-1.dll"),
]


def owner(path):
    real = os.path.realpath(path)
    found = subprocess.run(["dpkg", "-S", real], capture_output=True, text=True)
    if found.returncode != 0:
        fail(f"{real} belongs to no Debian package: its licence is unknown")
    package = found.stdout.split(":")[0].strip()
    source = subprocess.run(["dpkg-query", "-W", "-f=${source:Package} ${source:Version}", package],
                            capture_output=True, text=True, check=True).stdout
    return package, source


def runtime_packages(compiler):
    packages = {}
    for what, static, dll in RUNTIME:
        found = []
        for name in (static, dll):
            path = subprocess.run([compiler, f"-print-file-name={name}"], capture_output=True,
                                  text=True, check=True).stdout.strip()
            if not os.path.isabs(path):
                fail(f"{compiler} has no {name}")
            found.append(owner(path))
        (_, static_source), (package, dll_source) = found
        if static_source != dll_source:
            fail(f"{static} ({static_source}) and {dll} ({dll_source}) come from different sources")
        packages.setdefault((package, dll_source), []).append(what)
    return packages


def main():
    if len(sys.argv) < 5:
        fail(__doc__)
    if len(sys.argv) != 6:
        fail(__doc__)
    folder, qt, terms, version, compiler = sys.argv[1:]
    notices = os.path.join(qt, "share", "thymara-notices")
    for need in ("config.summary", "debian-copyright", "source"):
        if not os.path.exists(os.path.join(notices, need)):
            fail(f"{notices}/{need} is missing: the Qt cache predates its licence notices; rebuild it")
    out = os.path.join(folder, "licences")
    write(os.path.join(out, "Thymara.txt"), own_terms(terms, version))

    # Qt itself: LGPL-3.0, which is the GPL-3.0 with additional permissions.
    licenses = os.path.join(notices, "source", "LICENSES")
    for name in ("LGPL-3.0-only.txt", "GPL-3.0-only.txt"):
        path = os.path.join(licenses, name)
        if not os.path.isfile(path):
            fail(f"{path} is missing")
        write(os.path.join(out, "Qt", name), read(path))
    debian_path = os.path.join(notices, "debian-copyright")
    write(os.path.join(out, "Qt", "debian-copyright.txt"), read(debian_path))
    summary = read(os.path.join(notices, "config.summary"))
    write(os.path.join(out, "Qt", "config.summary.txt"), summary)
    build_note = os.path.join(qt, "thymara-qt-build.txt")
    build = read(build_note).strip() if os.path.isfile(build_note) else ""
    m = re.search(r"^qt6-base (\S+) \(Debian source\)", build, re.M)
    if not m:
        fail(f"{build_note} does not say which qt6-base source was built")
    qt_source = m.group(1)
    write(os.path.join(out, "Qt", "SOURCE.txt"),
          f"Qt Core, Qt Gui, Qt Widgets and the Windows platform plugin (Qt6Core.dll,\n"
          f"Qt6Gui.dll, Qt6Widgets.dll, platforms/qwindows.dll) are Qt {qt_source.split('+')[0]},\n"
          f"used under the GNU Lesser General Public License version 3 (LGPL-3.0-only.txt,\n"
          f"which adds permissions to the GNU General Public License version 3 in\n"
          f"GPL-3.0-only.txt). Thymara loads them as DLLs: you may replace them with your\n"
          f"own build of the same Qt version.\n\n"
          f"Corresponding source: Debian's source package qt6-base, version {qt_source}\n"
          f"(apt-get source qt6-base={qt_source}; https://sources.debian.org/src/qt6-base/{qt_source}/),\n"
          f"built for Windows with MinGW-w64 by scripts/windows/build-qt.sh of Thymara's\n"
          f"build scripts, without changes to the source, configured as recorded below and\n"
          f"in config.summary.txt.\n\n"
          f"{build}\n\n"
          f"debian-copyright.txt is Debian's copyright file for that source: every\n"
          f"copyright holder and licence in it, including code inside the Qt modules.\n")

    third = os.path.join(out, "Qt", "third-party")
    debian = dep5(debian_path)
    listed = []
    for folder_name in sorted(set(bundled_in_build(summary) + ALWAYS)):
        listed += third_party(folder_name, notices, debian, third)
    listed += module_attributions(notices, third)

    # The MinGW runtime, linked into thymara.exe and every Qt DLL: libstdc++
    # and libgcc are GPL-3 with the GCC Runtime Library Exception (both in
    # the package's copyright file); winpthreads and the rest of the
    # mingw-w64 runtime have their own terms in mingw-w64's.
    runtime = []
    for (package, source), names in sorted(runtime_packages(compiler).items()):
        copyright_file = f"/usr/share/doc/{package}/copyright"
        if not os.path.isfile(copyright_file):
            fail(f"{copyright_file} is missing")
        write(os.path.join(out, "MinGW-runtime", f"{package}.txt"),
              f"{', '.join(names)}:\nlinked into thymara.exe and the Qt DLLs, built from Debian's source\n"
              f"{source} (package {package}).\n\n" + read(copyright_file))
        runtime.append(f"  MinGW-runtime/{package}.txt: {', '.join(names)}")
    write(os.path.join(out, "MinGW-runtime", "GPL-3.0.txt"), read("/usr/share/common-licenses/GPL-3"))

    index = [
        f"Licences of Thymara {version} for Windows and of everything it ships",
        "",
        "Thymara.txt: the program's own terms (thymara.exe).",
        "Qt/SOURCE.txt: Qt, its licence (LGPL-3.0) and where its source is to be had;",
        "  Qt/LGPL-3.0-only.txt, Qt/GPL-3.0-only.txt, Qt/debian-copyright.txt.",
        "Qt/third-party/: code that Qt contains, with its licence:",
    ]
    index += [f"  {name} ({lic})" for name, lic in listed]
    index += ["The MinGW-w64 runtime (GPL-3.0 with the GCC Runtime Library Exception;",
              "winpthreads under its own terms), with MinGW-runtime/GPL-3.0.txt:"] + runtime
    write(os.path.join(out, "README.txt"), "\n".join(index))


if __name__ == "__main__":
    main()
