#!/usr/bin/env python3
"""Checks the release archives that scripts/package.sh wrote.

usage: check_package.py CMakeLists.txt DIST_FOLDER

Each archive is named after the version in CMakeLists.txt and holds exactly the
program, its hook library, the sample settings file and the user guide; the
texts are code page 932 with CRLF line ends; the images are of the archive's
architecture; the program carries its manifest (resource type 24) with the
same version.
"""
import re
import struct
import sys
import xml.etree.ElementTree as ET
import zipfile

FILES = {"Quillora.exe", "QuilloraHelper.dll", "Quillora.ini", "ReadMe.txt"}
ARCHS = {"i686": (0x10B, 0x014C, "PE32"), "x86_64": (0x20B, 0x8664, "PE32+")}
RT_MANIFEST = 24

failures = 0


def check(what, ok, detail=""):
    global failures
    print(("ok: " if ok else "FAILED: ") + what + ("" if ok or not detail else f" ({detail})"))
    failures += 0 if ok else 1


def pe_header(image):
    """(optional-header magic, machine, section table, data directories)"""
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    if image[pe:pe + 4] != b"PE\0\0":
        raise ValueError("no PE signature")
    machine, count, _, _, _, optional_size, _ = struct.unpack_from("<HHIIIHH", image, pe + 4)
    optional = pe + 24
    magic = struct.unpack_from("<H", image, optional)[0]
    directories = optional + (96 if magic == 0x10B else 112)
    sections = [struct.unpack_from("<8sIIII", image, optional + optional_size + 40 * i) for i in range(count)]
    return magic, machine, sections, directories


def resource(image, type_id, name_id):
    """The bytes of one resource (first language), or None."""
    _, _, sections, directories = pe_header(image)
    root_rva, _ = struct.unpack_from("<II", image, directories + 8 * 2)

    def offset(rva):
        for _, vsize, vaddr, rawsize, rawptr in sections:
            if vaddr <= rva < vaddr + max(vsize, rawsize):
                return rawptr + rva - vaddr
        raise ValueError(f"RVA {rva:#x} in no section")

    base = offset(root_rva)

    def entries(directory):
        named, ids = struct.unpack_from("<HH", image, base + directory + 12)
        for i in range(named + ids):
            yield struct.unpack_from("<II", image, base + directory + 16 + 8 * i)

    def find(directory, wanted):
        for name, target in entries(directory):
            if wanted is None or name == wanted:
                return target
        return None

    level = 0
    for wanted in (type_id, name_id, None):
        target = find(level, wanted)
        if target is None:
            return None
        level = target & 0x7FFFFFFF
    data_rva, size = struct.unpack_from("<II", image, base + level)[:2]
    return image[offset(data_rva):offset(data_rva) + size]


def check_text(name, data, first_line=None):
    try:
        text = data.decode("cp932")
    except UnicodeDecodeError as e:
        check(f"{name} is code page 932", False, str(e))
        return
    check(f"{name} is code page 932 with Japanese text", any(ord(c) > 0x7F for c in text))
    check(f"{name} has no byte order mark", not text.startswith("\ufeff"))
    lone = len(re.findall(r"(?<!\r)\n|\r(?!\n)", text))
    check(f"{name} ends every line with CRLF", lone == 0 and text.endswith("\r\n"), f"{lone} other line ends")
    if first_line is not None:
        got = text.split("\r\n", 1)[0]
        check(f"{name} starts with '{first_line}'", got == first_line, f"got '{got}'")


def check_archive(path, arch, version):
    magic, machine, kind = ARCHS[arch]
    try:
        archive = zipfile.ZipFile(path)
    except (OSError, zipfile.BadZipFile) as e:
        check(f"{path} is a zip archive", False, str(e))
        return
    with archive:
        names = set(archive.namelist())
        check(f"{path} holds exactly {sorted(FILES)}", names == FILES and len(archive.namelist()) == 4,
              f"got {archive.namelist()}")
        if not FILES <= names:
            return
        check(f"{path}: the archive's CRCs hold", archive.testzip() is None)
        check_text(f"{arch} ReadMe.txt", archive.read("ReadMe.txt"), f"Quillora {version}")
        check_text(f"{arch} Quillora.ini", archive.read("Quillora.ini"))
        for name in ("Quillora.exe", "QuilloraHelper.dll"):
            got_magic, got_machine, _, _ = pe_header(archive.read(name))
            check(f"{arch} {name} is {kind} for machine {machine:#06x}",
                  (got_magic, got_machine) == (magic, machine), f"magic {got_magic:#x}, machine {got_machine:#x}")
        manifest = resource(archive.read("Quillora.exe"), RT_MANIFEST, 1)
        check(f"{arch} Quillora.exe embeds a manifest as resource type 24, id 1", manifest is not None)
        if manifest is None:
            return
        identity = ET.fromstring(manifest).find("{urn:schemas-microsoft-com:asm.v1}assemblyIdentity")
        got = None if identity is None else (identity.get("name"), identity.get("version"))
        check(f"{arch} manifest names Quillora {version}.0", got == ("Quillora", f"{version}.0"), f"got {got}")


def main():
    cmakelists, dist = sys.argv[1:3]
    found = re.search(r"project\(Quillora VERSION ([0-9]+\.[0-9]+\.[0-9]+)", open(cmakelists).read())
    if not found:
        sys.exit(f"no project(Quillora VERSION x.y.z) in {cmakelists}")
    version = found.group(1)
    for arch in ARCHS:
        check_archive(f"{dist}/Quillora-{version}-{arch}.zip", arch, version)
    print(f"{failures} failed checks")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
