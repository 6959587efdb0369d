# pyftpdlib for the tests of several connections at once: 127.0.0.1, an ephemeral port printed on
# the first line of stdout, the folder argv[1] served to tester/secret with write permission, and
# argv[2] saying how the server treats connections beyond the first few:
#   421:N    more than N connections at once get "421" and are closed
#   530:N    more than N logged-in users at once get "530" for USER
#   close:N  more than N connections at once are closed before the greeting
#   late421:K  every connection but the first answers "421" and closes after K transfers
#   slow:B   data moves at B bytes a second per connection
# Several of them go together separated by commas, such as "421:1,slow:200000".
import logging
import sys
import warnings

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler, ThrottledDTPHandler
from pyftpdlib.servers import FTPServer

warnings.filterwarnings("ignore")
logging.basicConfig(level=logging.WARNING, stream=sys.stderr)
logging.getLogger("pyftpdlib").setLevel(logging.WARNING)

root = sys.argv[1]
rules = {}
for rule in sys.argv[2].split(","):
    name, _, value = rule.partition(":")
    rules[name] = int(value)
authorizer = DummyAuthorizer()
authorizer.add_user("tester", "secret", root, perm="elradfmwMT")


class Handler(FTPHandler):
    open_count = 0
    user_count = 0
    serial = 0

    def handle(self):
        Handler.open_count += 1
        Handler.serial += 1
        self.serial_number = Handler.serial
        self.counted_user = False
        self.transfers = 0
        if "close" in rules and Handler.open_count > rules["close"]:
            self.close()
            return
        super().handle()

    def on_disconnect(self):
        pass

    def close(self):
        if not getattr(self, "closed_once", False):
            self.closed_once = True
            Handler.open_count -= 1
            if getattr(self, "counted_user", False):
                Handler.user_count -= 1
        super().close()

    def ftp_USER(self, line):
        if "530" in rules and Handler.user_count >= rules["530"]:
            self.respond("530 Too many users logged in.")
            return
        super().ftp_USER(line)

    def on_login(self, username):
        self.counted_user = True
        Handler.user_count += 1

    def ended_transfer(self):
        self.transfers += 1
        if "late421" in rules and self.serial_number > 1 and self.transfers >= rules["late421"]:
            self.respond("421 Too many transfers, closing.")
            self.close_when_done()

    def on_file_sent(self, file):
        self.ended_transfer()

    def on_file_received(self, file):
        self.ended_transfer()


Handler.authorizer = authorizer
Handler.banner = "pyftpdlib ready."
if "slow" in rules:
    class SlowDTPHandler(ThrottledDTPHandler):
        # pyftpdlib may close a data channel before its constructor has set this.
        _throttler = None

    dtp = SlowDTPHandler
    dtp.read_limit = rules["slow"]
    dtp.write_limit = rules["slow"]
    Handler.dtp_handler = dtp
server = FTPServer(("127.0.0.1", 0), Handler)
if "421" in rules:
    server.max_cons_per_ip = rules["421"]
print(server.socket.getsockname()[1], flush=True)
server.serve_forever()
