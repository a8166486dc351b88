#!/usr/bin/env python3
"""Writes the small seed corpus of the fuzz targets (corpus/zip, corpus/settings)."""
import io
import os
import struct
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
SETTINGS = (b"[global]\nlinkCount=2\nmenuCount=1\npicCount=1\ngameButtonCount=1\n"
            b"title=\xd3\xce\xcf\xb7\ntitleColor=16777215\nminGameWidth=\nedgeImage3=2\n"
            b"[link1]\nurl=http://127.0.0.1/\nx=1\ny=2\nwidth=3\nheight=4\ntype=1\n"
            b"[menu1]\ntitle=F\ntype=1\nshortCut=122\n"
            b"[gamePic1]\nx=0\ny=0\nwidth=10\nheight=10\n"
            b"[gamebutton1]\nimage=1\ntitle=Pay\nurl=http://127.0.0.1/pay\n")
PNG = b"\x89PNG\r\n\x1a\n" + bytes(range(256)) * 2


def archive(members, comment=b"", prefix=b""):
    buf = io.BytesIO()
    with zipfile.ZipFile(buf, "w") as z:
        for name, data, method in members:
            z.writestr(zipfile.ZipInfo(name, (2024, 1, 1, 12, 0, 0)), data, compress_type=method)
        z.comment = comment
    return prefix + buf.getvalue()


def write(folder, name, data):
    path = os.path.join(HERE, "corpus", folder)
    os.makedirs(path, exist_ok=True)
    with open(os.path.join(path, name), "wb") as f:
        f.write(data)


D, S = zipfile.ZIP_DEFLATED, zipfile.ZIP_STORED
write("zip", "package_deflated.zip", archive([("config/cg.txt", SETTINGS, D),
                                              ("config/main1.png", PNG, D)]))
write("zip", "package_stored.zip", archive([("config/cg.txt", SETTINGS, S),
                                            ("config/main1.png", PNG, S)]))
write("zip", "prefix_and_comment.zip",
      archive([("config/cg.txt", b"[global]\nlinkCount=1\n", D)], b"operator", b"MZ\x90\x00stub"))
write("zip", "empty_archive.zip", archive([]))
write("zip", "descriptor_flag.zip", archive([("config/cg.txt", SETTINGS, D)]).replace(
    b"PK\x03\x04\x14\x00\x00\x00", b"PK\x03\x04\x14\x00\x08\x00", 1))
bad = bytearray(archive([("config/cg.txt", SETTINGS, D)]))
struct.pack_into("<I", bad, len(bad) - 6, 0xFFFFFF00)
write("zip", "directory_outside.zip", bytes(bad))
write("zip", "not_a_zip.bin", b"PK\x05\x06" + b"\x00" * 10)

write("settings", "full.txt", SETTINGS)
write("settings", "bom.txt", b"\xef\xbb\xbf[global]\nlinkCount=1\n")
write("settings", "case_and_crlf.txt", b"[GLOBAL]\r\nLINKCOUNT=1\r\n[LINK1]\r\nURL=x\r\n")
write("settings", "numbers.txt",
      b"[global]\nlinkCount=+3\nport=-99999999999\ntitleColor=0xffffff\nlogx=  12abc\n")
write("settings", "codepage.txt", b"[global]\ncodePage=BIG5\nlinkCount=1\ntitle=\xb9\x43\n")
