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

# The checker reads whole packages: settings with addresses and a misspelt key, and artwork.
PNG_HEADER = b"\x89PNG\r\n\x1a\n\x00\x00\x00\rIHDR\x00\x00\x03\x20\x00\x00\x01\xf4\x08\x06\x00\x00\x00"
CHECKED = SETTINGS + (b"[global]\nfirstUrl=http://127.0.0.1/game\ngameheader=maxheader\n"
                      b"apiUrl=http://127.0.0.1/api/\nmacCountApiUrl=http://127.0.0.1/c?m=%s\n"
                      b"gamehaeder=x\ncodePage=GBK\n")
write("package_check", "package.zip", archive([("config/cg.txt", CHECKED, D),
                                              ("config/main1.png", PNG_HEADER, S),
                                              ("config/style.png", PNG_HEADER, D)]))
write("package_check", "no_settings.zip", archive([("config/main1.png", PNG_HEADER, S)]))
write("package_check", "empty.bin", b"")

write("settings", "full.txt", SETTINGS)
write("settings", "bom.txt", b"\xef\xbb\xbf[global]\nlinkCount=1\n")
write("settings", "case_and_crlf.txt", b"[GLOBAL]\r\nLINKCOUNT=1\r\n[LINK1]\r\nURL=x\r\n")
write("settings", "numbers.txt",
      b"[global]\nlinkCount=+3\nport=-99999999999\ntitleColor=0xffffff\nlogx=  12abc\n")
write("settings", "codepage.txt", b"[global]\ncodePage=BIG5\nlinkCount=1\ntitle=\xb9\x43\n")

# Readers of text from pages, the operator's API and other programs. Parts of one input are
# separated by a 0xFF byte (see FuzzInput.h).
SEP = b"\xff"
write("platform_reply", "user_name.json", b'{"errno":"0","data":{"user_name":"\\u540d\\u5b57"}}')
write("platform_reply", "server_name.json", b'{"servername":"S1 \\u4e00\\u533a"}')
write("platform_reply", "chat_address.json", b'{"data":{"gsurl":"http://127.0.0.1/gm/chat?u=1"}}')
write("platform_reply", "chat_file.json", b'{"data":{"gsurl":"file:///etc/passwd"}}')
write("platform_reply", "wrong_types.json", b'{"errno":0,"data":{"user_name":1,"gsurl":2},"servername":3}')
write("platform_reply", "surrogates.json", b'{"servername":"\\ud83d\\ude00\\ud800x"}')
write("platform_reply", "nested.json", b"[" * 200 + b"]" * 200)

# page command: kind byte (0 string + length, 1 integer, 2 number, 3 boolean, 4 null, 5 other)
def s(text):
    return b"\x00" + bytes([len(text)]) + text
write("page_command", "close.bin", s(b"1"))
write("page_command", "page_link.bin", s(b"4") + s(b"http://127.0.0.1/pay;a=1") + s(b"x"))
write("page_command", "extend_title.bin", s(b"6") + s(b"\xd2\xbb\xc7\xf8") + s(b"y"))
write("page_command", "integer.bin", b"\x01" + struct.pack("<q", 6) + s(b"t") + s(b"u"))
write("page_command", "number.bin", b"\x02" + struct.pack("<d", 4.0) + b"\x03\x01\x04\x05")
write("page_command", "gs_name.bin", s(b"GM \xe5\x90\x8d"))

write("script_args", "plain.txt", b"a,b,c")
write("script_args", "commas.txt", b",,a,,b,")
write("script_args", "many.txt", b",".join(b"%d" % i for i in range(12)))
write("script_args", "escapes.txt", b"</script>,\"q\",\\\\,\xd6\xd0\xce\xc4,\u2028".replace(b"\\u2028", b"\xe2\x80\xa8"))
write("script_args", "empty.txt", b"")

write("server_title", "serverid.txt", b"http://g.example/play?serverid=s12&x=1" + SEP + b"Dragon" + SEP + b"S1")
write("server_title", "467.txt", b"http://g.example/467/s9001" + SEP + b"\xd3\xce\xcf\xb7" + SEP)
write("server_title", "skey.txt", b"http://g.example/?skey=1012&sid=3" + SEP + b"T" * 300 + SEP + b"N" * 300)
write("server_title", "no_end.txt", b"http://g.example/?sid=7" + SEP + b"T")

write("game_address", "take.txt", b"http://127.0.0.1/game/enter?skey=1012&uid=1" + SEP + b"/game/enter")
write("game_address", "file.txt", b"file:///tmp/game/enter" + SEP + b"/game/enter")
write("game_address", "qq.txt", b"https://graph.qq.com/oauth/login_jump?/game/enter" + SEP + b"/game/enter")
write("game_address", "empty_header.txt", b"about:blank" + SEP)
write("game_address", "skey_last.txt", b"HTTPS://x/?a=1&skey=" + SEP + b"s")

write("command_line", "restart.txt", b"1526\n")
write("command_line", "blanks.txt", b" \t1528 \r\n")
write("command_line", "other.txt", b"1529\n")
write("command_line", "long.txt", b"000001526\n")
write("command_line", "sign.txt", b"-1526\n")

write("report_address", "plain.txt", b"http://127.0.0.1/count?mac=%s" + SEP + b"\x00\x1a\x2b\x3c\x4d\x5e")
write("report_address", "percent.txt", b"http://127.0.0.1/c?p=100%%&m=%s" + SEP + b"\x01")
write("report_address", "two.txt", b"http://x/%s/%s" + SEP)
write("report_address", "directive.txt", b"http://x/%d%n%s" + SEP + b"\xff")
write("report_address", "long.txt", b"http://x/" + b"a" * 250 + b"%s" + SEP + b"\x01\x02")
