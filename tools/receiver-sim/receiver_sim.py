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
from pyftpdlib.handlers import FileProducer, FTPHandler, ThrottledDTPHandler
from pyftpdlib.servers import FTPServer

IAC, SB, SE = 255, 250, 240
WILL, WONT, DO, DONT = 251, 252, 253, 254
ECHO, SGA, TTYPE, TSPEED, XDISPLOC, NEW_ENVIRON = 1, 3, 24, 32, 35, 39
HUGE = 10 * 1024 ** 3  # what an --endless file claims to hold


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
                   help="keep only half of an uploaded FILE (or of a name ending in FILE)")
    g.add_argument("--cut-upload", action="append", default=[], metavar="FILE",
                   help="cut an upload of a name ending in FILE after --drop-after bytes: keep "
                        "what came and close both connections without a reply")
    g.add_argument("--no-rename", action="store_true",
                   help="answer RNFR and RNTO with 502 (not implemented)")
    g.add_argument("--refuse-rename", action="append", default=[], metavar="FILE",
                   help="refuse RNFR of a name ending in FILE with 550")
    g.add_argument("--refuse-hidden", action="store_true",
                   help="refuse to store a file whose name starts with a dot (553)")
    g.add_argument("--endless", action="append", default=[], metavar="FILE",
                   help="FILE claims 10 GiB and a download of it never ends")
    g.add_argument("--no-size", action="store_true", help="answer SIZE with 502")
    g.add_argument("--read-only", action="store_true", help="refuse every upload")
    g.add_argument("--slow", type=int, default=0, metavar="BYTES",
                   help="move at most BYTES per second over a data connection")
    g.add_argument("--refuse-ftp", action="store_true", help="refuse the FTP TCP connection")
    t = p.add_argument_group("telnet faults")
    t.add_argument("--no-password", action="store_true", help="log in without asking a password")
    t.add_argument("--login-incorrect", action="store_true", help="refuse every telnet login")
    t.add_argument("--no-prompt", action="store_true", help="the shell never prompts")
    t.add_argument("--refuse-telnet", action="store_true", help="refuse the telnet TCP connection")
    t.add_argument("--negotiate", action="store_true",
                   help="ask for telnet options and show no login before each is answered, as "
                        "a full telnet daemon does")
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

    def drops(self, path, receiving):
        name = os.path.basename(path)
        return name in self.args.drop or (receiving and ends_in(name, self.args.cut_upload))

    def endless(self, path):
        return os.path.basename(path) in self.args.endless


def ends_in(name, files):
    """Whether a stored name is one of `files`, also under a temporary name of a client."""
    return any(name.endswith(f) for f in files)


class EndlessFile:
    name = "endless"
    closed = False

    def read(self, size):
        return b"\0" * size

    def close(self):
        self.closed = True


class RefusingAuthorizer(DummyAuthorizer):
    def validate_authentication(self, username, password, handler):
        raise AuthenticationFailed("Login incorrect.")


class DataHandler(ThrottledDTPHandler):
    faults = None

    def __init__(self, sock, cmd_channel):
        super().__init__(sock, cmd_channel)
        if self.faults.args.drop or self.faults.args.cut_upload:
            # Small steps, so a drop lands in the middle even of a small file.
            self.ac_in_buffer_size = self.ac_out_buffer_size = 256

    def _cut_midway(self, done, receiving):
        name = getattr(self.file_obj, "name", "")
        if self.faults.drops(name, receiving) and done >= self.faults.args.drop_after:
            self.cmd_channel.close()  # a receiver that crashes or loses the network

    def send(self, data):
        sent = super().send(data)
        self._cut_midway(self.tot_bytes_sent, False)
        return sent

    def handle_read(self):
        super().handle_read()
        if not self._closed:
            self._cut_midway(self.tot_bytes_received, True)

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
        if self.faults.args.no_size:
            return self.respond("502 Command not implemented.")
        if self._hidden(path):
            return self._refuse_missing()
        if self.faults.endless(path):
            return self.respond("213 %d" % HUGE)
        return super().ftp_SIZE(path)

    def ftp_RETR(self, file):
        if self._hidden(file):
            return self._refuse_missing()
        if self.faults.endless(file):
            producer = FileProducer(EndlessFile(), self._current_type)
            self.push_dtp_data(producer, isproducer=True, file=producer.file, cmd="RETR")
            return file
        return super().ftp_RETR(file)

    def ftp_STOR(self, file, mode="w"):
        if self.faults.args.refuse_hidden and os.path.basename(file).startswith("."):
            return self.respond("553 Could not create file.")
        return super().ftp_STOR(file, mode)

    def ftp_RNFR(self, path):
        if self.faults.args.no_rename:
            return self.respond("502 Command not implemented.")
        if ends_in(os.path.basename(path), self.faults.args.refuse_rename):
            return self.respond("550 Rename refused.")
        return super().ftp_RNFR(path)

    def ftp_RNTO(self, path):
        if self.faults.args.no_rename:
            return self.respond("502 Command not implemented.")
        return super().ftp_RNTO(path)

    def on_file_received(self, file):
        if ends_in(os.path.basename(file), self.faults.args.short_store):
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


