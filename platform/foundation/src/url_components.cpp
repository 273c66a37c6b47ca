#include "foundation/url_components.h"

#include <cctype>

namespace foundation {

namespace {

bool isAlpha(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

int hexValue(char c) {
  if (isDigit(c)) return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool isUnreserved(char c) { return isAlpha(c) || isDigit(c) || c == '-' || c == '.' || c == '_' || c == '~'; }
bool isSubDelim(char c) {
  switch (c) {
    case '!': case '$': case '&': case '\'': case '(': case ')': case '*': case '+': case ',': case ';': case '=':
      return true;
    default:
      return false;
  }
}

// Every character is unreserved, a sub-delimiter, one of `extra`, or a complete percent escape.
bool holdsOnly(std::string_view text, std::string_view extra) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '%') {
      if (i + 2 >= text.size() || hexValue(text[i + 1]) < 0 || hexValue(text[i + 2]) < 0) return false;
      i += 2;
      continue;
    }
    if (!isUnreserved(c) && !isSubDelim(c) && extra.find(c) == std::string_view::npos) return false;
  }
  return true;
}

bool parseAuthority(std::string_view authority, UrlComponents& out) {
  std::string_view hostPort = authority;
  if (const std::size_t at = authority.rfind('@'); at != std::string_view::npos) {
    const std::string_view userInfo = authority.substr(0, at);
    if (!holdsOnly(userInfo, ":")) return false;
    hostPort = authority.substr(at + 1);
    const std::size_t colon = userInfo.find(':');
    out.user = std::string(userInfo.substr(0, colon));
    if (colon != std::string_view::npos) out.password = std::string(userInfo.substr(colon + 1));
  }
  std::string_view host = hostPort;
  std::string_view port;
  bool hasPort = false;
  if (!hostPort.empty() && hostPort.front() == '[') {
    const std::size_t close = hostPort.find(']');
    if (close == std::string_view::npos) return false;
    host = hostPort.substr(0, close + 1);
    if (!holdsOnly(host.substr(1, host.size() - 2), ":")) return false;
    const std::string_view rest = hostPort.substr(close + 1);
    if (!rest.empty()) {
      if (rest.front() != ':') return false;
      hasPort = true;
      port = rest.substr(1);
    }
  } else {
    if (const std::size_t colon = hostPort.rfind(':'); colon != std::string_view::npos) {
      host = hostPort.substr(0, colon);
      port = hostPort.substr(colon + 1);
      hasPort = true;
    }
    if (!holdsOnly(host, "")) return false;
  }
  out.host = std::string(host);
  if (hasPort && !port.empty()) {
    if (port.size() > 5) return false;
    int value = 0;
    for (char c : port) {
      if (!isDigit(c)) return false;
      value = value * 10 + (c - '0');
    }
    if (value > 65535) return false;
    out.port = value;
  }
  return true;
}

}  // namespace

std::optional<std::string> percentDecoded(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out.push_back(text[i]);
      continue;
    }
    if (i + 2 >= text.size()) return std::nullopt;
    const int high = hexValue(text[i + 1]);
    const int low = hexValue(text[i + 2]);
    if (high < 0 || low < 0) return std::nullopt;
    out.push_back(static_cast<char>(high * 16 + low));
    i += 2;
  }
  return out;
}

std::optional<UrlComponents> parseUrlComponents(std::string_view text) {
  UrlComponents out;
  std::string_view rest = text;

  if (const std::size_t hash = rest.find('#'); hash != std::string_view::npos) {
    const std::string_view fragment = rest.substr(hash + 1);
    if (!holdsOnly(fragment, ":@/?")) return std::nullopt;
    out.fragment = std::string(fragment);
    rest = rest.substr(0, hash);
  }
  if (const std::size_t mark = rest.find('?'); mark != std::string_view::npos) {
    const std::string_view query = rest.substr(mark + 1);
    if (!holdsOnly(query, ":@/?")) return std::nullopt;
    out.query = std::string(query);
    rest = rest.substr(0, mark);
  }
  // A scheme: a letter, then letters, digits, "+", "-" or ".", up to the first ":" before any "/".
  if (const std::size_t colon = rest.find(':'); colon != std::string_view::npos && colon > 0 &&
                                                 rest.substr(0, colon).find('/') == std::string_view::npos) {
    const std::string_view scheme = rest.substr(0, colon);
    bool valid = isAlpha(scheme.front());
    for (char c : scheme) valid = valid && (isAlpha(c) || isDigit(c) || c == '+' || c == '-' || c == '.');
    if (valid) {
      out.scheme = std::string(scheme);
      rest = rest.substr(colon + 1);
    }
  }
  if (rest.substr(0, 2) == "//") {
    rest = rest.substr(2);
    const std::size_t slash = rest.find('/');
    if (!parseAuthority(rest.substr(0, slash), out)) return std::nullopt;
    rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash);
  }
  if (!holdsOnly(rest, ":@/")) return std::nullopt;
  out.percentEncodedPath = std::string(rest);
  std::optional<std::string> decoded = percentDecoded(rest);
  if (!decoded) return std::nullopt;
  out.path = std::move(*decoded);
  return out;
}

}  // namespace foundation
