#!/usr/bin/python3
"""A stand-in for the Orvix receiver: an FTP server whose /DISK2 holds the channel lists and
a telnet shell that logs in and records the commands it is given.

Prints one line "READY ftp=PORT telnet=PORT" once both ports accept connections, then runs
until it is killed. Fault options make it misbehave the ways a real receiver or network can.
"""

import argparse
import asyncio
import logging
import os
import socket
import sys
import threading

from pyftpdlib.authorizers import AuthenticationFailed, DummyAuthorizer
from pyftpdlib.handlers import FTPHandler, ThrottledDTPHandler
from pyftpdlib.servers import FTPServer

IAC, WILL, ECHO, SGA = 255, 251, 1, 3


def parse_args():
    p = argparse.ArgumentParser(description=__doc__)
    p.add_argument("--root", required=True, help="folder served as /; its DISK2/ holds the files")
    p.add_argument("--host", default="127.0.0.1")
    p.add_argument("--ftp-port", type=int, default=0, help="0 picks a free port")
    p.add_argument("--telnet-port", type=int, default=0, help="0 picks a free port")
    p.add_argument("--user", default="root")
    p.add_argument("--password", default="kelvo")
    p.add_argument("--prompt", default="[~]$")
    p.add_argument("--record", help="append each shell command line to this file")
    g = p.add_argument_group("FTP faults")
    g.add_argument("--refuse-login", action="store_true", help="answer every login with 530")
    g.add_argument("--no-disk2", action="store_true", help="there is no /DISK2")
    g.add_argument("--missing", action="append", default=[], metavar="FILE",
                   help="FILE is not on the receiver (may be repeated)")
    g.add_argument("--drop", action="append", default=[], metavar="FILE",
                   help="cut both connections in the middle of a transfer of FILE")
    g.add_argument("--drop-after", type=int, default=1024, metavar="BYTES",
                   help="how far a dropped transfer gets (default 1024)")
    g.add_argument("--short-store", action="append", default=[], metavar="FILE",
                   help="keep only half of an uploaded FILE")
    g.add_argument("--read-only", action="store_true", help="refuse every upload")
    g.add_argument("--slow", type=int, default=0, metavar="BYTES",
                   help="move at most BYTES per second over a data connection")
    g.add_argument("--refuse-ftp", action="store_true", help="refuse the FTP TCP connection")
    t = p.add_argument_group("telnet faults")
    t.add_argument("--no-password", action="store_true", help="log in without asking a password")
    t.add_argument("--login-incorrect", action="store_true", help="refuse every telnet login")
    t.add_argument("--no-prompt", action="store_true", help="the shell never prompts")
    t.add_argument("--refuse-telnet", action="store_true", help="refuse the telnet TCP connection")
    return p.parse_args()


def refusing_port(host, port):
    """A bound socket that never listens: connections to it are refused at once."""
    s = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    s.bind((host, port))
    return s


class Faults:
    def __init__(self, args):
        self.args = args

    def missing(self, path):
        return os.path.basename(path) in self.args.missing

    def drops(self, path):
        return os.path.basename(path) in self.args.drop


class RefusingAuthorizer(DummyAuthorizer):
    def validate_authentication(self, username, password, handler):
        raise AuthenticationFailed("Login incorrect.")


class DataHandler(ThrottledDTPHandler):
    faults = None

    def __init__(self, sock, cmd_channel):
        super().__init__(sock, cmd_channel)
        if self.faults.args.drop:
            # Small steps, so a drop lands in the middle even of a small file.
            self.ac_in_buffer_size = self.ac_out_buffer_size = 256

    def _cut_midway(self, done):
        name = getattr(self.file_obj, "name", "")
        if self.faults.drops(name) and done >= self.faults.args.drop_after:
            self.cmd_channel.close()  # a receiver that crashes or loses the network

    def send(self, data):
        sent = super().send(data)
        self._cut_midway(self.tot_bytes_sent)
        return sent

    def handle_read(self):
        super().handle_read()
        if not self._closed:
            self._cut_midway(self.tot_bytes_received)

    handle_read_event = handle_read  # the base class binds its own under this name


