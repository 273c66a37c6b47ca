#pragma once
// Where a queue run's PDFs lie in its run folder, and what becomes of one that was written but did not verify:
// it leaves its delivery name for the run's "Unverified-PDF" folder, visible, and its row says where it went.
// Nothing here follows a symbolic link planted in the run folder. Main thread only.

#include <string>

// Moves `path` to "Unverified-PDF/<UUID>-<name>" in the run folder (made when missing) and clears its hidden
// flag. Answers the note for its row: the warning that names where the file lies now, and, when it could not be
// moved (it then stays where it is), why. Empty when no file the run wrote is at `path`.
std::string QDLQueueSetAsideUnverified(const std::string& path);

// Whether `path` is a regular file (not a link) where the run writes its PDFs: in the run folder itself, or in a
// real folder (not a link) directly inside it.
bool QDLQueueWrittenInRunFolder(const std::string& path);

// The message joined with more text by "; ".
std::string QDLQueueJoined(const std::string& message, const std::string& more);
