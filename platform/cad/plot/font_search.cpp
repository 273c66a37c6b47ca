#include "cad/plot/font_search.h"

#include <cctype>
#include <filesystem>
#include <optional>
#include <system_error>

#include "cad/database.h"
#include "cad/find_file.h"
#include "cad/host_paths.h"
#include "foundation/files.h"
#include "foundation/folders.h"
#include "foundation/paths.h"
#include "foundation/text.h"

namespace cad {

namespace {

std::optional<std::vector<std::string>>& configured() {
  static auto* folders = new std::optional<std::vector<std::string>>;
  return *folders;
}

bool equalIgnoringAsciiCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

std::optional<std::string> searchFolder(const std::string& folder, const std::string& name) {
  std::error_code ec;
  const auto options = std::filesystem::directory_options::skip_permission_denied;
  for (std::filesystem::recursive_directory_iterator it(folder, options, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code typeError;
    if (it->is_regular_file(typeError) && equalIgnoringAsciiCase(it->path().filename().string(), name)) {
      return it->path().string();
    }
  }
  return std::nullopt;
}

}  // namespace

std::vector<std::string> fontFolders() {
  if (configured()) return *configured();
  return {foundation::appendingPathComponent(hostDataFolder(), "Fonts"),
          foundation::appendingPathComponent(foundation::applicationSupportDirectory(), "fonts"),
          "/usr/local/share/fonts", "/usr/share/fonts"};
}

void setFontFolders(std::vector<std::string> folders) { configured() = std::move(folders); }

void resetFontFolders() { configured().reset(); }

ErrorStatus HostApplicationServices::findFile(std::wstring& found, const wchar_t* name, Database* db,
                                              FindFileHint hint) const {
  found.clear();
  if (name == nullptr || *name == 0) return eInvalidInput;
  if (findFileFaults().failing.count(name) != 0) return eKeyNotFound;
  const std::optional<std::string> utf8 = foundation::utf8FromWide(name);
  if (!utf8) return eInvalidInput;

  std::vector<std::string> candidates;
  if (utf8->find('/') != std::string::npos) {
    candidates.push_back(foundation::standardizingPath(*utf8));
  } else {
    if (db == nullptr) db = workingDatabase();
    const std::string drawing = db == nullptr ? std::string() : foundation::utf8FromWideLossy(db->filename);
    if (foundation::isAbsolutePath(drawing)) {
      candidates.push_back(foundation::appendingPathComponent(foundation::deletingLastPathComponent(drawing), *utf8));
    }
    for (const std::string& folder : supportFolders()) {
      candidates.push_back(foundation::appendingPathComponent(folder, *utf8));
    }
  }
  for (const std::string& path : candidates) {
    if (foundation::isRegularFile(path)) {
      found = foundation::wideFromUtf8Lossy(path);
      return eOk;
    }
  }
  const bool fontHint = hint == kFontFile || hint == kCompiledShapeFile || hint == kTrueTypeFontFile;
  if (fontHint && utf8->find('/') == std::string::npos) {
    for (const std::string& folder : fontFolders()) {
      if (std::optional<std::string> path = searchFolder(folder, *utf8)) {
        found = foundation::wideFromUtf8Lossy(*path);
        return eOk;
      }
    }
  }
  return eKeyNotFound;
}

}  // namespace cad
