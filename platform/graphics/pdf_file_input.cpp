#include "pdf_file_input.h"

#include <qpdf/QPDFExc.hh>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <utility>

namespace graphics {

namespace {

constexpr std::size_t kBlock = 64 * 1024;

}  // namespace

PdfFileInput::PdfFileInput(std::string path) : path_(std::move(path)) {}

PdfFileInput::~PdfFileInput() {
  if (fd_ >= 0) ::close(fd_);
}

void PdfFileInput::stayOpen(bool open) {
  stayOpen_ = open;
  closeUnlessKept();
}

void PdfFileInput::open() {
  if (fd_ >= 0) return;
  const int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw std::runtime_error("open " + path_ + ": " + std::strerror(errno));
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    const int error = errno;
    ::close(fd);
    throw std::runtime_error("stat " + path_ + ": " + std::strerror(error));
  }
  fd_ = fd;
  size_ = st.st_size;
}

void PdfFileInput::closeUnlessKept() {
  if (stayOpen_ || fd_ < 0) return;
  ::close(fd_);
  fd_ = -1;
  blockLength_ = 0;
}

std::size_t PdfFileInput::readAt(qpdf_offset_t offset, char* out, std::size_t length) {
  std::size_t done = 0;
  while (done < length) {
    const qpdf_offset_t at = offset + static_cast<qpdf_offset_t>(done);
    if (at >= blockStart_ && at < blockStart_ + static_cast<qpdf_offset_t>(blockLength_)) {
      const std::size_t from = static_cast<std::size_t>(at - blockStart_);
      const std::size_t n = std::min(length - done, blockLength_ - from);
      std::memcpy(out + done, block_.data() + from, n);
      done += n;
      continue;
    }
    // Large reads (stream data) go straight to the caller; small ones fill the block around them.
    const bool direct = length - done >= kBlock;
    char* target = direct ? out + done : nullptr;
    if (!direct) {
      block_.resize(kBlock);
      target = block_.data();
    }
    ssize_t got;
    do {
      got = ::pread(fd_, target, direct ? length - done : kBlock, at);
    } while (got < 0 && errno == EINTR);
    if (got < 0) {
      throw QPDFExc(qpdf_e_system, path_, "", at, "read " + std::to_string(length) + " bytes");
    }
    if (got == 0) break;
    if (direct) {
      done += static_cast<std::size_t>(got);
    } else {
      blockStart_ = at;
      blockLength_ = static_cast<std::size_t>(got);
    }
  }
  return done;
}

std::size_t PdfFileInput::read(char* buffer, std::size_t length) {
  last_offset = position_;
  open();
  std::size_t got = 0;
  try {
    got = readAt(position_, buffer, length);
  } catch (...) {
    closeUnlessKept();
    throw;
  }
  if (got == 0 && length > 0) {
    // As at the end of a stdio file: the position goes to the end, and so does the offset of this read.
    position_ = size_;
    last_offset = position_;
  } else {
    position_ += static_cast<qpdf_offset_t>(got);
  }
  closeUnlessKept();
  return got;
}

qpdf_offset_t PdfFileInput::findAndSkipNextEOL() {
  // One descriptor and one buffer for the whole scan, which reads a byte at a time past the line's end.
  struct HoldOpen {
    PdfFileInput& input;
    bool kept;
    ~HoldOpen() { input.stayOpen(kept); }
  } hold{*this, stayOpen_};
  stayOpen_ = true;
  char buffer[1024];
  for (;;) {
    const qpdf_offset_t start = position_;
    const std::size_t n = read(buffer, sizeof buffer);
    if (n == 0) return tell();
    const char* end = buffer + n;
    const char* eol = std::find_if(static_cast<const char*>(buffer), end, [](char c) { return c == '\r' || c == '\n'; });
    if (eol == end) continue;
    const qpdf_offset_t result = start + (eol - buffer);
    // Past every end-of-line character that follows, even across this buffer's end.
    position_ = result + 1;
    char c;
    while (read(&c, 1) == 1) {
      if (c != '\r' && c != '\n') {
        unreadCh(c);
        break;
      }
    }
    return result;
  }
}

const std::string& PdfFileInput::getName() const {
  return path_;
}

qpdf_offset_t PdfFileInput::tell() {
  return position_;
}

void PdfFileInput::seek(qpdf_offset_t offset, int whence) {
  qpdf_offset_t base = 0;
  if (whence == SEEK_CUR) {
    base = position_;
  } else if (whence == SEEK_END) {
    open();
    base = size_;
    closeUnlessKept();
  } else if (whence != SEEK_SET) {
    throw std::logic_error("seek in " + path_ + ": unknown origin");
  }
  if (offset < 0 && base < -offset) {
    throw std::runtime_error("seek to " + path_ + ", offset " + std::to_string(offset) + ": before the start");
  }
  position_ = base + offset;
}

void PdfFileInput::rewind() {
  position_ = 0;
}

void PdfFileInput::unreadCh(char) {
  if (position_ > 0) --position_;
}

}  // namespace graphics
