#include "foundation/paths.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <system_error>

namespace foundation {
namespace {

// Collapses runs of '/' and drops a trailing '/', keeping a lone "/".
std::string fixSlashes(std::string_view path) {
  std::string out;
  out.reserve(path.size());
  for (char c : path) {
    if (c == '/' && !out.empty() && out.back() == '/') continue;
    out.push_back(c);
  }
  if (out.size() > 1 && out.back() == '/') out.pop_back();
  return out;
}

std::size_t startOfLastComponent(const std::string& fixed) {
  const std::size_t slash = fixed.rfind('/');
  return slash == std::string::npos ? 0 : slash + 1;
}

// Position of the extension's first character in a fixed path, if it has one.
std::optional<std::size_t> startOfExtension(const std::string& fixed) {
  const std::size_t start = startOfLastComponent(fixed);
  const std::size_t dot = fixed.rfind('.');
  if (dot == std::string::npos || dot < start) return std::nullopt;
  if (dot == start || dot + 1 == fixed.size()) return std::nullopt;  // ".bashrc", "a."
  return dot + 1;
}

std::optional<std::string> homeOfUser(const char* name) {
  long size = sysconf(_SC_GETPW_R_SIZE_MAX);
  std::string buffer(size > 0 ? static_cast<std::size_t>(size) : 16384, '\0');
  passwd entry{};
  passwd* found = nullptr;
  const int rc = name ? getpwnam_r(name, &entry, buffer.data(), buffer.size(), &found)
                      : getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found);
  if (rc != 0 || !found || !found->pw_dir || found->pw_dir[0] != '/') return std::nullopt;
  return std::string(found->pw_dir);
}

}  // namespace

std::string homeDirectory() {
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return fixSlashes(home);
  if (auto fromDatabase = homeOfUser(nullptr)) return fixSlashes(*fromDatabase);
  return "/";
}

std::string lastPathComponent(std::string_view path) {
  const std::string fixed = fixSlashes(path);
  if (fixed.size() <= 1) return fixed;
  return fixed.substr(startOfLastComponent(fixed));
}

std::string deletingLastPathComponent(std::string_view path) {
  const std::string fixed = fixSlashes(path);
  if (fixed.empty() || fixed == "/") return fixed;
  const std::size_t start = startOfLastComponent(fixed);
  if (start == 0) return "";
  if (start == 1) return "/";
  return fixed.substr(0, start - 1);
}

std::string pathExtension(std::string_view path) {
  const std::string fixed = fixSlashes(path);
  if (fixed.size() <= 1) return "";
  const auto start = startOfExtension(fixed);
  return start ? fixed.substr(*start) : std::string();
}

std::string deletingPathExtension(std::string_view path) {
  const std::string fixed = fixSlashes(path);
  if (fixed.empty() || fixed == "/") return fixed;
  const auto start = startOfExtension(fixed);
  return start ? fixed.substr(0, *start - 1) : fixed;
}

std::string appendingPathComponent(std::string_view path, std::string_view component) {
  if (path.empty()) return fixSlashes(component);
  std::string joined(path);
  joined += '/';
  joined += component;
  return fixSlashes(joined);
}

std::string appendingPathExtension(std::string_view path, std::string_view extension) {
  const std::string fixed = fixSlashes(path);
  // Nothing sensible can carry an extension here; the path is returned as it is.
  if (extension.empty() || fixed.empty() || fixed == "/" || extension.find('/') != std::string_view::npos) return fixed;
  return fixed + "." + std::string(extension);
}

std::vector<std::string> pathComponents(std::string_view path) {
  std::vector<std::string> parts;
  const std::string fixed = fixSlashes(path);
  std::size_t pos = 0;
  if (!fixed.empty() && fixed[0] == '/') {
    parts.emplace_back("/");
    pos = 1;
  }
  while (pos < fixed.size()) {
    std::size_t slash = fixed.find('/', pos);
    if (slash == std::string::npos) slash = fixed.size();
    parts.emplace_back(fixed.substr(pos, slash - pos));
    pos = slash + 1;
  }
  return parts;
}

bool isAbsolutePath(std::string_view path) { return !path.empty() && path[0] == '/'; }

std::string expandingTildeInPath(std::string_view path) {
  if (path.empty() || path[0] != '~') return std::string(path);
  const std::size_t slash = path.find('/');
  const std::string_view user = path.substr(1, slash == std::string_view::npos ? std::string_view::npos : slash - 1);
  std::string home;
  if (user.empty()) {
    home = homeDirectory();
  } else {
    const auto found = homeOfUser(std::string(user).c_str());
    if (!found) return std::string(path);
    home = *found;
  }
  const std::string_view rest = slash == std::string_view::npos ? std::string_view() : path.substr(slash);
  return fixSlashes(home + std::string(rest));
}

std::string standardizingPath(std::string_view path) {
  const std::string expanded = expandingTildeInPath(path);
  if (expanded.empty()) return expanded;
  const bool absolute = expanded[0] == '/';
  std::vector<std::string_view> kept;
  std::string_view rest = expanded;
  while (!rest.empty()) {
    const std::size_t slash = rest.find('/');
    const std::string_view part = rest.substr(0, slash);
    rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
    if (part.empty() || part == ".") continue;
    if (part == ".." && absolute) {
      if (!kept.empty()) kept.pop_back();
      continue;
    }
    kept.push_back(part);
  }
  std::string out = absolute ? "/" : "";
  for (std::size_t i = 0; i < kept.size(); ++i) {
    if (i > 0) out += '/';
    out += kept[i];
  }
  if (out.empty()) return ".";
  return out;
}

std::string canonicalPath(std::string_view path) {
  if (path.empty()) return "";
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::path absolute = fs::absolute(fs::path(standardizingPath(path)), ec);
  if (ec) return standardizingPath(path);
  // Lexical first, then links, so that "a/link/.." means "a".
  absolute = absolute.lexically_normal();
  fs::path resolved = fs::weakly_canonical(absolute, ec);
  if (ec) resolved = absolute;
  return fixSlashes(resolved.string());
}

}  // namespace foundation
