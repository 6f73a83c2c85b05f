#!/usr/bin/env python3
"""Writes legacy.xls, the .xls reader's fixture: a BIFF8 workbook in a
compound file, built record by record so every byte is accounted for.

Sheet "Params": A1 "Gain" (shared string), B1 2.5, A2 "Offset" (inline
label), B2 " -4e-1 " (shared string), B3 TRUE, C4 -7.25.
Sheet "Data": A1 42, B2 "abc" (shared string).
"""
import struct

def record(kind, data=b""):
    return struct.pack("<HH", kind, len(data)) + data

def bof(substream):
    return record(0x0809, struct.pack("<HHHHII", 0x0600, substream, 0x0DBB, 0x07CC, 0, 0x06))

def eof():
    return record(0x000A)

def number(row, col, value):
    return record(0x0203, struct.pack("<HHHd", row, col, 0, value))

def labelsst(row, col, index):
    return record(0x00FD, struct.pack("<HHHI", row, col, 0, index))

def label(row, col, text):
    raw = text.encode("latin-1")
    return record(0x0204, struct.pack("<HHHHB", row, col, 0, len(raw), 0) + raw)

def boolerr(row, col, value):
    return record(0x0205, struct.pack("<HHHBB", row, col, 0, value, 0))

def dimensions(rows, cols):
    return record(0x0200, struct.pack("<IIHHH", 0, rows, 0, cols, 0))

strings = ["Gain", " -4e-1 ", "abc"]
sst = struct.pack("<II", len(strings), len(strings))
for s in strings:
    raw = s.encode("latin-1")
    sst += struct.pack("<HB", len(raw), 0) + raw

sheets = [
    ("Params", [dimensions(4, 3), labelsst(0, 0, 0), number(0, 1, 2.5), label(1, 0, "Offset"),
                labelsst(1, 1, 1), boolerr(2, 1, 1), number(3, 2, -7.25)]),
    ("Data", [dimensions(2, 2), number(0, 0, 42.0), labelsst(1, 1, 2)]),
]

def boundsheet(offset, name):
    raw = name.encode("latin-1")
    return record(0x0085, struct.pack("<IBBBB", offset, 0, 0, len(raw), 0) + raw)

head = bof(0x0005) + record(0x0042, struct.pack("<H", 0x04B0))
tail = record(0x00FC, sst) + eof()
sheet_streams = [bof(0x0010) + b"".join(cells) + eof() for _, cells in sheets]
bound_size = sum(len(boundsheet(0, name)) for name, _ in sheets)
offset = len(head) + bound_size + len(tail)
bound = b""
for (name, _), stream in zip(sheets, sheet_streams):
    bound += boundsheet(offset, name)
    offset += len(stream)
workbook = head + bound + tail + b"".join(sheet_streams)
# Streams under 4096 bytes would live in the mini stream; padding keeps the
# container to plain sectors.
workbook += b"\0" * (4096 - len(workbook)) if len(workbook) < 4096 else b""

SECTOR = 512
FREE, END, FATSECT, NOSTREAM = 0xFFFFFFFF, 0xFFFFFFFE, 0xFFFFFFFD, 0xFFFFFFFF
data_sectors = (len(workbook) + SECTOR - 1) // SECTOR
fat = [FATSECT, END] + [3 + i for i in range(data_sectors - 1)] + [END]
fat += [FREE] * (SECTOR // 4 - len(fat))

header = b"\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1" + b"\0" * 16
header += struct.pack("<HHHHH", 0x003E, 0x0003, 0xFFFE, 9, 6) + b"\0" * 6
header += struct.pack("<IIIIIIIII", 0, 1, 1, 0, 0x1000, END, 0, END, 0)
header += struct.pack("<I", 0) + struct.pack("<I", FREE) * 108

def entry(name, kind, child, start, size):
    raw = name.encode("utf-16-le") + b"\0\0" if name else b""
    e = raw.ljust(64, b"\0") + struct.pack("<HBB", len(raw), kind, 1 if name else 0)
    e += struct.pack("<III", NOSTREAM, NOSTREAM, child) + b"\0" * 16 + struct.pack("<I", 0)
    e += b"\0" * 16 + struct.pack("<III", start, size, 0)
    return e

directory = entry("Root Entry", 5, 1, END, 0) + entry("Workbook", 2, NOSTREAM, 2, len(workbook))
directory += entry("", 0, NOSTREAM, 0, 0) * 2
with open("legacy.xls", "wb") as f:
    f.write(header)
    f.write(struct.pack("<128I", *fat))
    f.write(directory)
    f.write(workbook.ljust(data_sectors * SECTOR, b"\0"))
