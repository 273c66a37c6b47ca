#include "temp_folder.h"

#include <stdlib.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

TempFolder::TempFolder(std::string_view prefix) {
  std::string pattern = (fs::temp_directory_path() / (std::string(prefix) + "-XXXXXX")).string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::system_error(errno, std::generic_category(), "mkdtemp");
  path_ = pattern;
}

TempFolder::~TempFolder() {
  std::error_code ec;
  constexpr auto ownerAll = fs::perms::owner_all;
  for (auto it = fs::recursive_directory_iterator(path_, ec); !ec && it != fs::recursive_directory_iterator();
       it.increment(ec)) {
    if (it->is_directory(ec) && !it->is_symlink(ec)) fs::permissions(it->path(), ownerAll, fs::perm_options::add, ec);
  }
  fs::permissions(path_, ownerAll, fs::perm_options::add, ec);
  fs::remove_all(path_, ec);
}
