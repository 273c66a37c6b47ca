#include "foundation/trash.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "file_faults_internal.h"
#include "foundation/files.h"
#include "foundation/folders.h"
#include "foundation/iso8601.h"
#include "foundation/paths.h"
#include "percent_encoding.h"

namespace foundation {
namespace {

constexpr std::size_t kNameMax = 255;
constexpr std::string_view kInfoSuffix = ".trashinfo";

TrashResult failed(int code, const std::string& path, const std::string& detail = {}) {
  TrashResult result;
  result.ok = false;
  result.code = code;
  result.error = "Cannot move \"" + path + "\" to the trash: " + (detail.empty() ? errorText(code) : detail);
  return result;
}

// A path in a trash record: everything but the unreserved characters of a URI and '/' is encoded.
std::string percentEncoded(std::string_view path) {
  return percent_detail::percentEncoded(path, [](unsigned char c, std::size_t) {
    return percent_detail::isAsciiAlphanumeric(c) || c == '-' || c == '.' || c == '_' || c == '~' || c == '/';
  });
}

// Cuts UTF-8 text to at most `limit` bytes without splitting a character.
std::string cutUtf8(const std::string& text, std::size_t limit) {
  if (text.size() <= limit) return text;
  std::size_t end = limit;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return text.substr(0, end);
}

// "a.pdf", then "a 2.pdf", "a 3.pdf" …, each short enough to carry the ".trashinfo" suffix.
std::string candidateName(const std::string& name, int attempt) {
  std::string stem = name, extension;
  const std::string ext = pathExtension(name);
  if (!ext.empty()) {
    stem = deletingPathExtension(name);
    extension = "." + ext;
  }
  std::string counter;
  if (attempt != 1) counter.append(" ").append(std::to_string(attempt));
  const std::size_t room = kNameMax - kInfoSuffix.size();
  if (extension.size() + counter.size() + 1 > room) extension.clear();
  stem = cutUtf8(stem, room - extension.size() - counter.size());
  return stem + counter + extension;
}

bool writeAll(int fd, const std::string& data) {
  std::size_t written = 0;
  while (written < data.size()) {
    if (const int error = file_faults_detail::take(FileOperation::write)) {
      errno = error;
      return false;
    }
    const ssize_t n = ::write(fd, data.data() + written, data.size() - written);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    written += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

TrashResult trashItem(const std::string& path) {
  const std::string standardized = standardizingPath(path);
  const std::string name = lastPathComponent(standardized);
  const std::string given = lastPathComponent(path);
  // "x/." and "x/.." name a folder only by a detour; refuse them rather than guess.
  if (path.empty() || name.empty() || name == "/" || name == "." || name == ".." || given == "." || given == "..") {
    return failed(EINVAL, path);
  }
  // The item itself is not resolved: a link goes to the trash, not what it points to.
  const std::string absolute = appendingPathComponent(canonicalPath(deletingLastPathComponent(standardized).empty()
                                                                        ? "."
                                                                        : deletingLastPathComponent(standardized)),
                                                      name);
  if (!itemExists(absolute)) return failed(ENOENT, path);

  // A trash folder that is a link would put the item wherever the link points, out of the user's trash.
  const std::string trashFolder = trashDirectory();
  for (const std::string& folder : {trashFolder, appendingPathComponent(trashFolder, "files"),
                                    appendingPathComponent(trashFolder, "info")}) {
    if (isSymbolicLink(folder)) return failed(ELOOP, path, "the trash folder \"" + folder + "\" is a symbolic link");
  }
  const std::string trash = canonicalPath(trashFolder);
  if (trash == absolute || trash.rfind(absolute + "/", 0) == 0) return failed(EINVAL, path, "it holds the trash");
  const std::string filesFolder = appendingPathComponent(trash, "files");
  const std::string infoFolder = appendingPathComponent(trash, "info");
  for (const std::string& folder : {filesFolder, infoFolder}) {
    if (FileResult made = createDirectory(folder, true, 0700); !made) return failed(made.code, path, made.error);
  }

  const std::string record = "[Trash Info]\nPath=" + percentEncoded(absolute) +
                             "\nDeletionDate=" + localDateTime(wallClockNow()) + "\n";
  for (int attempt = 1; attempt <= 10000; ++attempt) {
    const std::string candidate = candidateName(name, attempt);
    const std::string target = appendingPathComponent(filesFolder, candidate);
    if (itemExists(target)) continue;  // a file left without its record still holds the name
    const std::string infoPath = appendingPathComponent(infoFolder, candidate + std::string(kInfoSuffix));
    // Creating the record exclusively reserves the name against other trashing programs.
    int fd = -1;
    if (const int error = file_faults_detail::take(FileOperation::open)) errno = error;
    else fd = ::open(infoPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return failed(errno, path);
    }
    const bool written = writeAll(fd, record);
    const int writeError = errno;
    if (::close(fd) != 0 || !written) {
      ::unlink(infoPath.c_str());
      return failed(written ? errno : writeError, path);
    }
    const MoveResult moved = moveItem(absolute, target);
    if (moved) {
      TrashResult result;
      result.trashedPath = target;
      return result;
    }
    if (moved.copyKept) {
      // The item lies whole in the trash: its record stays, so that it can still be put back.
      TrashResult result = failed(moved.code, path, moved.error);
      result.trashedPath = target;
      result.partlyLeft = true;
      return result;
    }
    ::unlink(infoPath.c_str());
    if (moved.code == EEXIST) continue;
    return failed(moved.code, path, moved.error);
  }
  return failed(EEXIST, path, "no free name in the trash");
}

}  // namespace foundation
