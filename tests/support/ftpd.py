#!/usr/bin/python3
"""A real FTP server for tests and the demo: pyftpdlib on 127.0.0.1 (or --host).

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

try:
    from OpenSSL import SSL
    from pyftpdlib.handlers import TLS_DTPHandler, TLS_FTPHandler
except ImportError:  # python3-openssl missing: plain FTP only
    SSL = None
from pyftpdlib.servers import FTPServer


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--root", required=True)
    ap.add_argument("--port", type=int, default=0)
    ap.add_argument("--host", default="127.0.0.1",
                    help="address to listen on (::1 for IPv6)")
    ap.add_argument("--user", default="user")
    ap.add_argument("--password", default="pass")
    ap.add_argument("--no-anonymous", action="store_true")
    ap.add_argument("--watch-stdin", action="store_true",
                    help="exit when standard input closes")
    ap.add_argument("--encoding", default="utf8",
                    help="byte encoding of file names on the wire")
    ap.add_argument("--rate", type=int, default=0,
                    help="limit data connections to this many bytes per second")
    ap.add_argument("--tls", choices=["explicit", "implicit"],
                    help="TLS on the control connection (AUTH TLS, or from "
                         "the first byte) and required on data connections")
    ap.add_argument("--cert", help="PEM file with the certificate (and key)")
    ap.add_argument("--key", help="PEM file with the key, when not in --cert")
    ap.add_argument("--require-reuse", action="store_true",
                    help="refuse a TLS data connection that does not resume "
                         "the control connection's session")
    ap.add_argument("--refuse-auth", action="store_true",
                    help="answer AUTH with 534 (no TLS offered)")
    ap.add_argument("--command-log",
                    help="append every command line as received (bytes as "
                         "they came, decrypted, one per line) to this file")
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

    base = FTPHandler
    if args.tls:
        if SSL is None:
            sys.exit("TLS needs python3-openssl")
        base = TLS_FTPHandler

    class Handler(base):
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
            return base.ftp_MLSD(self, path)

        def ftp_OPTS(self, line):
            if args.opts_utf8 and line.strip().upper() == "UTF8 ON":
                self.respond("200 Always in UTF8 mode.")
                return
            base.ftp_OPTS(self, line)

    if args.tls:
        Handler.certfile = args.cert
        Handler.keyfile = args.key
        Handler.tls_control_required = True
        Handler.tls_data_required = True
        context = SSL.Context(SSL.TLS_METHOD)
        context.use_certificate_chain_file(args.cert)
        context.use_privatekey_file(args.key or args.cert)
        context.set_options(SSL.OP_NO_SSLv2 | SSL.OP_NO_SSLv3)
        context.set_session_id(b"brambleway-test")
        Handler.ssl_context = context

        class Data(TLS_DTPHandler):
            # A client may start the handshake as soon as it connects, before
            # its RETR or STOR: take it then instead of hanging up.
            def readable(self):
                if getattr(self, "_ssl_accepting", False):
                    return True
                return super().readable()

            def handle_ssl_established(self):
                if args.require_reuse and \
                        not SSL._lib.SSL_session_reused(self.socket._ssl):
                    self.cmd_channel.respond(
                        "522 Data connection must reuse the TLS session.")
                    self._error = True
                    self.close()
                    return
                super().handle_ssl_established()
        Handler.dtp_handler = Data

        if args.tls == "implicit":
            def handle(self):
                self.secure_connection(self.ssl_context)
                TLS_FTPHandler.handle(self)
            Handler.handle = handle

    if args.command_log:
        def found_terminator(self):
            with open(args.command_log, "ab") as log:
                log.write(b"".join(self._in_buffer) + b"\n")
            base.found_terminator(self)
        Handler.found_terminator = found_terminator

    if args.refuse_auth:
        def ftp_AUTH(self, line):
            self.respond("534 TLS is not offered here.")
        Handler.ftp_AUTH = ftp_AUTH
        Handler.proto_cmds = dict(Handler.proto_cmds)
        Handler.proto_cmds["AUTH"] = dict(perm=None, auth=False, arg=True,
                                          help="Syntax: AUTH <SP> TLS")

    if args.rate > 0:
        class Throttled(ThrottledDTPHandler):
            read_limit = args.rate
            write_limit = args.rate
        Handler.dtp_handler = Throttled

    server = FTPServer((args.host, args.port), Handler)
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
