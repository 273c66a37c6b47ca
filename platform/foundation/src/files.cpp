#include "foundation/files.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <type_traits>
#include <utility>

#include "file_faults_internal.h"
#include "foundation/large_memory.h"
#include "foundation/paths.h"
#include "foundation/work_file.h"
#include "mapping_guard.h"
#include "random_bytes.h"
#include "tree_removal.h"

namespace foundation {
namespace {

using file_faults_detail::take;

constexpr const char* kHiddenAttribute = "user.quodline.hidden";

FileResult fail(int code, const char* action, const std::string& path) {
  return FileResult::failure(code, std::string("Cannot ") + action + " \"" + path + "\": " + errorText(code));
}

FileResult fail2(int code, const char* action, const std::string& from, const std::string& to) {
  return FileResult::failure(code, std::string("Cannot ") + action + " \"" + from + "\" to \"" + to + "\": " + errorText(code));
}

// Closes a descriptor on every path out of a function.
class Descriptor {
 public:
  explicit Descriptor(int fd = -1) : fd_(fd) {}
  ~Descriptor() { reset(); }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  int release() { return std::exchange(fd_, -1); }
  void reset(int fd = -1) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
  }

 private:
  int fd_;
};

// Each call below first asks the fault seam; a forced failure sets errno like the real call would.
int faulted(FileOperation operation) {
  if (const int error = take(operation)) {
    errno = error;
    return -1;
  }
  return 0;
}

int openAt(int dir, const char* name, int flags, mode_t mode = 0) {
  if (faulted(FileOperation::open)) return -1;
  int fd;
  do fd = ::openat(dir, name, flags | O_CLOEXEC, mode);
  while (fd < 0 && errno == EINTR);
  return fd;
}

int syncDescriptor(int fd) {
  if (faulted(FileOperation::fsync)) return -1;
  return ::fsync(fd);
}

int writeAll(int fd, std::string_view data) {
  std::size_t written = 0;
  while (written < data.size()) {
    if (faulted(FileOperation::write)) return -1;
    const ssize_t n = ::write(fd, data.data() + written, data.size() - written);
    if (n < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    written += static_cast<std::size_t>(n);
  }
  return 0;
}

int renameNoReplace(const char* from, const char* to) {
  if (faulted(FileOperation::rename)) return -1;
  return ::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE);
}

std::string parentOf(const std::string& path) {
  std::string parent = deletingLastPathComponent(path);
  return parent.empty() ? "." : parent;
}

std::string randomHex(std::size_t bytes) {
  unsigned char raw[16];
  random_detail::fillRandom(raw, bytes);
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (std::size_t i = 0; i < bytes; ++i) {
    out += digits[raw[i] >> 4];
    out += digits[raw[i] & 0xF];
  }
  return out;
}

// Copies a file's bytes into a new file; 0 or the errno of the failure (a full volume says ENOSPC).
int copyFileBytes(const std::string& from, const std::string& to, mode_t mode) {
  Descriptor source(openAt(AT_FDCWD, from.c_str(), O_RDONLY | O_NOFOLLOW));
  if (source.get() < 0) return errno;
  Descriptor copy(openAt(AT_FDCWD, to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0600));
  if (copy.get() < 0) return errno;
  std::string buffer(1u << 16, '\0');
  for (;;) {
    if (faulted(FileOperation::read)) return errno;
    const ssize_t n = ::read(source.get(), buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) break;
    if (writeAll(copy.get(), std::string_view(buffer.data(), static_cast<std::size_t>(n))) != 0) return errno;
  }
  if (::fchmod(copy.get(), mode) != 0) return errno;
  return ::close(copy.release()) == 0 ? 0 : errno;
}

// Copies an item for a move across volumes: files by their bytes, links as links, folders with what they hold.
// A folder takes its own permissions only once filled, so a copy that stops half-way can always be removed.
int copyTree(const std::string& from, const std::string& to) {
  struct stat item {};
  if (::lstat(from.c_str(), &item) != 0) return errno;
  const mode_t mode = item.st_mode & 07777;
  if (S_ISREG(item.st_mode)) return copyFileBytes(from, to, mode);
  if (S_ISLNK(item.st_mode)) {
    std::error_code ec;
    const std::filesystem::path target = std::filesystem::read_symlink(from, ec);
    if (ec) return ec.value();
    return ::symlink(target.c_str(), to.c_str()) == 0 ? 0 : errno;
  }
  if (!S_ISDIR(item.st_mode)) return ENOTSUP;  // a pipe, socket or device is no part of a package
  if (faulted(FileOperation::mkdir) || ::mkdir(to.c_str(), 0700) != 0) return errno;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(from, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (const int error = copyTree(appendingPathComponent(from, name), appendingPathComponent(to, name))) {
      return error;
    }
  }
  if (ec) return ec.value();
  return ::chmod(to.c_str(), mode) == 0 ? 0 : errno;
}

// Removes a copy that stopped half-way, folders the copy made read-only included.
void removePartialCopy(const std::string& path) {
  std::error_code ec;
  if (std::filesystem::is_directory(std::filesystem::symlink_status(path, ec))) {
    ::chmod(path.c_str(), 0700);
    for (std::filesystem::recursive_directory_iterator it(path, ec), end; !ec && it != end; it.increment(ec)) {
      if (it->is_directory(ec) && !it->is_symlink(ec)) ::chmod(it->path().c_str(), 0700);
    }
  }
  std::filesystem::remove_all(path, ec);
}

// Copies back into `original` every item of `copy` that is missing there; 0 or the errno of the failure.
int putBackMissing(const std::string& copy, const std::string& original) {
  struct stat item {};
  if (::lstat(original.c_str(), &item) != 0) return errno == ENOENT ? copyTree(copy, original) : errno;
  if (!S_ISDIR(item.st_mode)) return 0;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(copy, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (const int error = putBackMissing(appendingPathComponent(copy, name), appendingPathComponent(original, name))) {
      return error;
    }
  }
  return ec ? ec.value() : 0;
}

}  // namespace

