#!/usr/bin/python3
"""Local FTP server for Kelpo's upload tests and demo.

Serves 127.0.0.1 on the FTP port with accounts that behave like the servers
users meet. Every account's home lies under --root:

  kelpo / secret     normal account; its home holds the directory "webcam"
  nodir / secret     home without the directory "webcam"
  readonly / secret  may log in and change directory, but STOR is refused
  stall / secret     STOR is accepted (150) and then never completes
  drop / secret      STOR is accepted, and the connection is dropped as soon
                     as the first bytes of the file have arrived
  slow / secret      files arrive at SLOW_RATE bytes a second, still flowing
  mute               USER is never answered

A wrong password for any account is refused at login. File names are UTF-8,
as the server announces in its FEAT reply.

With --late-host it also serves the same accounts on a second address, where
every connection is accepted at once but greeted only after a pause, so a
client's connect completes late. With --silent-host it accepts connections on
a third address and never says a word. Each of the first two servers keeps the
number of its connections still open in a file (--count-file,
--late-count-file), and --received-file counts the files received whole.
"""
import argparse
import os
import sys

import pyftpdlib.ioloop
from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler, ThrottledDTPHandler
from pyftpdlib.servers import FTPServer

PASSWORD = "secret"
UPLOAD_DIRECTORY = "webcam"
STALLING_USER = "stall"
DROPPING_USER = "drop"
SLOW_USER = "slow"
SLOW_RATE = 16 * 1024  # the tests know it as kSlowRate
MUTE_USER = "mute"
GREETING_DELAY = 2.0  # seconds; the tests know it as kLateGreeting


_del_channel = pyftpdlib.ioloop.AsyncChat.del_channel


def del_own_channel(self, map=None):
    # pyftpdlib unregisters a socket's number again when a channel that has
    # already gone is closed once more (a session ending after its data
    # connection did). By then a new connection may have that number, and it
    # would never be served again: only a channel's own registration goes.
    if self._fileno is not None and self.ioloop.socket_map.get(self._fileno) is not self:
        return
    _del_channel(self, map)


pyftpdlib.ioloop.AsyncChat.del_channel = del_own_channel


class KelpoTestHandler(FTPHandler):
    count_file = None  # where the number of open connections is kept
    received_file = None  # where the number of files received is kept
    files_received = 0
    open_connections = 0
    counted = False

    def handle(self):
        self.count(1)
        super().handle()

    def close(self):
        if self.counted and not self._closed:
            self.count(-1)
        super().close()

    def count(self, change):
        self.counted = True
        cls = type(self)
        cls.open_connections += change
        write_count(cls.count_file, cls.open_connections)

    def on_file_received(self, file):
        cls = KelpoTestHandler
        cls.files_received += 1
        write_count(cls.received_file, cls.files_received)

    def ftp_USER(self, line):
        if line == MUTE_USER:
            return None  # no reply, ever
        return super().ftp_USER(line)

    def ftp_STOR(self, file, mode="w"):
        if self.username == STALLING_USER:
            # Say yes and then never open the data transfer: the client waits
            # for a final reply that does not come.
            self.respond("150 File status okay; about to open data connection.")
            return None
        return super().ftp_STOR(file, mode)


class KelpoDTPHandler(ThrottledDTPHandler):
    def __init__(self, sock, cmd_channel):
        if cmd_channel.username == SLOW_USER:
            self.read_limit = SLOW_RATE
        super().__init__(sock, cmd_channel)

    def handle_read(self):
        super().handle_read()
        if self.cmd_channel.username == DROPPING_USER and self.tot_bytes_received > 0:
            # Both connections go mid-transfer, as when the server's side fails.
            self.cmd_channel.close()

    handle_read_event = handle_read  # what the I/O loop calls


class LateGreetingHandler(KelpoTestHandler):
    count_file = None
    open_connections = 0

    def handle(self):
        self.count(1)
        self.call_later(GREETING_DELAY, self.greet)

    def greet(self):
        if not self._closed:
            FTPHandler.handle(self)


class SilentHandler(FTPHandler):
    def handle(self):
        pass  # accepted, never greeted


def write_count(path, count):
    if path:
        # Replaced whole, so a reader never sees half a number.
        with open(path + ".new", "w") as out:
            out.write("%d\n" % count)
        os.replace(path + ".new", path)


def make_home(root, name, with_directory):
    home = os.path.join(root, name)
    os.makedirs(home, exist_ok=True)
    if with_directory:
        os.makedirs(os.path.join(home, UPLOAD_DIRECTORY), exist_ok=True)
    return home


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--root", required=True, help="folder holding the account homes")
    parser.add_argument("--host", default="127.0.0.1")
    parser.add_argument("--port", type=int, default=21)
    parser.add_argument("--pidfile", help="write the server's process id here")
    parser.add_argument("--count-file", help="keep the number of open connections here")
    parser.add_argument("--late-host", help="address of the server that greets late")
    parser.add_argument("--late-count-file", help="its number of open connections")
    parser.add_argument("--silent-host", help="address of the server that never speaks")
    parser.add_argument("--received-file", help="keep the number of files received here")
    args = parser.parse_args()

    authorizer = DummyAuthorizer()
    full = "elradfmwMT"
    authorizer.add_user("kelpo", PASSWORD, make_home(args.root, "kelpo", True), perm=full)
    authorizer.add_user("nodir", PASSWORD, make_home(args.root, "nodir", False), perm=full)
    authorizer.add_user("readonly", PASSWORD, make_home(args.root, "readonly", True), perm="elr")
    authorizer.add_user(STALLING_USER, PASSWORD, make_home(args.root, STALLING_USER, True),
                        perm=full)
    authorizer.add_user(DROPPING_USER, PASSWORD, make_home(args.root, DROPPING_USER, True),
                        perm=full)
    authorizer.add_user(SLOW_USER, PASSWORD, make_home(args.root, SLOW_USER, True), perm=full)

    handler = KelpoTestHandler
    handler.authorizer = authorizer
    handler.banner = "Kelpo test FTP server ready."
    handler.passive_ports = range(30000, 30100)
    # Login failures are answered at once: the tests must not wait for them.
    handler.auth_failed_timeout = 0

    handler.dtp_handler = KelpoDTPHandler
    handler.count_file = args.count_file
    handler.received_file = args.received_file
    write_count(args.received_file, 0)
    write_count(args.count_file, 0)

    server = FTPServer((args.host, args.port), handler)
    if args.late_host:
        LateGreetingHandler.count_file = args.late_count_file
        write_count(args.late_count_file, 0)
        # Served by the same loop as the first server.
        FTPServer((args.late_host, args.port), LateGreetingHandler)
    if args.silent_host:
        FTPServer((args.silent_host, args.port), SilentHandler)
    if args.pidfile:
        with open(args.pidfile, "w") as out:
            out.write("%d\n" % os.getpid())
    print("FTP server on %s:%d, homes under %s" % (args.host, args.port, args.root), flush=True)
    server.serve_forever()


if __name__ == "__main__":
    sys.exit(main())
