#!/usr/bin/env python3
"""Builds the Windows installer (.msi) with wixl from the mingw build.
    make_msi.py --source SOURCE_DIR --program morbilex.exe --version 1.0.0
                --output morbilex.msi [--strip x86_64-w64-mingw32-strip]
                [--same-as earlier.msi]

The same inputs give the same bytes: the files are staged with one time stamp
(SOURCE_DATE_EPOCH, else the last commit's time), the product code follows the
version, and the package code and the summary's dates, which wixl draws at
random or from the clock, are written afterwards from the contents."""
import argparse
import hashlib
import os
import shutil
import struct
import subprocess
import sys
import uuid

# Fixed for the life of the product: Windows finds earlier versions by it.
UPGRADE_CODE = "7A0C5E61-3B2D-4F8E-9C41-6D2E8B5A9F13"
NAMESPACE = uuid.UUID("0c3f7a52-91d4-4e6b-a8f0-2b5c9d1e7a64")
# The components written for one scope only (see the .wxs).
COMPONENT_CONDITIONS = {
    "ScenarioFileTypeMachine": "ALLUSERS",
    "ScenarioFileTypeUser": "NOT ALLUSERS",
    "StartMenuMachine": "ALLUSERS",
    "StartMenuUser": "NOT ALLUSERS",
}
SUMMARY_STREAM = "\x05SummaryInformation"
PID_REVISION, PID_CREATED, PID_SAVED = 9, 12, 13
VT_LPSTR, VT_FILETIME = 30, 64


def source_date(source):
    if os.environ.get("SOURCE_DATE_EPOCH"):
        return int(os.environ["SOURCE_DATE_EPOCH"])
    try:
        out = subprocess.run(["git", "-C", source, "log", "-1", "--format=%ct"],
                             capture_output=True, text=True, check=True).stdout.strip()
        return int(out)
    except (OSError, subprocess.CalledProcessError, ValueError):
        return 1767225600  # 2026-01-01


def stage(args, folder, epoch):
    """The installed files, named as installed, with one time stamp."""
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    shutil.copyfile(args.program, os.path.join(folder, "morbilex.exe"))
    if args.strip:
        # The time stamp strip writes into the program's header is this one too.
        subprocess.run([args.strip, os.path.join(folder, "morbilex.exe")], check=True,
                       env=dict(os.environ, SOURCE_DATE_EPOCH=str(epoch)))
    src = args.source
    shutil.copyfile(os.path.join(src, "LICENSE"), os.path.join(folder, "LICENSE.txt"))
    shutil.copyfile(os.path.join(src, "resources/icons/morbilex.ico"),
                    os.path.join(folder, "morbilex.ico"))
    pictures = os.path.join(src, "docs/guide/pictures/windows")
    for name in sorted(os.listdir(pictures)):
        shutil.copyfile(os.path.join(pictures, name), os.path.join(folder, "guide-" + name))
    subprocess.run([sys.executable, os.path.join(src, "scripts/web_guide.py"),
                    os.path.join(src, "docs/guide"), os.path.join(folder, "guide.html"),
                    "--desktop"], check=True)
    digest = hashlib.sha256()
    for name in sorted(os.listdir(folder)):
        path = os.path.join(folder, name)
        os.utime(path, (epoch, epoch))
        with open(path, "rb") as file:
            digest.update(name.encode() + b"\0" + file.read())
    return digest


