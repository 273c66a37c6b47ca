#include "https_test_server.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "interactive_program.h"

namespace {

void makeCertificate(const std::string& certificate, const std::string& key) {
  const std::string command = "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 2"
                              " -subj /CN=127.0.0.1 -addext subjectAltName=IP:127.0.0.1 -keyout '" + key +
                              "' -out '" + certificate + "' >/dev/null 2>&1";
  if (std::system(command.c_str()) != 0) throw std::runtime_error("openssl could not make a test certificate");
}

struct Certificates {
  Certificates() {
    makeCertificate(trusted, trustedKey);
    makeCertificate(untrusted, untrustedKey);
  }
  TempFolder folder{"quodl-certificates"};
  std::string trusted = folder / "trusted.pem", trustedKey = folder / "trusted-key.pem";
  std::string untrusted = folder / "untrusted.pem", untrustedKey = folder / "untrusted-key.pem";
};

// Made once a test program, when first needed; their folder goes when the program ends.
const Certificates& certificates() {
  static const Certificates made;
  return made;
}

std::string jsonText(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

}  // namespace

HttpsTestServer::HttpsTestServer(bool trusted) {
  const Certificates& c = certificates();
  answer({});
  program_ = std::make_unique<InteractiveProgram>(
      "/usr/bin/env",
      std::vector<std::string>{"python3", QUODL_HTTPS_TEST_SERVER, folder_.path(), trusted ? c.trusted : c.untrusted,
                               trusted ? c.trustedKey : c.untrustedKey},
      RunOptions{});
  if (!program_->waitForOutput("port ", 30) || !program_->waitForOutput("\n", 5)) {
    throw std::runtime_error("the HTTPS test server did not start: " + program_->output());
  }
  const std::string& output = program_->output();
  port_ = std::atoi(output.substr(output.find("port ") + 5).c_str());
  if (port_ <= 0) throw std::runtime_error("the HTTPS test server said no port: " + output);
}

HttpsTestServer::~HttpsTestServer() {
  program_->closeInput();
  if (program_->wait(5) != 0) program_->kill();
}

std::string HttpsTestServer::address(const std::string& path) const {
  return "https://127.0.0.1:" + std::to_string(port_) + path;
}

void HttpsTestServer::answer(const Answer& answer) {
  {
    std::ofstream body(folder_ / "body.bin", std::ios::binary | std::ios::trunc);
    body << answer.body;
  }
  std::ostringstream spec;
  spec << "{\"status\": " << answer.status << ", \"headers\": " << answer.headersJson
       << ", \"body_file\": " << jsonText("body.bin") << ", \"silent\": " << answer.silent
       << ", \"trickle\": " << answer.trickle << "}";
  // Written whole under another name first, so a request never reads half a file.
  {
    std::ofstream out(folder_ / "response.json.new", std::ios::trunc);
    out << spec.str();
  }
  std::rename((folder_ / "response.json.new").c_str(), (folder_ / "response.json").c_str());
}

std::string HttpsTestServer::requests() const {
  std::ifstream in(folder_ / "requests.log");
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

std::string HttpsTestServer::trustedCertificate() { return certificates().trusted; }
