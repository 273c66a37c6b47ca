#pragma once
// A real HTTPS server on 127.0.0.1 for one test (https_test_server.py), with a certificate made for the test run:
// `trustedCertificate()` is what the client is told to trust; a server started with `trusted` false presents
// another certificate that nothing trusts.

#include <memory>
#include <string>

#include "temp_folder.h"

class InteractiveProgram;

class HttpsTestServer {
 public:
  explicit HttpsTestServer(bool trusted = true);
  ~HttpsTestServer();
  HttpsTestServer(const HttpsTestServer&) = delete;
  HttpsTestServer& operator=(const HttpsTestServer&) = delete;

  int port() const { return port_; }
  // "https://127.0.0.1:PORT" followed by the path.
  std::string address(const std::string& path) const;

  // How the next requests are answered: the status, extra headers as a JSON object text, the body, and how long
  // the server stays silent before answering or how slowly it sends the body, one byte at a time.
  struct Answer {
    int status = 200;
    std::string headersJson = "{}";
    std::string body;
    double silent = 0;
    double trickle = 0;
  };
  void answer(const Answer& answer);
  // One line for each request: {"path": …, "accept": …}.
  std::string requests() const;

  // The PEM file of the certificate authority the client trusts.
  static std::string trustedCertificate();

 private:
  TempFolder folder_{"quodl-https"};
  std::unique_ptr<InteractiveProgram> program_;
  int port_ = 0;
};