class CompoundFile:
    """Just enough of the compound file format to rewrite a stream in place."""

    def __init__(self, data):
        self.data = data
        self.sector = 1 << struct.unpack_from("<H", data, 0x1E)[0]
        self.mini = 1 << struct.unpack_from("<H", data, 0x20)[0]
        first_dir, = struct.unpack_from("<I", data, 0x30)
        self.cutoff, first_minifat, _, first_difat, difat_count = struct.unpack_from(
            "<5I", data, 0x38)
        fat_sectors = [s for s in struct.unpack_from("<109I", data, 0x4C) if s < 0xFFFFFFFA]
        per_sector = self.sector // 4
        while difat_count > 0 and first_difat < 0xFFFFFFFA:
            entries = struct.unpack_from("<%dI" % per_sector, data, self.offset(first_difat))
            fat_sectors += [s for s in entries[:-1] if s < 0xFFFFFFFA]
            first_difat, difat_count = entries[-1], difat_count - 1
        self.fat = []
        for s in fat_sectors:
            self.fat += struct.unpack_from("<%dI" % per_sector, data, self.offset(s))
        directory = b"".join(self.read_sector(s) for s in self.chain(first_dir))
        self.entries = {}
        for at in range(0, len(directory), 128):
            length, = struct.unpack_from("<H", directory, at + 0x40)
            name = directory[at:at + max(length - 2, 0)].decode("utf-16-le")
            start, size = struct.unpack_from("<II", directory, at + 0x74)
            self.entries.setdefault(name, (start, size))
        self.minifat = []
        for s in self.chain(first_minifat):
            self.minifat += struct.unpack_from("<%dI" % per_sector, data, self.offset(s))
        self.mini_sectors = self.chain(self.entries["Root Entry"][0])

    def offset(self, sector):
        return (sector + 1) * self.sector

    def read_sector(self, sector):
        return self.data[self.offset(sector):self.offset(sector) + self.sector]

    def chain(self, start, table=None):
        table = self.fat if table is None else table
        sectors = []
        while start < 0xFFFFFFFA:
            sectors.append(start)
            start = table[start]
        return sectors

    def places(self, name):
        """The file offset of each byte of the stream."""
        start, size = self.entries[name]
        places = []
        if size < self.cutoff:
            for m in self.chain(start, self.minifat):
                at = m * self.mini
                big = self.mini_sectors[at // self.sector]
                base = self.offset(big) + at % self.sector
                places += range(base, base + self.mini)
        else:
            for s in self.chain(start):
                places += range(self.offset(s), self.offset(s) + self.sector)
        return places[:size]


def settle_summary(path, package_code, epoch):
    """Writes the package code and the dates into the summary stream."""
    with open(path, "rb") as file:
        data = bytearray(file.read())
    compound = CompoundFile(data)
    places = compound.places(SUMMARY_STREAM)
    stream = bytearray(data[p] for p in places)
    section, = struct.unpack_from("<I", stream, 44)
    _, count = struct.unpack_from("<II", stream, section)
    filetime = (epoch + 11644473600) * 10_000_000
    done = set()
    for k in range(count):
        pid, at = struct.unpack_from("<II", stream, section + 8 + 8 * k)
        at += section
        kind, = struct.unpack_from("<I", stream, at)
        if pid == PID_REVISION and kind == VT_LPSTR:
            length, = struct.unpack_from("<I", stream, at + 4)
            text = ("{%s}" % str(package_code).upper()).encode() + b"\0"
            if length != len(text):
                sys.exit("make_msi.py: unexpected package code field")
            stream[at + 8:at + 8 + length] = text
            done.add(pid)
        elif pid in (PID_CREATED, PID_SAVED) and kind == VT_FILETIME:
            struct.pack_into("<Q", stream, at + 4, filetime)
            done.add(pid)
    if done != {PID_REVISION, PID_CREATED, PID_SAVED}:
        sys.exit("make_msi.py: the summary lacks its package code or dates")
    for place, byte in zip(places, stream):
        data[place] = byte
    with open(path, "wb") as file:
        file.write(data)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--source", required=True)
    parser.add_argument("--program", required=True)
    parser.add_argument("--version", required=True)
    parser.add_argument("--output", required=True)
    parser.add_argument("--strip")
    parser.add_argument("--same-as", help="fail unless the output equals this file")
    args = parser.parse_args()
    args.source = os.path.abspath(args.source)
    args.program = os.path.abspath(args.program)
    output = os.path.abspath(args.output)

    epoch = source_date(args.source)
    folder = output + ".files"
    digest = stage(args, folder, epoch)
    wxs = os.path.join(args.source, "resources/windows/morbilex.wxs")
    for made_from in (wxs, __file__):
        with open(made_from, "rb") as file:
            digest.update(file.read())
    digest.update(args.version.encode())
    product_code = uuid.uuid5(NAMESPACE, "product " + args.version)
    package_code = uuid.uuid5(NAMESPACE, "package " + digest.hexdigest())

    building = output + ".new"
    # wixl reads the files relative to the folder it runs in.
    subprocess.run(["wixl", "--arch", "x64", "-D", "Version=" + args.version,
                    "-D", "ProductCode=" + str(product_code).upper(),
                    "-D", "UpgradeCode=" + UPGRADE_CODE, "-o", building, wxs],
                   cwd=folder, check=True)
    queries = []
    for component, condition in COMPONENT_CONDITIONS.items():
        queries += ["-q", "UPDATE Component SET Condition = '%s' WHERE Component = '%s'"
                    % (condition, component)]
    subprocess.run(["msibuild", building] + queries, check=True)
    settle_summary(building, package_code, epoch)
    os.replace(building, output)
    shutil.rmtree(folder)
    if args.same_as:
        with open(output, "rb") as made, open(args.same_as, "rb") as reference:
            if made.read() != reference.read():
                sys.exit("make_msi.py: %s differs from %s" % (output, args.same_as))


if __name__ == "__main__":
    main()
