#include "services/download_address.h"

#include <string>

#include "foundation/url_components.h"

namespace {

// A path that climbs out of the release site (a "." or ".." segment) leaves it on the same host.
bool hasDotSegment(std::string_view path) {
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find('/', start);
    if (end == std::string_view::npos) end = path.size();
    const std::string_view segment = path.substr(start, end - start);
    if (segment == "." || segment == "..") return true;
    start = end + 1;
  }
  return false;
}

bool isStoreFileName(std::string_view name) {
  constexpr std::string_view kExtension = ".pkg";
  if (name.size() <= kExtension.size() || name.substr(name.size() - kExtension.size()) != kExtension) return false;
  auto alnum = [](char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
  if (!alnum(name.front())) return false;
  for (char c : name.substr(0, name.size() - kExtension.size())) {
    if (!alnum(c) && c != '.' && c != '_' && c != '-') return false;
  }
  return true;
}

}  // namespace

bool QDLUSafeURL(const foundation::Json& value) {
  const std::optional<std::string> text = foundation::jsonString(value);
  if (!text) return false;
  const std::optional<foundation::UrlComponents> url = foundation::parseUrlComponents(*text);
  if (!url || url->scheme != "https") return false;
  if (url->port && *url->port != 443) return false;
  if (url->user || url->password || url->fragment) return false;
  if (url->host == kReleaseShareHost) {
    const std::string prefix = "/:u:/s/" + std::string(kReleaseShareSite) + "/";
    return url->path.rfind(prefix, 0) == 0 && !hasDotSegment(url->path);
  }
  if (url->host == kReleaseStoreHost) {
    constexpr std::string_view kFolder = "/releases/quodline/macos/";
    const std::string_view path = url->percentEncodedPath;
    return !url->query && path.rfind(kFolder, 0) == 0 && isStoreFileName(path.substr(kFolder.size()));
  }
  return false;
}
