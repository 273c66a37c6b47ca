#pragma once
// Removing a whole tree, and finding beforehand what would stop this process from removing it, for a move
// across volumes that must take the original whole or leave it as it was.

#include <string>

namespace foundation::tree_removal {

struct Stuck {
  int code = 0;      // 0: nothing in the way
  std::string path;  // the item that cannot go

  explicit operator bool() const noexcept { return code != 0; }
};

// The first item of the tree at `path` (a file, a link, or a folder with everything in it) that this process
// could not remove, without touching anything: a folder it may not list or change, an immutable or append-only
// item, an item of another user in a sticky folder, a volume mounted inside, a read-only volume.
Stuck obstacle(const std::string& path);

// Removes the tree at `path`, deepest items first, links as links. Stops at the first item that cannot go;
// what went before it is gone.
Stuck remove(const std::string& path);

}  // namespace foundation::tree_removal
