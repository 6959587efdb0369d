# A pyftpdlib server for the integration tests: 127.0.0.1 (or the loopback address in argv[2],
# such as ::1), an ephemeral port printed on the first line of stdout, the folder given as argv[1]
# served to "anonymous" and to tester/secret, both with write permission.
import hashlib
import logging
import sys
import warnings

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler, proto_cmds
from pyftpdlib.servers import FTPServer

warnings.filterwarnings("ignore")
logging.basicConfig(level=logging.WARNING, stream=sys.stderr)
logging.getLogger("pyftpdlib").setLevel(logging.WARNING)

root = sys.argv[1]
authorizer = DummyAuthorizer()
authorizer.add_user("tester", "secret", root, perm="elradfmwMT")
authorizer.add_anonymous(root, perm="elradfmwMT")


class Handler(FTPHandler):
    # The checksum command many servers offer, for the check after a transfer.
    proto_cmds = dict(proto_cmds, XSHA256=dict(perm="r", auth=True, arg=True, help="Syntax: XSHA256 <SP> file-name"))

    def ftp_XSHA256(self, path):
        digest = hashlib.sha256()
        try:
            with open(path, "rb") as f:
                for block in iter(lambda: f.read(1 << 20), b""):
                    digest.update(block)
        except OSError as err:
            self.respond("550 %s." % err.strerror)
            return
        self.respond("213 " + digest.hexdigest())


Handler.authorizer = authorizer
Handler.banner = "pyftpdlib ready."
address = sys.argv[2] if len(sys.argv) > 2 else "127.0.0.1"
server = FTPServer((address, 0), Handler)
print(server.socket.getsockname()[1], flush=True)
server.serve_forever()
