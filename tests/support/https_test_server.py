#!/usr/bin/env python3
"""An HTTPS server on 127.0.0.1 for the tests: each request is answered as the file response.json in the server's
folder says at that moment, so a test changes the answer between requests. It prints "port N" once it listens,
records each request as one JSON line in requests.log, and ends when its standard input closes.

response.json: {"status": 200, "headers": {"Name": "value"}, "body_file": "name in the folder",
                "silent": seconds to wait before answering at all, "trickle": seconds between single body bytes}
"""
import json
import os
import ssl
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

folder, certificate, key = sys.argv[1], sys.argv[2], sys.argv[3]
LONGEST_WAIT = 30.0  # no answer waits longer than this, whatever the file says


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def do_GET(self):
        with open(os.path.join(folder, "requests.log"), "a") as log:
            log.write(json.dumps({"path": self.path, "accept": self.headers.get("Accept", "")}) + "\n")
        with open(os.path.join(folder, "response.json")) as f:
            spec = json.load(f)
        body = b""
        if "body_file" in spec:
            with open(os.path.join(folder, spec["body_file"]), "rb") as f:
                body = f.read()
        try:
            time.sleep(min(float(spec.get("silent", 0)), LONGEST_WAIT))
            self.send_response(int(spec.get("status", 200)))
            for name, value in spec.get("headers", {}).items():
                self.send_header(name, value)
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            trickle = float(spec.get("trickle", 0))
            if trickle > 0:
                started = time.monotonic()
                for i in range(len(body)):
                    if time.monotonic() - started > LONGEST_WAIT:
                        break
                    self.wfile.write(body[i:i + 1])
                    self.wfile.flush()
                    time.sleep(trickle)
            else:
                self.wfile.write(body)
        except (BrokenPipeError, ConnectionResetError, ssl.SSLError, OSError):
            pass


def main():
    server = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(certificate, key)
    server.socket = context.wrap_socket(server.socket, server_side=True)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    print("port", server.server_address[1], flush=True)
    sys.stdin.read()  # until the test closes it or ends
    server.shutdown()


main()
