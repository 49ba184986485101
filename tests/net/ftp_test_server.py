#!/usr/bin/python3
"""FTP server for the upload tests, on 127.0.0.1 and a port the system chooses.

Prints the port on the first line of stdout, then serves until it is killed. Every command line
it receives is appended to the log file as it arrives, so a test can compare the exact sequence.
Uploads are stored byte for byte, also in ASCII mode, so tests see what went over the wire.
Fault switches make it misbehave the way real servers do: refuse a STOR, drop a data connection
halfway, stop answering altogether, answer the name listing of an empty folder with a refusal,
announce a data connection and then give up on it, open data connections from whatever
address the system picks rather than the one the client reached, or refuse renames. With a
certificate and key it speaks explicit TLS (AUTH TLS) and requires it on both connections.
"""
import argparse
import logging
import os
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.filesystems import AbstractedFS
from pyftpdlib.handlers import ActiveDTP, DTPHandler, FTPHandler
try:
    from pyftpdlib.handlers import TLS_DTPHandler, TLS_FTPHandler
except ImportError:  # no python3-openssl: only plain FTP
    TLS_DTPHandler = TLS_FTPHandler = None
from pyftpdlib.servers import FTPServer


def parse_count_text(value):
    count, _, text = value.partition(":")
    return int(count), text


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--log", required=True)
    parser.add_argument("--user", default="qguser")
    parser.add_argument("--password", default="qgpass")
    parser.add_argument("--banner", default="Quillon test server ready.")
    parser.add_argument("--fail-stor", type=parse_count_text, help="N:REPLY answers the Nth STOR with REPLY")
    parser.add_argument("--drop-data", type=int, help="drop the data connection of the Nth STOR")
    parser.add_argument("--silent-on", type=parse_count_text, help="N:CMD stops answering at the Nth CMD")
    parser.add_argument("--case-insensitive", action="store_true", help="match path names without regard to case")
    parser.add_argument("--nlst-empty", help="REPLY answers NLST of a folder without entries")
    parser.add_argument("--give-up-data", type=parse_count_text,
                        help="N:REPLY never connects for the Nth PORT; its transfer gets 150, then REPLY")
    parser.add_argument("--listen", default="127.0.0.1", help="address to listen on")
    parser.add_argument("--unbound-data", action="store_true",
                        help="let the system pick the source address of data connections")
    parser.add_argument("--tls-cert", help="certificate file: require explicit TLS")
    parser.add_argument("--tls-key", help="the certificate's private key")
    parser.add_argument("--refuse-rnfr", action="store_true", help="refuse every RNFR")
    args = parser.parse_args()

    if args.tls_cert and TLS_FTPHandler is None:
        print("0", flush=True)
        return 3
    handler_base = TLS_FTPHandler if args.tls_cert else FTPHandler
    dtp_base = TLS_DTPHandler if args.tls_cert else DTPHandler

    log = open(args.log, "a", encoding="utf-8", buffering=1)

    class TestFS(AbstractedFS):
        def ftp2fs(self, ftppath):
            real = super().ftp2fs(ftppath)
            if not args.case_insensitive:
                return real
            rel = os.path.relpath(real, self.root)
            if rel == ".":
                return real
            current = self.root
            for part in rel.split(os.sep):
                try:
                    names = os.listdir(current)
                except OSError:
                    names = []
                if part not in names:
                    part = next((n for n in names if n.lower() == part.lower()), part)
                current = os.path.join(current, part)
            return current

    class TestDTPHandler(dtp_base):
        def readable(self):
            # A TLS client may start the data connection's handshake before it sends the
            # transfer command; pyftpdlib would take that early read for a hang-up.
            if getattr(self, "_ssl_accepting", False):
                return True
            return super().readable()

        def enable_receiving(self, type, cmd):
            super().enable_receiving(type, cmd)
            self._data_wrapper = None  # keep the bytes exactly as they arrived

        def handle_read(self):
            if getattr(self.cmd_channel, "drop_transfer", False) and self.tot_bytes_received > 0:
                self.cmd_channel.drop_transfer = False
                self._resp = ("426 Data connection dropped by the test server; transfer aborted.",
                              logging.warning)
                self.close()
                return
            super().handle_read()

        handle_read_event = handle_read

    class UnboundActiveDTP(ActiveDTP):
        def connect_af_unspecified(self, addr, source_address=None):
            return super().connect_af_unspecified(addr, None)

    class TestHandler(handler_base):
        stor_count = 0
        port_count = 0
        give_up_next = False
        silent = False
        drop_transfer = False
        command_counts = {}

        def handle(self):
            lines = args.banner.split("\\n")
            if len(lines) == 1:
                super().handle()
                return
            # A multi-line greeting whose inner lines may look like replies themselves.
            self.on_connect()
            self.push("220-" + lines[0] + "\r\n")
            for line in lines[1:-1]:
                self.push(line + "\r\n")
            self.respond("220 " + lines[-1])

        def pre_process_command(self, line, cmd, arg):
            log.write(line + "\n")
            if self.silent:
                return
            if args.silent_on:
                count = self.command_counts.get(cmd, 0) + 1
                self.command_counts[cmd] = count
                if (count, cmd) == args.silent_on:
                    self.silent = True
                    return
            super().pre_process_command(line, cmd, arg)

        def ftp_PORT(self, line):
            TestHandler.port_count += 1
            if args.give_up_data and TestHandler.port_count == args.give_up_data[0]:
                self.give_up_next = True
                self.respond("200 PORT command successful.")
                return
            super().ftp_PORT(line)

        def pre_process_command_data(self, cmd):
            # The transfer that follows a PORT this server never acted on.
            if self.give_up_next and cmd in ("NLST", "STOR"):
                self.give_up_next = False
                self.push("150 Opening data connection.\r\n")
                self.respond(args.give_up_data[1])
                return True
            return False

        def ftp_NLST(self, path):
            if self.pre_process_command_data("NLST"):
                return None
            if args.nlst_empty:
                try:
                    empty = not self.run_as_current_user(self.fs.listdir, path)
                except OSError:
                    empty = False
                if empty:
                    self.respond(args.nlst_empty)
                    return None
            return super().ftp_NLST(path)

        def ftp_RNFR(self, path):
            if args.refuse_rnfr:
                self.respond("550 Renaming is not allowed on this server.")
                return None
            return super().ftp_RNFR(path)

        def ftp_STOR(self, file, mode="w"):
            if self.pre_process_command_data("STOR"):
                return None
            TestHandler.stor_count += 1
            if args.fail_stor and TestHandler.stor_count == args.fail_stor[0]:
                self.respond(args.fail_stor[1])
                return None
            if args.drop_data and TestHandler.stor_count == args.drop_data:
                self.drop_transfer = True
            return super().ftp_STOR(file, mode)

    authorizer = DummyAuthorizer()
    authorizer.add_user(args.user, args.password, args.root, perm="elradfmwMT")
    TestHandler.authorizer = authorizer
    TestHandler.abstracted_fs = TestFS
    TestHandler.dtp_handler = TestDTPHandler
    TestHandler.banner = args.banner
    TestHandler.auth_failed_timeout = 0
    TestHandler.command_counts = {}
    if args.tls_cert:
        TestHandler.certfile = args.tls_cert
        TestHandler.keyfile = args.tls_key
        TestHandler.tls_control_required = True
        TestHandler.tls_data_required = True
    if args.unbound_data:
        TestHandler.active_dtp = UnboundActiveDTP

    logging.basicConfig(level=logging.CRITICAL)
    server = FTPServer((args.listen, 0), TestHandler)
    print(server.socket.getsockname()[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    sys.exit(main())