class Handler(FTPHandler):
    faults = None
    auth_failed_timeout = 0.01

    def _hidden(self, path):
        return self.faults.missing(path)

    def _refuse_missing(self):
        self.respond("550 No such file or directory.")

    def ftp_CWD(self, path):
        if self.faults.args.no_disk2 and "DISK2" in path.split("/"):
            self._refuse_missing()
            return None
        return super().ftp_CWD(path)

    def ftp_SIZE(self, path):
        if self._hidden(path):
            return self._refuse_missing()
        return super().ftp_SIZE(path)

    def ftp_RETR(self, file):
        if self._hidden(file):
            return self._refuse_missing()
        return super().ftp_RETR(file)

    def on_file_received(self, file):
        if os.path.basename(file) in self.faults.args.short_store:
            size = os.path.getsize(file)
            with open(file, "r+b") as f:
                f.truncate(size // 2)


def start_ftp(args, faults):
    if args.refuse_ftp:
        return refusing_port(args.host, args.ftp_port), None
    authorizer = RefusingAuthorizer() if args.refuse_login else DummyAuthorizer()
    perm = "elr" if args.read_only else "elradfmw"
    authorizer.add_user(args.user, args.password, args.root, perm=perm)
    DataHandler.faults = faults
    DataHandler.read_limit = args.slow
    DataHandler.write_limit = args.slow
    Handler.faults = faults
    Handler.authorizer = authorizer
    Handler.dtp_handler = DataHandler
    Handler.banner = "Orvix FTP server ready."
    server = FTPServer((args.host, args.ftp_port), Handler)
    threading.Thread(target=server.serve_forever, kwargs={"handle_exit": False},
                     daemon=True).start()
    return server.socket, server


class Shell:
    def __init__(self, args):
        self.args = args

    def record(self, line):
        if self.args.record:
            with open(self.args.record, "a", encoding="utf-8") as f:
                f.write(line + "\n")

    async def session(self, reader, writer):
        try:
            await self.converse(reader, writer)
        except (ConnectionError, asyncio.IncompleteReadError):
            pass
        finally:
            writer.close()

    async def converse(self, reader, writer):
        a = self.args
        writer.write(bytes([IAC, WILL, ECHO, IAC, WILL, SGA]))
        writer.write(b"\r\nOrvix 2.6 receiver\r\n\r\n")
        while True:
            writer.write(b"Orvix login: ")
            await writer.drain()
            user = await self.read_line(reader)
            writer.write(user.encode("latin-1") + b"\r\n")
            password = a.password
            if not a.no_password:
                writer.write(b"Password: ")
                await writer.drain()
                password = await self.read_line(reader)
                writer.write(b"\r\n")
            if a.login_incorrect or user != a.user or password != a.password:
                writer.write(b"Login incorrect\r\n")
                continue
            break
        while True:
            if not a.no_prompt:
                writer.write(a.prompt.encode("latin-1") + b" ")
            await writer.drain()
            line = await self.read_line(reader)
            self.record(line)
            writer.write(line.encode("latin-1") + b"\r\n")
            if line == "exit":
                return

    @staticmethod
    async def read_line(reader):
        raw = await reader.readuntil(b"\n")
        return raw.rstrip(b"\r\n").replace(b"\0", b"").decode("latin-1")


async def main():
    args = parse_args()
    logging.basicConfig(level=logging.WARNING, stream=sys.stderr)
    faults = Faults(args)
    ftp_socket, _ = start_ftp(args, faults)
    if args.refuse_telnet:
        telnet_socket = refusing_port(args.host, args.telnet_port)
        server = None
    else:
        server = await asyncio.start_server(Shell(args).session, args.host, args.telnet_port)
        telnet_socket = server.sockets[0]
    print("READY ftp=%d telnet=%d" % (ftp_socket.getsockname()[1],
                                      telnet_socket.getsockname()[1]), flush=True)
    if server is None:
        await asyncio.Event().wait()
    async with server:
        await server.serve_forever()


if __name__ == "__main__":
    try:
        asyncio.run(main())
    except KeyboardInterrupt:
        pass
