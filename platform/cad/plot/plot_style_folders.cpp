#include "cad/plot/plot_style_folders.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <set>
#include <system_error>

#include "cad/environment.h"
#include "cad/result_buffer.h"
#include "cad/tables.h"
#include "foundation/paths.h"
#include "foundation/text.h"

namespace cad {

namespace {

bool isTableName(const std::string& name) {
  std::string suffix = foundation::pathExtension(name);
  for (char& c : suffix) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return suffix == "ctb" || suffix == "stb";
}

struct Listed {
  std::wstring name;
  std::string path;
};

std::vector<Listed> listed() {
  std::vector<Listed> out;
  std::set<std::wstring> seen;
  for (const std::string& folder : plotStyleFolders()) {
    std::vector<Listed> here;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
      const std::string name = it->path().filename().string();
      std::error_code typeError;
      if (!isTableName(name) || !it->is_regular_file(typeError)) continue;
      const std::optional<std::wstring> wide = foundation::wideFromUtf8(name);
      if (wide) here.push_back({*wide, it->path().string()});
    }
    std::sort(here.begin(), here.end(), [](const Listed& a, const Listed& b) { return a.name < b.name; });
    for (Listed& l : here) {
      if (seen.insert(foldedName(l.name)).second) out.push_back(std::move(l));
    }
  }
  return out;
}

}  // namespace

std::vector<std::string> plotStyleFolders() {
  std::wstring value;
  if (acedGetEnv(L"PrinterStyleSheetDir", value) != RTNORM) return {};
  std::vector<std::string> folders;
  std::size_t start = 0;
  while (start <= value.size()) {
    std::size_t end = value.find(L';', start);
    if (end == std::wstring::npos) end = value.size();
    const std::string part = foundation::utf8FromWideLossy(value.substr(start, end - start));
    if (foundation::isAbsolutePath(part)) folders.push_back(part);
    start = end + 1;
  }
  return folders;
}

std::vector<std::wstring> plotStyleFileNames() {
  std::vector<std::wstring> names;
  for (Listed& l : listed()) names.push_back(std::move(l.name));
  return names;
}

std::optional<std::string> plotStyleFilePath(const std::wstring& name) {
  for (const Listed& l : listed()) {
    if (namesEqual(l.name, name)) return l.path;
  }
  return std::nullopt;
}

}  // namespace cad
