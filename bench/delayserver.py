# A pyftpdlib server for bench/tree-latency.sh that answers like a server far away: every reply
# and the opening of every data connection wait DELAY_MS first, on each connection separately (one
# thread per connection). Loopback only, an ephemeral port printed on the first line, anonymous
# with write permission on argv[1]. On SIGTERM it writes to argv[2] how many commands of each kind
# and how many data connections it served.
#   argv: folder stats-file delay-ms
import collections
import json
import logging
import signal
import sys
import threading
import time

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler, PassiveDTP
from pyftpdlib.servers import ThreadedFTPServer

logging.basicConfig(level=logging.WARNING, stream=sys.stderr)
logging.getLogger("pyftpdlib").setLevel(logging.WARNING)

root, stats_path, delay = sys.argv[1], sys.argv[2], int(sys.argv[3]) / 1000.0
counts = collections.Counter()
lock = threading.Lock()


def count(kind):
    with lock:
        counts[kind] += 1


class DelayedPassiveDTP(PassiveDTP):
    def handle_accepted(self, sock, addr):
        time.sleep(delay)
        count("data connections")
        super().handle_accepted(sock, addr)


class Handler(FTPHandler):
    passive_dtp = DelayedPassiveDTP

    def respond(self, *args, **kwargs):
        time.sleep(delay)
        super().respond(*args, **kwargs)

    def pre_process_command(self, line, cmd, arg):
        count(cmd)
        super().pre_process_command(line, cmd, arg)

    def on_connect(self):
        count("connections")

    def on_file_sent(self, file):
        count("files")

    def on_file_received(self, file):
        count("files")


authorizer = DummyAuthorizer()
authorizer.add_anonymous(root, perm="elradfmwMT")
Handler.authorizer = authorizer
Handler.banner = "delaying server ready."
server = ThreadedFTPServer(("127.0.0.1", 0), Handler)
server.max_cons = 0
server.max_cons_per_ip = 0


def finish(*_):
    with lock:
        with open(stats_path, "w") as out:
            json.dump(dict(counts), out)
    sys.stdout.flush()
    import os
    os._exit(0)


signal.signal(signal.SIGTERM, finish)
print(server.socket.getsockname()[1], flush=True)
server.serve_forever()
