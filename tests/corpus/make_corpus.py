#!/usr/bin/env python3
"""Writes the golden corpus of message files into messages/. The expected
result of each file is in tests/contract/MessageFilesTest.cpp."""
import os

HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "messages")
MINE = "{1111AAAA-2222-3333-4444-5555BBBBCCCC}"
OTHER = "{AAAAAAAA-BBBB-CCCC-DDDD-EEEEEEEEEEEE}"
BOM = b"\xef\xbb\xbf"


def put(name, data):
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(data if isinstance(data, bytes) else data.encode("utf-8"))


def record(*fields):
    return "\0".join(fields)


def xml(stamp, user="Вова", guid=OTHER, text="Привет", local=' local="false"', extra=""):
    parts = ['<?xml version="1.0" encoding="utf-8"?>\n<message>']
    if stamp is not None:
        parts.append(f"<timestamp{local}>{stamp}</timestamp>")
    parts.append(f"<username>{user}</username><clientguid>{guid}</clientguid>")
    if text is not None:
        parts.append(f"<text>{text}</text>")
    parts.append(extra + "</message>\n")
    return "".join(parts)


T = ["2024", "1", "31", "13", "5", "7", "42"]

os.makedirs(HERE, exist_ok=True)
for old in os.listdir(HERE):
    os.remove(os.path.join(HERE, old))

# Binary records.
put("b01-nine-fields.ZPMF", BOM + record(*T, "Вова", "Привет").encode())
put("b02-eight-fields.ZPMF", BOM + record(*T, "Вова").encode())
put("b03-other.ZPMF", record(*T, "Гость", "Здравствуйте", OTHER))
put("b04-mine.ZPMF", BOM + record(*T, "Вова", "Это я", MINE).encode())
put("b05-extra-fields.ZPMF", BOM + record(*T, "Вова", "Лишнее", OTHER, "extra", "more").encode())
put("b06-non-numeric-date.ZPMF", BOM + record("2024", "Jan", "31", "13", "5", "7", "42", "Вова", "x", OTHER).encode())
put("b07-year-70000.ZPMF", BOM + record("70000", "1", "31", "13", "5", "7", "42", "Вова", "x", OTHER).encode())
put("b08-guid-case.ZPMF", BOM + record(*T, "Вова", "x", MINE.lower()).encode())
put("b09-multiline.ZPMF", BOM + record(*T, "Вова", "строка 1\r\nстрока 2\r\n\r\nстрока 4", OTHER).encode())
put("b10-empty.ZPMF", b"")
put("b11-cp1251-name.ZPMF", record(*T, "Вова", "Привет", OTHER).encode("cp1251"))

# XML documents.
put("x01-utc.ZXMF", xml("2024-01-31 13-05-07.042"))
put("x02-no-local.ZXMF", xml("2024-01-31 13-05-07.042", local=""))
put("x03-local-true.ZXMF", xml("2024-01-31 16-05-07.042", local=' local="true"'))
put("x04-t-and-colons.ZXMF", xml("2024-01-31T13:05:07.042"))
put("x05-unpadded-month.ZXMF", xml("2024-1-31 13-05-07.042"))
put("x06-missing-text.ZXMF", xml("2024-01-31 13-05-07.042", text=None))
put("x07-dtd-entity.ZXMF",
    '<?xml version="1.0" encoding="utf-8"?>\n<!DOCTYPE message [<!ENTITY boom "Бум">]>\n'
    '<message><timestamp local="false">2024-01-31 13-05-07.042</timestamp><username>Вова</username>'
    f'<clientguid>{OTHER}</clientguid><text>&boom;</text></message>\n')
put("x08-escaped-chars.ZXMF", xml("2024-01-31 13-05-07.042", text="a &lt; b &amp;&amp; c&#13;\nd\ne&#13;f&#13;\n"))
put("x09-malformed.ZXMF", xml("2024-01-31 13-05-07.042").replace("</text>", "</txet>"))
put("x10-mine.ZXMF", xml("2024-01-31 13-05-07.042", guid=MINE))
put("x11-bom.ZXMF", BOM + xml("2024-01-31 13-05-07.042", user="Маша").encode())
put("x12-too-deep.ZXMF", xml("2024-01-31 13-05-07.042", extra="<a>" * 100 + "</a>" * 100))
put("x13-bad-local.ZXMF", xml("2024-01-31 13-05-07.042", local=' local="maybe"'))
put("x14-utf16.ZXMF", xml("2024-01-31 13-05-07.042", user="Оля").replace('encoding="utf-8"', 'encoding="utf-16"')
    .encode("utf-16"))

# Plain text as editors save it.
put("t01-utf8-bom.ZTMF", BOM + "  Привет из блокнота\r\nвторая строка\r\n".encode())
put("t02-utf8.ZTMF", "Hello\nмир\n")
put("t03-utf16le.ZTMF", b"\xff\xfe" + "Записка\r\n".encode("utf-16-le"))
put("t04-cp1251.ZTMF", "Записка в cp1251\r\n".encode("cp1251"))
