#pragma once
// Finding the DWG files among items and folders the user chose, and telling when two paths name one file.
// Symbolic links are never followed, hidden items and the insides of packages are passed over, and one search
// finds at most 1000 distinct files. Pure file-system work: safe on a worker thread.

#include <functional>
#include <optional>
#include <string>
#include <vector>

class QDLQueueFileSystem;

// At most this many distinct DWG files per search, and rows in the queue.
inline constexpr std::size_t kQDLQueueMaxFiles = 1000;

// The error text of a search that found more than kQDLQueueMaxFiles files, as its catalogue key: the search may
// run off the main thread, so the caller translates it where it shows it.
inline constexpr char kQDLQueueTooManyFiles[] = "单次最多加入 1000 个 DWG，请缩小文件夹范围。";

// Tilde expanded, "." and ".." removed lexically, separators tidied, then every symbolic link resolved.
std::string QDLQueueCanonicalPath(const std::string& path);

// "device:file number" of the item itself (a final symbolic link not followed); the canonical path when the item
// cannot be read.
std::string QDLQueueFileIdentity(const std::string& path);
std::string QDLQueueFileIdentity(const std::string& path, const QDLQueueFileSystem& fileSystem);

// The canonical paths of the DWG files among `paths` (files, and folders searched with their subfolders when
// `recursive`, else only their direct children), sorted by plain byte order; each file once however many paths
// reach it. nullopt when `cancelled` answered true (the error is then empty) or on a failure (the error says
// which). A file or folder that vanishes while the search runs is passed over as if it had never been listed.
std::optional<std::vector<std::string>> QDLQueueDiscover(const std::vector<std::string>& paths, bool recursive,
                                                         std::string& error, const std::function<bool()>& cancelled,
                                                         const QDLQueueFileSystem& fileSystem);
// With the installed file system.
std::optional<std::vector<std::string>> QDLQueueDiscover(const std::vector<std::string>& paths, bool recursive,
                                                         std::string& error, const std::function<bool()>& cancelled);