std::string errorText(int code) { return std::system_category().message(code); }

bool fileExists(const std::string& path) {
  struct stat st{};
  return ::stat(path.c_str(), &st) == 0;
}

bool isDirectory(const std::string& path) {
  struct stat st{};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool isRegularFile(const std::string& path) {
  struct stat st{};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool itemExists(const std::string& path) {
  struct stat st{};
  return ::lstat(path.c_str(), &st) == 0;
}

bool isSymbolicLink(const std::string& path) {
  struct stat st{};
  return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

bool isWritable(const std::string& path) { return ::access(path.c_str(), W_OK) == 0; }

FileResult createDirectory(const std::string& path, bool withIntermediates, unsigned mode) {
  if (path.empty()) return fail(ENOENT, "create folder", path);
  const auto makeOne = [&](const std::string& folder) -> int {
    if (faulted(FileOperation::mkdir)) return -1;
    return ::mkdir(folder.c_str(), static_cast<mode_t>(mode));
  };
  if (!withIntermediates) {
    if (makeOne(path) != 0) return fail(errno, "create folder", path);
    return FileResult::success();
  }
  std::string current;
  for (const std::string& part : pathComponents(path)) {
    current = current.empty() ? part : appendingPathComponent(current, part);
    if (part == "/" || isDirectory(current)) continue;
    if (makeOne(current) != 0) {
      const int error = errno;
      // Another process may have made it meanwhile.
      if (error == EEXIST && isDirectory(current)) continue;
      return fail(error == EEXIST ? ENOTDIR : error, "create folder", current);
    }
  }
  return FileResult::success();
}

namespace {

// Files from this size on are mapped rather than read (FileBytes only); smaller ones cost less to copy.
constexpr std::uintmax_t kMapAtLeast = std::uintmax_t{1} << 20;

// Reads a regular file whole into `data` (a std::string's adapter or FileBytes), as readFile and readOwnFile
// describe.
template <class Data>
void readWhole(const std::string& path, std::size_t maxBytes, bool ownFileOnly, FileResult& status, Data& data) {
  // Non-blocking, so that a named pipe in the file's place cannot stall the reader; the kind is checked on
  // the opened descriptor, so nothing can be swapped in between.
  Descriptor fd(openAt(AT_FDCWD, path.c_str(), O_RDONLY | O_NONBLOCK | (ownFileOnly ? O_NOFOLLOW : 0)));
  if (fd.get() < 0) {
    status = fail(errno, "open", path);
    return;
  }
  struct stat st{};
  if (::fstat(fd.get(), &st) != 0) {
    status = fail(errno, "read", path);
    return;
  }
  if (!S_ISREG(st.st_mode)) {
    status = S_ISDIR(st.st_mode) ? fail(EISDIR, "read", path)
                                 : FileResult::failure(EINVAL, "Cannot read \"" + path + "\": not a regular file");
    return;
  }
  if (ownFileOnly && st.st_uid != ::geteuid()) {
    status = FileResult::failure(EACCES, "Cannot read \"" + path + "\": the file belongs to another user");
    return;
  }
  // The size the file has now is read in one go, straight into place; what it may have grown by since comes
  // after in pieces.
  const auto size = static_cast<std::uintmax_t>(std::max<off_t>(st.st_size, 0));
  if (size > maxBytes) {
    status = fail(EFBIG, "read", path);
    return;
  }
  if constexpr (std::is_same_v<Data, FileBytes>) {
    // A large file is mapped, not copied: its pages come from the system's cache as they are read, with no
    // fresh memory for the system to clear and the reader to fill.
    if (size >= kMapAtLeast) {
      if (faulted(FileOperation::read)) {
        status = fail(errno, "read", path);
        return;
      }
      if (data.map(fd.get(), static_cast<std::size_t>(size))) return;
    }
  }
  char* direct = data.resize(static_cast<std::size_t>(size));
  std::size_t filled = 0;
  char buffer[65536];
  for (;;) {
    const bool intoDirect = filled < size;
    char* into = intoDirect ? direct + filled : buffer;
    const std::size_t room = intoDirect ? static_cast<std::size_t>(size) - filled : sizeof buffer;
    ssize_t n = -1;
    if (!faulted(FileOperation::read)) n = ::read(fd.get(), into, room);
    if (n < 0) {
      if (errno == EINTR) continue;
      status = fail(errno, "read", path);
      data.clear();
      return;
    }
    if (n == 0) break;
    if (intoDirect) {
      filled += static_cast<std::size_t>(n);
      continue;
    }
    if (filled + static_cast<std::size_t>(n) > maxBytes) {
      status = fail(EFBIG, "read", path);
      data.clear();
      return;
    }
    data.append(buffer, static_cast<std::size_t>(n));
    filled += static_cast<std::size_t>(n);
  }
  data.resize(filled);  // a file that shrank meanwhile
}

struct StringData {
  std::string& text;
  char* resize(std::size_t size) {
    text.resize(size);
    return text.data();
  }
  void append(const char* bytes, std::size_t count) { text.append(bytes, count); }
  void clear() { text.clear(); }
};

}  // namespace

ReadResult readFile(const std::string& path, std::size_t maxBytes) {
  ReadResult result;
  StringData data{result.data};
  readWhole(path, maxBytes, false, result, data);
  return result;
}

ReadResult readOwnFile(const std::string& path, std::size_t maxBytes) {
  ReadResult result;
  StringData data{result.data};
  readWhole(path, maxBytes, true, result, data);
  return result;
}

BytesResult readFileBytes(const std::string& path, std::size_t maxBytes) {
  BytesResult result;
  readWhole(path, maxBytes, false, result, result.bytes);
  return result;
}

namespace {

char* allocateBytes(std::size_t capacity) {
  return static_cast<char*>(capacity >= kLargeBlock ? allocateLarge(capacity) : ::operator new(capacity));
}

void freeBytes(char* data, std::size_t capacity, bool keep = true) {
  if (data == nullptr) return;
  if (capacity >= kLargeBlock) {
    freeLarge(data, capacity, keep);
  } else {
    ::operator delete(data);
  }
}

}  // namespace

FileBytes::~FileBytes() {
  if (mapped_) unmap();
  else freeBytes(data_, capacity_);
}

void FileBytes::unmap() {
  cut_ = cut_ || mapping_guard::cutShort(guard_);
  mapping_guard::forget(guard_);
  guard_ = -1;
  ::munmap(data_, capacity_);
}

bool FileBytes::cutShort() const { return cut_ || (mapped_ && mapping_guard::cutShort(guard_)); }

FileBytes::FileBytes(FileBytes&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      capacity_(std::exchange(other.capacity_, 0)),
      mapped_(std::exchange(other.mapped_, false)),
      guard_(std::exchange(other.guard_, -1)),
      cut_(std::exchange(other.cut_, false)) {}

FileBytes& FileBytes::operator=(FileBytes&& other) noexcept {
  if (this != &other) {
    if (mapped_) unmap();
    else freeBytes(data_, capacity_);
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
    capacity_ = std::exchange(other.capacity_, 0);
    mapped_ = std::exchange(other.mapped_, false);
    guard_ = std::exchange(other.guard_, -1);
    cut_ = std::exchange(other.cut_, false);
  }
  return *this;
}

char* FileBytes::resize(std::size_t size) {
  if (mapped_) {
    // Into memory of its own first: a mapping cannot grow.
    FileBytes copy;
    std::memcpy(copy.resize(std::max(size, size_)), data_, std::min(size, size_));
    *this = std::move(copy);
    size_ = size;
    return data_;
  }
  if (size > capacity_) {
    // Room for the file to grow a little while it is read, so that its last piece does not move it all.
    const std::size_t capacity = std::max(size, capacity_ + capacity_ / 2);
    char* grown = allocateBytes(capacity);
    if (size_ > 0) std::memcpy(grown, data_, size_);
    freeBytes(data_, capacity_);
    data_ = grown;
    capacity_ = capacity;
  }
  size_ = size;
  return data_;
}

void FileBytes::release() {
  if (mapped_) {
    unmap();
  } else {
    freeBytes(data_, capacity_, /*keep=*/false);
  }
  data_ = nullptr;
  size_ = capacity_ = 0;
  mapped_ = false;
}

bool FileBytes::map(int fd, std::size_t size) {
  if (size == 0) return false;
  void* at = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
  if (at == MAP_FAILED) return false;
  ::madvise(at, size, MADV_SEQUENTIAL);
  release();
  data_ = static_cast<char*>(at);
  size_ = capacity_ = size;
  mapped_ = true;
  cut_ = false;
  guard_ = mapping_guard::watch(at, size);
  return true;
}

void FileBytes::dropBefore(std::size_t offset) {
  if (!mapped_) return;
  const auto page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
  const std::size_t end = std::min(offset, size_) / page * page;
  if (end > 0) ::madvise(data_, end, MADV_DONTNEED);
}

void FileBytes::append(const char* bytes, std::size_t count) {
  const std::size_t at = size_;
  std::memcpy(resize(at + count) + at, bytes, count);
}

FileResult writeFileAtomically(const std::string& path, std::string_view data, Flush flush) {
  const std::string name = lastPathComponent(path);
  if (name.empty() || name == "/" || name == "." || name == "..") return fail(EINVAL, "write", path);
  const std::string folder = parentOf(path);
  Descriptor dir(openAt(AT_FDCWD, folder.c_str(), O_RDONLY | O_DIRECTORY));
  if (dir.get() < 0) return fail(errno, "write", path);

  // A replaced file keeps its permissions; a new one gets the usual 0666 less the umask.
  struct stat existing{};
  const bool replacing = ::fstatat(dir.get(), name.c_str(), &existing, 0) == 0 && S_ISREG(existing.st_mode);

  std::string temporary;
  Descriptor file;
  // Recorded before it exists, so that a process killed while it writes leaves nothing a later start keeps.
  WorkItem item;
  for (int attempt = 0; attempt < 16 && file.get() < 0; ++attempt) {
    temporary = ".quodl-tmp-" + randomHex(8);
    item = WorkItem(appendingPathComponent(folder, temporary));
    file.reset(openAt(dir.get(), temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0666));
    if (file.get() < 0) {
      const int error = errno;
      item.release();  // someone else's file of that name stays
      if (error != EEXIST) return fail(error, "write", path);
    }
  }
  if (file.get() < 0) return fail(EEXIST, "write", path);

  const auto abandon = [&](int error, const char* action) {
    file.reset();
    ::unlinkat(dir.get(), temporary.c_str(), 0);
    item.release();
    return fail(error, action, path);
  };
  if (replacing && ::fchmod(file.get(), existing.st_mode & 07777) != 0) return abandon(errno, "write");
  if (writeAll(file.get(), data) != 0) return abandon(errno, "write");
  if (flush == Flush::toDisk && syncDescriptor(file.get()) != 0) return abandon(errno, "write");
  if (::close(file.release()) != 0) return abandon(errno, "write");
  if (faulted(FileOperation::rename) || ::renameat(dir.get(), temporary.c_str(), dir.get(), name.c_str()) != 0) {
    return abandon(errno, "write");
  }
  item.release();
  if (flush == Flush::toDisk && syncDescriptor(dir.get()) != 0) return fail(errno, "flush the folder of", path);
  return FileResult::success();
}

namespace {

// The move of moveItem; `copyKept` is set when a copy across volumes had to be kept.
FileResult moveOrKeepCopy(const std::string& from, const std::string& to, bool& copyKept) {
  struct stat source{};
  if (::lstat(from.c_str(), &source) != 0) return fail2(errno, "move", from, to);
  if (renameNoReplace(from.c_str(), to.c_str()) == 0) return FileResult::success();
  int error = errno;
  if (error == EINVAL || error == ENOSYS || error == ENOTSUP) {
    // A file system without no-replace renames: a hard link cannot overwrite either.
    if (!S_ISDIR(source.st_mode)) {
      if (faulted(FileOperation::link) || ::link(from.c_str(), to.c_str()) != 0) return fail2(errno, "move", from, to);
      if (::unlink(from.c_str()) != 0) {
        error = errno;
        ::unlink(to.c_str());
        return fail2(error, "move", from, to);
      }
      return FileResult::success();
    }
    // Folders cannot be linked; the check and the rename are as close as this file system allows.
    if (itemExists(to)) return fail2(EEXIST, "move", from, to);
    if (faulted(FileOperation::rename) || ::rename(from.c_str(), to.c_str()) != 0) return fail2(errno, "move", from, to);
    return FileResult::success();
  }
  if (error != EXDEV) return fail2(error, "move", from, to);

  // Across volumes: copy beside the destination, put it in place without overwriting, then drop the original.
  // All or nothing: what would keep the original from going whole is looked for before anything is copied.
  if (itemExists(to)) return fail2(EEXIST, "move", from, to);
  if (const tree_removal::Stuck stuck = tree_removal::obstacle(from)) {
    return FileResult::failure(stuck.code, "Cannot move \"" + from + "\" to \"" + to + "\": \"" + stuck.path +
                                               "\" cannot be removed (" + errorText(stuck.code) + "); nothing was moved");
  }
  const std::string staging = appendingPathComponent(parentOf(to), ".quodl-move-" + randomHex(8));
  if (const int copyError = copyTree(from, staging); copyError != 0) {
    removePartialCopy(staging);
    return fail2(copyError, "move", from, to);
  }
  if (renameNoReplace(staging.c_str(), to.c_str()) != 0) {
    error = errno;
    removePartialCopy(staging);
    return fail2(error, "move", from, to);
  }
  if (const tree_removal::Stuck stuck = tree_removal::remove(from)) {
    // What went before the obstacle comes back from the copy; only an original whole again lets the copy go.
    const std::string reason = "Cannot move \"" + from + "\" to \"" + to + "\": \"" + stuck.path +
                               "\" cannot be removed (" + errorText(stuck.code) + ")";
    if (const int restoreError = putBackMissing(to, from); restoreError != 0) {
      copyKept = true;
      return FileResult::failure(stuck.code, reason + ", and what had gone cannot be put back (" +
                                                 errorText(restoreError) + "); the whole copy is kept at \"" + to + "\"");
    }
    removePartialCopy(to);
    return FileResult::failure(stuck.code, reason + "; nothing was moved");
  }
  return FileResult::success();
}

}  // namespace

MoveResult moveItem(const std::string& from, const std::string& to) {
  MoveResult result;
  static_cast<FileResult&>(result) = moveOrKeepCopy(from, to, result.copyKept);
  return result;
}


FileResult replaceItem(const std::string& target, const std::string& replacement) {
  struct stat source{};
  if (::lstat(replacement.c_str(), &source) != 0) return fail2(errno, "replace", target, replacement);
  struct stat old{};
  const bool folderOverFolder = ::lstat(target.c_str(), &old) == 0 && S_ISDIR(old.st_mode) && S_ISDIR(source.st_mode);
  if (faulted(FileOperation::rename)) return fail2(errno, "replace", target, replacement);
  if (!folderOverFolder) {
    if (::rename(replacement.c_str(), target.c_str()) != 0) return fail2(errno, "replace", target, replacement);
    return FileResult::success();
  }
  // rename() only replaces an empty folder: swap the two, then remove the old one from the replacement's place.
  if (::renameat2(AT_FDCWD, replacement.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE) != 0) {
    return fail2(errno, "replace", target, replacement);
  }
  return removeItem(replacement);
}

FileResult removeItem(const std::string& path) {
  struct stat st{};
  if (::lstat(path.c_str(), &st) != 0) return fail(errno, "remove", path);
  if (faulted(FileOperation::remove)) return fail(errno, "remove", path);
  std::error_code ec;
  std::filesystem::remove_all(path, ec);
  if (ec) return fail(ec.value(), "remove", path);
  return FileResult::success();
}

FileResult removeFile(const std::string& path) {
  if (faulted(FileOperation::remove)) return fail(errno, "remove", path);
  // unlink() refuses folders on its own, so nothing can swap a folder in between a check and the removal.
  if (::unlink(path.c_str()) != 0) return fail(errno == EPERM && isDirectory(path) ? EISDIR : errno, "remove", path);
  return FileResult::success();
}

SpaceResult volumeSpace(const std::string& path) {
  SpaceResult result;
  struct statvfs info{};
  if (faulted(FileOperation::statvfs) || ::statvfs(path.c_str(), &info) != 0) {
    static_cast<FileResult&>(result) = fail(errno, "read the free space of", path);
    return result;
  }
  result.availableBytes = static_cast<std::uint64_t>(info.f_bavail) * info.f_frsize;
  result.totalBytes = static_cast<std::uint64_t>(info.f_blocks) * info.f_frsize;
  return result;
}

HiddenResult hiddenFlag(const std::string& path) {
  HiddenResult result;
  char value[8];
  ssize_t n = -1;
  if (!faulted(FileOperation::xattr)) n = ::getxattr(path.c_str(), kHiddenAttribute, value, sizeof value);
  if (n >= 0) {
    result.hidden = !(n == 1 && value[0] == '0');
    return result;
  }
  const int error = errno;
  if (error == ENODATA || error == ENOTSUP || error == ERANGE) {
    // ERANGE: a longer value than ours is still a set flag.
    result.hidden = error == ERANGE;
    return result;
  }
  static_cast<FileResult&>(result) = fail(error, "read the hidden flag of", path);
  return result;
}

FileResult setHiddenFlag(const std::string& path, bool hidden) {
  if (hidden) {
    if (faulted(FileOperation::xattr) || ::setxattr(path.c_str(), kHiddenAttribute, "1", 1, 0) != 0) {
      return fail(errno, "hide", path);
    }
    return FileResult::success();
  }
  if (faulted(FileOperation::xattr) || ::removexattr(path.c_str(), kHiddenAttribute) != 0) {
    const int error = errno;
    if (error == ENODATA || error == ENOTSUP) return FileResult::success();  // nothing was hidden
    return fail(error, "unhide", path);
  }
  return FileResult::success();
}

bool isHiddenItem(const std::string& path) {
  const std::string name = lastPathComponent(path);
  if (!name.empty() && name[0] == '.' && name != "/") return true;
  const HiddenResult flag = hiddenFlag(path);
  return flag.ok && flag.hidden;
}

}  // namespace foundation
