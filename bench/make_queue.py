#!/usr/bin/python3
"""Writes a queue file (.TQU) for scripted runs of the client.

Each ENTRY is  up:LOCAL_PATH:REMOTE_FOLDER  or  down:LOCAL_FOLDER:REMOTE_PATH;
a local path that is a folder (upload) or a remote path ending in "/"
(download) makes a folder entry.

    make_queue.py OUT.TQU up:/home/me/site:/www down:/tmp/dl:/pub/docs/
"""
import os
import struct
import sys

FOLDER = "文件夹".encode("gbk")


def text(b):
    if len(b) > 65535:
        raise SystemExit("text too long for a queue file")
    return struct.pack("<H", len(b)) + b


def entry(kind, local, remote):
    local_b = local.encode("gbk")
    if kind == "up":
        folder = os.path.isdir(local)
        size = FOLDER if folder else ("%d KB" % ((os.path.getsize(local) + 1023) // 1024)).encode()
        subs = [size, b"==>", remote.encode("utf8"), b""]
    else:
        folder = remote.endswith("/")
        remote = remote.rstrip("/") or "/"
        subs = [FOLDER if folder else b"0 KB", b"<==", remote.encode("utf8"), b""]
    out = struct.pack("<Hi", len(subs), 0) + text(local_b)
    for s in subs:
        out += text(s)
    return out


def main():
    if len(sys.argv) < 3:
        raise SystemExit(__doc__)
    entries = []
    for arg in sys.argv[2:]:
        kind, local, remote = arg.split(":", 2)
        if kind not in ("up", "down"):
            raise SystemExit("entry kind must be up or down: " + arg)
        entries.append(entry(kind, local, remote))
    data = b"Brambleway-QUE\0" + struct.pack("<H", len(entries)) + b"".join(entries)
    with open(sys.argv[1], "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main()
