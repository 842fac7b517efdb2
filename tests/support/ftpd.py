#!/usr/bin/python3
"""A real FTP server for tests and the demo: pyftpdlib on 127.0.0.1.

Prints "PORT <n>" on a line of its own once it listens (port 0 picks a free
one), then serves until killed or until its standard input closes (so a test
that dies never leaves a server behind).
"""
import argparse
import os
import sys
import threading

import warnings

with warnings.catch_warnings():
    warnings.simplefilter("ignore", DeprecationWarning)
    import asynchat  # what pyftpdlib's handlers are built on

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler, ThrottledDTPHandler
from pyftpdlib.servers import FTPServer


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--root", required=True)
    ap.add_argument("--port", type=int, default=0)
    ap.add_argument("--user", default="user")
    ap.add_argument("--password", default="pass")
    ap.add_argument("--no-anonymous", action="store_true")
    ap.add_argument("--watch-stdin", action="store_true",
                    help="exit when standard input closes")
    ap.add_argument("--encoding", default="utf8",
                    help="byte encoding of file names on the wire")
    ap.add_argument("--rate", type=int, default=0,
                    help="limit data connections to this many bytes per second")
    ap.add_argument("--refuse-mlsd", action="store_true",
                    help="offer MLST in FEAT but answer MLSD with 502")
    ap.add_argument("--opts-utf8", action="store_true",
                    help="answer OPTS UTF8 ON with 200 (refused with 501 otherwise)")
    args = ap.parse_args()

    os.makedirs(args.root, exist_ok=True)
    auth = DummyAuthorizer()
    auth.add_user(args.user, args.password, args.root, perm="elradfmwMT")
    if not args.no_anonymous:
        auth.add_anonymous(args.root, perm="elr")

    class Handler(FTPHandler):
        authorizer = auth
        banner = "BramblewayFTP test server ready."
        encoding = args.encoding
        # no delay between a refused PASS and the next reply: tests retry fast
        auth_failed_timeout = 0
        use_sendfile = False
        # File names travel as the bytes they have on disk (UTF-8 or GBK),
        # both ways, instead of being replaced with "?".
        unicode_errors = "surrogateescape"

        def push(self, s):
            asynchat.async_chat.push(self, s.encode("utf8", "surrogateescape"))

        def ftp_MLSD(self, path):
            if args.refuse_mlsd:
                self.respond("502 MLSD not implemented here.")
                return None
            return FTPHandler.ftp_MLSD(self, path)

        def ftp_OPTS(self, line):
            if args.opts_utf8 and line.strip().upper() == "UTF8 ON":
                self.respond("200 Always in UTF8 mode.")
                return
            FTPHandler.ftp_OPTS(self, line)

    if args.rate > 0:
        class Throttled(ThrottledDTPHandler):
            read_limit = args.rate
            write_limit = args.rate
        Handler.dtp_handler = Throttled

    server = FTPServer(("127.0.0.1", args.port), Handler)
    server.max_cons = 64
    port = server.socket.getsockname()[1]
    sys.stdout.write("PORT %d\n" % port)
    sys.stdout.flush()

    if args.watch_stdin:
        def watch():
            try:
                sys.stdin.read()
            finally:
                os._exit(0)
        threading.Thread(target=watch, daemon=True).start()

    try:
        server.serve_forever(handle_exit=True)
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    main()
