# A small web server for the upgrade-check tests: 127.0.0.1, an ephemeral port printed on the
# first line of stdout. It serves the files of the folder given as argv[1] under /files/, and
# misbehaves on purpose under these paths:
#   /unsized/NAME  the file NAME as under /files/, without a length: the answer ends with the connection
#   /redirect      302 to /files/version.txt
#   /status/N      an empty answer with status N
#   /slow          200, then one byte a second (for at most 60 seconds)
#   /endless       200 without a length, then 1 MiB blocks (at most 64 of them)
import http.server
import os
import sys
import time

root = sys.argv[1]


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"

    def log_message(self, *args):
        pass

    def answer(self, status, body=b"", headers=()):
        self.send_response(status)
        for name, value in headers:
            self.send_header(name, value)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def do_GET(self):
        try:
            self.route()
        except (BrokenPipeError, ConnectionResetError):
            pass

    def route(self):
        path = self.path
        if path.startswith("/files/"):
            name = os.path.basename(path[len("/files/"):])
            full = os.path.join(root, name)
            if not os.path.isfile(full):
                self.answer(404)
                return
            with open(full, "rb") as f:
                self.answer(200, f.read(), [("Content-Type", "text/plain")])
        elif path.startswith("/unsized/"):
            full = os.path.join(root, os.path.basename(path[len("/unsized/"):]))
            if not os.path.isfile(full):
                self.answer(404)
                return
            self.send_response(200)
            self.end_headers()
            with open(full, "rb") as f:
                self.wfile.write(f.read())
        elif path == "/redirect":
            self.answer(302, b"moved", [("Location", "/files/version.txt")])
        elif path.startswith("/status/"):
            self.answer(int(path[len("/status/"):]))
        elif path == "/slow":
            self.send_response(200)
            self.send_header("Content-Length", "1000")
            self.end_headers()
            for _ in range(60):
                self.wfile.write(b"V")
                self.wfile.flush()
                time.sleep(1)
        elif path == "/endless":
            self.send_response(200)
            self.end_headers()
            block = b"VERSION: 000999\n" * 65536
            for _ in range(64):
                self.wfile.write(block)
        else:
            self.answer(404)


server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
server.daemon_threads = True
print(server.server_address[1], flush=True)
server.serve_forever()
