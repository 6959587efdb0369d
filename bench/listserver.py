# A local FTP server for bench/ui-stall.sh: anonymous, read-only, serving a folder's real files
# for RETR, while LIST of any folder sends one generated listing of N Unix-style lines.
#   listserver.py ROOT PORT LINES
import random
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer

MONTHS = "Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec".split()
EXTENSIONS = ["txt", "zip", "tar.gz", "c", "h", "png", "jpg", "pdf", "iso", "html", "md", ""]


def listing(lines):
    rnd = random.Random(1)
    out = []
    for i in range(lines):
        folder = rnd.randrange(20) == 0
        size = 4096 if folder else rnd.randrange(20000000000)
        if rnd.randrange(10) < 3:
            date = "%s %2d %02d:%02d" % (rnd.choice(MONTHS), 1 + rnd.randrange(28), rnd.randrange(24),
                                         rnd.randrange(60))
        else:
            date = "%s %2d  %d" % (rnd.choice(MONTHS), 1 + rnd.randrange(28), 1995 + rnd.randrange(30))
        ext = rnd.choice(EXTENSIONS)
        name = "file_%d_%d%s" % (rnd.randrange(1000000), i, "." + ext if ext else "")
        out.append("%s   1 user     group    %12d %s %s\r\n" %
                   ("drwxr-xr-x" if folder else "-rw-r--r--", size, date, name))
    return "".join(out).encode()


class ListingHandler(FTPHandler):
    data = b""

    def ftp_LIST(self, path):
        self.push_dtp_data(ListingHandler.data, cmd="LIST")
        return path


def main():
    root, port, lines = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    ListingHandler.data = listing(lines)
    authorizer = DummyAuthorizer()
    authorizer.add_anonymous(root)
    ListingHandler.authorizer = authorizer
    server = FTPServer(("127.0.0.1", port), ListingHandler)
    print("ready", flush=True)
    server.serve_forever()


main()
