#!/usr/bin/python3
"""Checks what Windows shows of sumquill.exe without running it: the size of the file, the
version resource (the strings of the file's properties and the fixed version numbers) and the
application manifest. Reads the PE file itself, so no Windows tool is needed.

Usage: exe_check.py --exe sumquill.exe --version 1.0.0 [--max-size 1048576]
"""
import argparse
import os
import re
import struct
import sys

RT_VERSION = 16
RT_MANIFEST = 24
# The supportedOS identifier that Windows 10 and Windows 11 share.
WINDOWS_10_AND_11 = "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"


class Failure(Exception):
    pass


def resources(data):
    """{(type, id): bytes} of the first language of every resource in the PE image `data`."""
    if data[:2] != b"MZ":
        raise Failure("not an exe: no MZ header")
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        raise Failure("not a PE image")
    sections, optional_size = struct.unpack_from("<H12xH", data, pe + 6)
    optional = pe + 24
    magic = struct.unpack_from("<H", data, optional)[0]
    directories = optional + (112 if magic == 0x20B else 96)
    resource_rva, resource_size = struct.unpack_from("<II", data, directories + 2 * 8)
    if not resource_size:
        raise Failure("the exe has no resources")
    table = []
    for i in range(sections):
        header = optional + optional_size + 40 * i
        virtual_size, virtual_address, raw_size, raw_pointer = struct.unpack_from(
            "<IIII", data, header + 8)
        table.append((virtual_address, max(virtual_size, raw_size), raw_pointer))

    def offset(rva):
        for address, size, pointer in table:
            if address <= rva < address + size:
                return rva - address + pointer
        raise Failure(f"address {rva:#x} lies in no section")

    base = offset(resource_rva)

    def entries(directory):
        named, numbered = struct.unpack_from("<HH", data, base + directory + 12)
        for i in range(named + numbered):
            name, target = struct.unpack_from("<II", data, base + directory + 16 + 8 * i)
            yield name, target

    found = {}
    for type_id, names in entries(0):
        for name_id, languages in entries(names & 0x7FFFFFFF):
            for _, leaf in entries(languages & 0x7FFFFFFF):
                rva, size = struct.unpack_from("<II", data, base + leaf)
                found.setdefault((type_id, name_id), data[offset(rva):offset(rva) + size])
    return found


def version_blocks(data, start=0):
    """The VS_VERSIONINFO tree: (key, value bytes, children) for the block at `start`."""
    length, value_length, kind = struct.unpack_from("<HHH", data, start)
    end = start + length
    key_end = start + 6
    while data[key_end:key_end + 2] != b"\0\0":
        key_end += 2
    key = data[start + 6:key_end].decode("utf-16-le")
    position = (key_end + 2 + 3) & ~3
    value = b""
    if value_length:
        # Text values run to their NUL; compilers differ in counting them in bytes or in words.
        size = value_length if kind == 0 else end - position
        value = data[position:position + size]
        position = (position + size + 3) & ~3
    children = []
    while position < end:
        child, child_end = version_blocks(data, position)
        children.append(child)
        position = (child_end + 3) & ~3
    return (key, value, children), end


def version_strings(resource):
    (key, fixed, children), _ = version_blocks(resource)
    if key != "VS_VERSION_INFO":
        raise Failure(f"the version resource starts with {key!r}")
    signature, _, file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<6I", fixed)
    if signature != 0xFEEF04BD:
        raise Failure("the version resource has no fixed file information")
    numbers = {"file": (file_ms >> 16, file_ms & 0xFFFF, file_ls >> 16, file_ls & 0xFFFF),
               "product": (product_ms >> 16, product_ms & 0xFFFF, product_ls >> 16,
                           product_ls & 0xFFFF)}
    strings = {}
    for child_key, _, tables in children:
        if child_key != "StringFileInfo":
            continue
        for _, _, values in tables:
            for name, value, _ in values:
                strings[name] = value.decode("utf-16-le").split("\0")[0]
    return numbers, strings


def check(path, version, max_size):
    problems = []
    size = os.path.getsize(path)
    print(f"{os.path.basename(path)}: {size} bytes (at most {max_size})")
    if size > max_size:
        problems.append(f"{size} bytes, more than {max_size}")
    try:
        with open(path, "rb") as f:
            return problems + resource_problems(resources(f.read()), version)
    except (Failure, struct.error, UnicodeDecodeError) as error:
        return problems + [str(error)]


def resource_problems(found, version):
    problems = []
    version_resource = next((v for (t, _), v in found.items() if t == RT_VERSION), None)
    if version_resource is None:
        raise Failure("the exe has no version resource")
    numbers, strings = version_strings(version_resource)
    for name, value in sorted(strings.items()):
        print(f"  {name}: {value}")
    parts = tuple(int(p) for p in version.split("."))
    expected_numbers = parts + (0,) * (4 - len(parts))
    for which, actual in numbers.items():
        if actual != expected_numbers:
            problems.append(f"fixed {which} version {actual}, not {expected_numbers}")
    expected = {"FileVersion": version, "ProductVersion": version, "ProductName": "Sumquill",
                "CompanyName": "www.sumquill.example", "OriginalFilename": "sumquill.exe",
                "LegalCopyright": "Copyright (c) 2026 The Sumquill authors"}
    for name, value in expected.items():
        if strings.get(name) != value:
            problems.append(f"{name} is {strings.get(name)!r}, not {value!r}")
    if not strings.get("FileDescription"):
        problems.append("no FileDescription")

    manifest = found.get((RT_MANIFEST, 1))
    if manifest is None:
        problems.append("no manifest of ID 1, the one a process start reads")
    else:
        text = manifest.decode("utf-8")
        print(f"  manifest: {len(manifest)} bytes")
        if not re.search(r'<requestedExecutionLevel\s+level="asInvoker"', text):
            problems.append("the manifest does not ask to run asInvoker")
        if f'<supportedOS Id="{WINDOWS_10_AND_11}"/>' not in text:
            problems.append("the manifest does not name Windows 10 and 11 as supported")
    return problems


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    parser.add_argument("--version", required=True, help="as project() gives it: 1.0.0")
    parser.add_argument("--max-size", type=int, default=1 << 20)
    args = parser.parse_args()
    problems = check(args.exe, args.version, args.max_size)
    for problem in problems:
        print(f"exe check: {problem}", file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
