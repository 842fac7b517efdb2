#!/usr/bin/python3
"""Fills a demo folder with sample files (Chinese names included) and serves
it with the test FTP server on 127.0.0.1."""
import argparse
import os
import random
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
FTPD = os.path.join(HERE, "..", "tests", "support", "ftpd.py")


def populate(root):
    files = {
        "readme.txt": "Welcome to the BramblewayFTP demo server.\r\n",
        "说明文档.txt": "这是一个演示用的 FTP 服务器。\n",
        "文档/年度报告.txt": "2026 年度报告\n",
        "文档/会议纪要 第一季度.txt": "会议纪要\n",
        "pub/release notes.txt": "1.0 first release\n",
        "pub/软件/安装说明.txt": "安装说明\n",
        "图片/说明.txt": "图片文件夹\n",
        "上传/.keep": "",
    }
    for rel, text in files.items():
        path = os.path.join(root, rel)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        if not os.path.exists(path):
            with open(path, "w", encoding="utf-8") as f:
                f.write(text)
    blob = os.path.join(root, "pub", "sample-4MiB.bin")
    if not os.path.exists(blob):
        rnd = random.Random(2026)
        with open(blob, "wb") as f:
            f.write(rnd.randbytes(4 * 1024 * 1024))


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--root", required=True)
    ap.add_argument("--port", type=int, default=2121)
    ap.add_argument("--user", default="demo")
    ap.add_argument("--password", default="demo")
    args = ap.parse_args()
    populate(args.root)
    os.execv(sys.executable, [sys.executable, FTPD, "--root", args.root,
                              "--port", str(args.port), "--user", args.user,
                              "--password", args.password])


if __name__ == "__main__":
    main()
