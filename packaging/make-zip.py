#!/usr/bin/env python3
"""Writes a zip archive of a folder that is the same byte for byte whenever the folder's files
are: entries in name order, every date SOURCE_DATE_EPOCH (UTC), fixed permissions, no owner, no
extra fields. zip(1) would store the files' own times and its own extra fields (UID/GID, Unix
times), which differ from one checkout or build to the next.

Usage: make-zip.py ARCHIVE FOLDER
Every file and folder under FOLDER goes in, named by its path relative to FOLDER (so a folder
with one top folder inside gives an archive that unpacks into that top folder)."""

import os
import sys
import time
import zipfile
from pathlib import Path

# Unix permissions, as unzip applies them: programs executable, everything else read-only to
# others. Windows ignores them.
DIRECTORY_MODE = 0o040755
PROGRAM_MODE = 0o100755
FILE_MODE = 0o100644
MSDOS_DIRECTORY = 0x10


def entry(name, mode, date_time):
    info = zipfile.ZipInfo(name, date_time)
    info.create_system = 3  # Unix, so that the permissions in external_attr count
    info.external_attr = mode << 16
    if name.endswith("/"):
        info.external_attr |= MSDOS_DIRECTORY
        info.compress_type = zipfile.ZIP_STORED
    else:
        info.compress_type = zipfile.ZIP_DEFLATED
    return info


def main(archive, folder):
    epoch = int(os.environ["SOURCE_DATE_EPOCH"])
    # A zip date has no time zone and cannot be before 1980; its seconds are even.
    date_time = time.gmtime(max(epoch, 315532800))[:6]
    root = Path(folder)
    paths = sorted(root.rglob("*"), key=lambda path: path.relative_to(root).as_posix())
    with zipfile.ZipFile(archive, "w") as zip_file:
        for path in paths:
            name = path.relative_to(root).as_posix()
            if path.is_dir():
                zip_file.writestr(entry(name + "/", DIRECTORY_MODE, date_time), b"")
            else:
                mode = PROGRAM_MODE if path.suffix == ".exe" else FILE_MODE
                zip_file.writestr(entry(name, mode, date_time), path.read_bytes(),
                                  compresslevel=9)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2])
