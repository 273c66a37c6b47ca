#pragma once
// Text that tests read back, and files a run leaves at a path every user shares.

#include <string>
#include <utility>
#include <vector>

// The lines of a text, without their line ends.
std::vector<std::string> linesOf(const std::string& text);
// The lines of a text file; empty when it cannot be read.
std::vector<std::string> fileLines(const std::string& path);

// The layout scan's trace file, which every scan rewrites in the temporary folder: a run's output, never a
// work file it left behind.
constexpr char kLayoutCandidateTraceName[] = "quodl-layout-candidates.txt";

// The rows of a table as cadhost's @read prints them ("row N: a | b | …"), each its cells.
std::vector<std::vector<std::string>> rowsIn(const std::string& output);

// Width and height from a PNG's header; {0, 0} when the bytes are not a PNG.
std::pair<unsigned, unsigned> pngSize(const std::string& png);

// What each command typed in cadhost printed: its name (as typed after "Command: ") and the non-empty lines up to
// the next command. The lines before the first command (start-up) come under the name "".
using CommandOutput = std::pair<std::string, std::vector<std::string>>;
std::vector<CommandOutput> outputByCommand(const std::string& output);

enum class Leftover {
  gone,           // nothing stands at the path any more
  anotherUsers,   // a file of another user stands there: the test cannot run and skips
  notRemovable,   // this user's file that could not be removed
};
// Removes what an earlier run left at `path` (never following a link) when it belongs to this user.
Leftover removeLeftover(const std::string& path);
