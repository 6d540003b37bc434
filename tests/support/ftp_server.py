#!/usr/bin/python3
"""Local FTP server for Kelpo's upload tests and demo.

Serves 127.0.0.1 on the FTP port with accounts that behave like the servers
users meet. Every account's home lies under --root:

  kelpo / secret     normal account; its home holds the directory "webcam"
  nodir / secret     home without the directory "webcam"
  readonly / secret  may log in and change directory, but STOR is refused
  stall / secret     STOR is accepted (150) and then never completes

A wrong password for any account is refused at login.
"""
import argparse
import os
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer

PASSWORD = "secret"
UPLOAD_DIRECTORY = "webcam"
STALLING_USER = "stall"


class KelpoTestHandler(FTPHandler):
    def ftp_STOR(self, file, mode="w"):
        if self.username == STALLING_USER:
            # Say yes and then never open the data transfer: the client waits
            # for a final reply that does not come.
            self.respond("150 File status okay; about to open data connection.")
            return None
        return super().ftp_STOR(file, mode)


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
    args = parser.parse_args()

    authorizer = DummyAuthorizer()
    full = "elradfmwMT"
    authorizer.add_user("kelpo", PASSWORD, make_home(args.root, "kelpo", True), perm=full)
    authorizer.add_user("nodir", PASSWORD, make_home(args.root, "nodir", False), perm=full)
    authorizer.add_user("readonly", PASSWORD, make_home(args.root, "readonly", True), perm="elr")
    authorizer.add_user(STALLING_USER, PASSWORD, make_home(args.root, STALLING_USER, True),
                        perm=full)

    handler = KelpoTestHandler
    handler.authorizer = authorizer
    handler.banner = "Kelpo test FTP server ready."
    handler.passive_ports = range(30000, 30100)
    # Login failures are answered at once: the tests must not wait for them.
    handler.auth_failed_timeout = 0

    server = FTPServer((args.host, args.port), handler)
    if args.pidfile:
        with open(args.pidfile, "w") as out:
            out.write("%d\n" % os.getpid())
    print("FTP server on %s:%d, homes under %s" % (args.host, args.port, args.root), flush=True)
    server.serve_forever()


if __name__ == "__main__":
    sys.exit(main())
