#pragma once
// The one file-system answer the preflight cannot get for real where tests run as root: whether a folder is
// writable for the user. Tests replace it; everything else the preflight reads from the disk itself.

#include <functional>
#include <string>

// Whether the user may write into the existing folder `path`.
bool preflightFolderWritable(const std::string& path);
// Replaces the answer; an empty function restores the real one.
void setPreflightWritableTestForTesting(std::function<bool(const std::string&)> test);
