#pragma once
// The file manager: existence tests, folders, atomic writes, moves that never overwrite, removal, free space
// and the hidden flag. Every failure comes back as a result with the errno and a readable text naming the
// path; nothing throws. Failures can be forced through failNextFileOperation (file_faults.h).

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <utility>

namespace foundation {

struct FileResult {
  bool ok = true;
  int code = 0;       // the errno of a failure
  std::string error;  // e.g. `Cannot write "/a/b.json": No space left on device`

  explicit operator bool() const noexcept { return ok; }
  static FileResult success() { return {}; }
  static FileResult failure(int code, std::string error) { return {false, code, std::move(error)}; }
};

struct ReadResult : FileResult {
  std::string data;
};

// A file's bytes in memory asked of the system in large pages (large_memory.h), for a file read whole and
// dropped soon after. Move-only.
class FileBytes {
 public:
  FileBytes() = default;
  ~FileBytes();
  FileBytes(FileBytes&& other) noexcept;
  FileBytes& operator=(FileBytes&& other) noexcept;
  std::string_view view() const { return {data_, size_}; }
  std::size_t size() const { return size_; }

  // For the reader that fills it: the size it is given (what was there before is kept), bytes added at the end.
  char* resize(std::size_t size);
  void append(const char* bytes, std::size_t count);
  void clear() { size_ = 0; }
  // Gives the memory back to the system at once (not kept for later large blocks): the reader that is done
  // with the bytes lowers the process's peak.
  void release();
  // Holds a regular file's first `size` bytes by mapping them (read-only) rather than copying them; false
  // when the system will not, and the bytes stay as they were.
  bool map(int fd, std::size_t size);
  // A reader past `offset` lets the pages before it go for now: a mapped file's pages come back from the file
  // if they are read again, so this only lowers what the process holds. Nothing for bytes read into memory.
  void dropBefore(std::size_t offset);
  // Whether a mapped file was cut short while it was held (also once released): the missing bytes read as
  // zeros, so what was read of it must not be trusted.
  bool cutShort() const;

 private:
  void unmap();

  char* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
  bool mapped_ = false;
  int guard_ = -1;
  bool cut_ = false;
};

struct BytesResult : FileResult {
  FileBytes bytes;
};

struct SpaceResult : FileResult {
  std::uint64_t availableBytes = 0;  // what an unprivileged user may still write
  std::uint64_t totalBytes = 0;
};

struct HiddenResult : FileResult {
  bool hidden = false;
};

struct MoveResult : FileResult {
  // A failed move across volumes whose original could neither be removed whole nor put back whole: the
  // whole copy is kept at the destination, beside what is left of the original.
  bool copyKept = false;
};

// Follow symbolic links: a dangling link does not exist.
bool fileExists(const std::string& path);
bool isDirectory(const std::string& path);
bool isRegularFile(const std::string& path);
// Do not follow the last symbolic link: a dangling link is an item.
bool itemExists(const std::string& path);
bool isSymbolicLink(const std::string& path);
bool isWritable(const std::string& path);

// Without intermediates the parent must exist and the folder must not; with them, an existing folder is fine.
FileResult createDirectory(const std::string& path, bool withIntermediates, unsigned mode = 0755);

// Reads regular files only: a folder fails with EISDIR, a pipe, device or socket with EINVAL ("not a regular
// file"), without blocking. Refuses files larger than maxBytes (EFBIG) rather than reading them whole.
ReadResult readFile(const std::string& path, std::size_t maxBytes = std::numeric_limits<std::size_t>::max());
// As readFile, for files that someone else could have put in the reader's way: only a regular file that
// belongs to this user, and never through a symbolic link at the path (ELOOP; links in the folders above are
// followed). A file of another user fails with EACCES.
ReadResult readOwnFile(const std::string& path, std::size_t maxBytes = std::numeric_limits<std::size_t>::max());
// As readFile, into large pages, for files read whole that may be large (drawings).
BytesResult readFileBytes(const std::string& path, std::size_t maxBytes = std::numeric_limits<std::size_t>::max());

// Whether an atomic write waits for the disk. Without the wait, readers and a crash of the program still see
// the old file or the new one whole; only the machine losing power can cost the newest write. Files rewritten
// at every step of a long run (a job's checkpoint) or soon superseded (a work file) need no wait.
enum class Flush { toDisk, none };

// Writes a temporary file in the same folder, flushes it to disk, renames it over the path and flushes the
// folder, so that readers see the old file or the new one, never a part. A replaced file keeps its permissions.
// A folder that cannot be flushed is reported as a failure although the new file is then already in place.
// With Flush::none, the same without either flush.
FileResult writeFileAtomically(const std::string& path, std::string_view data, Flush flush = Flush::toDisk);

// Moves an item to a path that must not exist (EEXIST otherwise, whatever the race). Across volumes the item
// is copied and the original removed only once the copy is complete, all or nothing: an original that could
// not be removed whole is left whole (what had gone is put back) and the copy removed. Only when that too
// fails is the copy kept (copyKept).
MoveResult moveItem(const std::string& from, const std::string& to);
// Puts `replacement` in the place of `target` (which may be absent) in one step; a folder may replace a folder.
FileResult replaceItem(const std::string& target, const std::string& replacement);
// Removes a file, a link (not what it points to) or a whole folder tree. A missing item is an error (ENOENT).
FileResult removeItem(const std::string& path);
// Removes a file or a link (not what it points to), never a folder: a folder at the path fails with EISDIR and
// stays as it is. A missing item is an error (ENOENT).
FileResult removeFile(const std::string& path);

SpaceResult volumeSpace(const std::string& path);

// The hidden flag, kept as the extended attribute "user.quodline.hidden". Where the file system has no
// extended attributes nothing is hidden: reading reports false and clearing succeeds, setting fails.
HiddenResult hiddenFlag(const std::string& path);
FileResult setHiddenFlag(const std::string& path, bool hidden);
// Hidden from a file browser: a name starting with "." or the hidden flag set.
bool isHiddenItem(const std::string& path);

// The text of an errno value.
std::string errorText(int code);

}  // namespace foundation
