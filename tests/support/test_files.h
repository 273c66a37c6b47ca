#pragma once
// Text that tests read back, and files a run leaves at a path every user shares.

#include <string>
#include <vector>

// The lines of a text, without their line ends.
std::vector<std::string> linesOf(const std::string& text);
// The lines of a text file; empty when it cannot be read.
std::vector<std::string> fileLines(const std::string& path);

enum class Leftover {
  gone,           // nothing stands at the path any more
  anotherUsers,   // a file of another user stands there: the test cannot run and skips
  notRemovable,   // this user's file that could not be removed
};
// Removes what an earlier run left at `path` (never following a link) when it belongs to this user.
Leftover removeLeftover(const std::string& path);
