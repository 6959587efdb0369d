# A pyftpdlib server for the integration tests: 127.0.0.1 (or the loopback address in argv[2],
# such as ::1), an ephemeral port printed on the first line of stdout, the folder given as argv[1]
# served to "anonymous" and to tester/secret, both with write permission.
import logging
import sys
import warnings

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer

warnings.filterwarnings("ignore")
logging.basicConfig(level=logging.WARNING, stream=sys.stderr)
logging.getLogger("pyftpdlib").setLevel(logging.WARNING)

root = sys.argv[1]
authorizer = DummyAuthorizer()
authorizer.add_user("tester", "secret", root, perm="elradfmwMT")
authorizer.add_anonymous(root, perm="elradfmwMT")


class Handler(FTPHandler):
    pass


Handler.authorizer = authorizer
Handler.banner = "pyftpdlib ready."
address = sys.argv[2] if len(sys.argv) > 2 else "127.0.0.1"
server = FTPServer((address, 0), Handler)
print(server.socket.getsockname()[1], flush=True)
server.serve_forever()
