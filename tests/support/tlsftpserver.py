# A pyftpdlib FTP-over-TLS server for the integration tests: 127.0.0.1, an ephemeral port printed
# on the first line of stdout, the folder argv[1] served to tester/secret with write permission.
# The environment says the rest: TIDEWELL_TLS_MODE "explicit" (AUTH TLS) or "implicit" (TLS from
# the first byte), TIDEWELL_TLS_CERTIFICATE the certificate and key files without extension,
# TIDEWELL_TLS_VERSION the highest TLS version, "1.2" or "1.3", and TIDEWELL_TLS_FAULT a fault to
# show: "cut" (a download's data connection ends after a few bytes without close_notify, while
# the server reports success) or "refuse-prot" (PROT P is refused; data may go in the clear). Like the strict servers, it refuses a data connection that does not resume the TLS
# session of the control connection.
import logging
import os
import socket
import sys
import warnings

from OpenSSL import SSL
from OpenSSL._util import lib as openssl
from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import DTPHandler, TLS_DTPHandler, TLS_FTPHandler
from pyftpdlib.servers import FTPServer

warnings.filterwarnings("ignore")
logging.basicConfig(level=logging.WARNING, stream=sys.stderr)
logging.getLogger("pyftpdlib").setLevel(logging.WARNING)

root = sys.argv[1]
mode = os.environ.get("TIDEWELL_TLS_MODE", "explicit")
certificate = os.environ["TIDEWELL_TLS_CERTIFICATE"]
version = os.environ.get("TIDEWELL_TLS_VERSION", "1.3")
fault = os.environ.get("TIDEWELL_TLS_FAULT", "")
authorizer = DummyAuthorizer()
authorizer.add_user("tester", "secret", root, perm="elradfmwMT")

context = SSL.Context(SSL.TLS_METHOD)
context.set_min_proto_version(SSL.TLS1_2_VERSION)
context.set_max_proto_version(SSL.TLS1_2_VERSION if version == "1.2" else SSL.TLS1_3_VERSION)
context.use_certificate_chain_file(certificate + ".pem")
context.use_privatekey_file(certificate + ".key")
context.set_session_id(b"tidewell-tests")


class DataHandler(TLS_DTPHandler):
    def handle_ssl_established(self):
        if not openssl.SSL_session_reused(self.socket._ssl):
            self.cmd_channel.respond(
                "425 Unable to build data connection: TLS session of data connection not resumed")
            self.cmd_channel.log("data connection without session reuse refused")
            self.transfer_finished = True
            self.close()
        elif fault == "cut" and not self.receive:
            self.socket.sendall(b"x" * 4096)
            self.socket.sock_shutdown(socket.SHUT_RDWR)
            self.transfer_finished = True
            self._resp = ("226 Transfer complete.", logging.info)
            DTPHandler.close(self)


class Handler(TLS_FTPHandler):
    dtp_handler = DataHandler
    tls_control_required = True
    tls_data_required = fault != "refuse-prot"

    def ftp_PROT(self, line):
        if fault == "refuse-prot" and line.upper() == "P":
            self.respond("534 Protection level refused.")
        else:
            super().ftp_PROT(line)

    def handle(self):
        if mode == "implicit":
            self.secure_connection(self.ssl_context)
        else:
            super().handle()

    def handle_ssl_established(self):
        if mode == "implicit":
            super().handle()

    def ftp_AUTH(self, line):
        if mode == "implicit":
            self.respond("503 Already using TLS.")
        else:
            super().ftp_AUTH(line)


Handler.authorizer = authorizer
Handler.ssl_context = context
Handler.banner = "pyftpdlib TLS ready."
server = FTPServer(("127.0.0.1", 0), Handler)
print(server.socket.getsockname()[1], flush=True)
server.serve_forever()