class TelnetInput:
    """The client's side of a telnet connection: data bytes, with option answers taken out."""

    def __init__(self, reader):
        self.reader = reader
        self.answers = []  # (verb, option) in the order they came

    async def byte(self):
        return (await self.reader.readexactly(1))[0]

    async def data_byte(self):
        while True:
            b = await self.byte()
            if b != IAC:
                return b
            verb = await self.byte()
            if verb == IAC:
                return IAC
            if verb in (WILL, WONT, DO, DONT):
                self.answers.append((verb, await self.byte()))
            elif verb == SB:
                while (await self.byte(), await self.byte()) != (IAC, SE):
                    pass

    async def answer_to(self, verb, option):
        wanted = {DO: (WILL, WONT), WILL: (DO, DONT)}[verb]
        while not any(v in wanted and o == option for v, o in self.answers):
            b = await self.byte()
            if b == IAC:
                verb_in = await self.byte()
                if verb_in in (WILL, WONT, DO, DONT):
                    self.answers.append((verb_in, await self.byte()))

    async def line(self):
        raw = bytearray()
        while not raw.endswith(b"\n"):
            raw.append(await self.data_byte())
        return raw.rstrip(b"\r\n").replace(b"\0", b"").decode("latin-1")


class Shell:
    def __init__(self, args):
        self.args = args

    def record(self, line):
        if self.args.record:
            with open(self.args.record, "a", encoding="utf-8") as f:
                f.write(line + "\n")

    async def session(self, reader, writer):
        try:
            await self.converse(TelnetInput(reader), writer)
        except (ConnectionError, asyncio.IncompleteReadError):
            pass
        finally:
            writer.close()

    async def negotiate(self, telnet, writer):
        """Asks what a full telnet daemon asks and waits for every answer before the login."""
        requests = [(DO, TTYPE), (DO, TSPEED), (DO, XDISPLOC), (DO, NEW_ENVIRON), (WILL, ECHO),
                    (WILL, SGA), (DO, TTYPE)]
        for verb, option in requests:
            writer.write(bytes([IAC, verb, option]))
        await writer.drain()
        for verb, option in requests:
            await telnet.answer_to(verb, option)
        if len(telnet.answers) != len(set(telnet.answers)):
            writer.write(b"\r\nan option was answered twice\r\n")
            raise ConnectionError

    async def converse(self, telnet, writer):
        a = self.args
        if a.negotiate:
            await self.negotiate(telnet, writer)
        else:
            writer.write(bytes([IAC, WILL, ECHO, IAC, WILL, SGA]))
        writer.write(b"\r\nOrvix 2.6 receiver\r\n\r\n")
        while True:
            writer.write(b"Orvix login: ")
            await writer.drain()
            user = await telnet.line()
            writer.write(user.encode("latin-1") + b"\r\n")
            password = a.password
            if not a.no_password:
                writer.write(b"Password: ")
                await writer.drain()
                password = await telnet.line()
                writer.write(b"\r\n")
            if a.login_incorrect or user != a.user or password != a.password:
                writer.write(b"Login incorrect\r\n")
                continue
            break
        while True:
            if not a.no_prompt:
                writer.write(a.prompt.encode("latin-1") + b" ")
            await writer.drain()
            line = await telnet.line()
            self.record(line)
            writer.write(line.encode("latin-1") + b"\r\n")
            if line == "exit":
                return


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
