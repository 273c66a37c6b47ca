#pragma once
// An address split into its parts (RFC 3986), as the platform's URL components give them: the case of every part
// kept, an absent part told apart from an empty one ("https://h/?" has an empty query, "https://h/" none), the
// path both as written (percent-encoded) and decoded. Text with characters an address cannot hold (blanks,
// non-ASCII bytes, a "%" not followed by two hex digits) or a port that is not a number up to 65535 does not
// parse.

#include <optional>
#include <string>
#include <string_view>

namespace foundation {

struct UrlComponents {
  std::optional<std::string> scheme;
  std::optional<std::string> user;
  std::optional<std::string> password;
  std::optional<std::string> host;
  std::optional<int> port;
  std::string percentEncodedPath;
  std::string path;  // decoded
  std::optional<std::string> query;
  std::optional<std::string> fragment;
};

std::optional<UrlComponents> parseUrlComponents(std::string_view text);

// "%XX" sequences turned into their bytes; nullopt for a "%" without two hex digits after it.
std::optional<std::string> percentDecoded(std::string_view text);

}  // namespace foundation
