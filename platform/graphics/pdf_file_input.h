#pragma once
// A PDF file as qpdf reads it, positioned in memory and read with pread through one block buffer. qpdf asks
// for the position and moves it around every few bytes while it parses; a stdio-backed source pays a system
// call for each of those, which made opening a small PDF cost more than drawing it. Private to this library.

#include <qpdf/InputSource.hh>

#include <cstddef>
#include <string>
#include <vector>

namespace graphics {

class PdfFileInput final : public InputSource {
 public:
  explicit PdfFileInput(std::string path);
  ~PdfFileInput() override;
  PdfFileInput(const PdfFileInput&) = delete;
  PdfFileInput& operator=(const PdfFileInput&) = delete;

  // While true the file stays open between reads; otherwise it is open only for the moment of each read, so
  // that any number of documents can wait for one write without holding a descriptor each. What was buffered
  // is dropped with the descriptor, so a later read never sees bytes older than its own.
  void stayOpen(bool open);

  qpdf_offset_t findAndSkipNextEOL() override;
  const std::string& getName() const override;
  qpdf_offset_t tell() override;
  void seek(qpdf_offset_t offset, int whence) override;
  void rewind() override;
  std::size_t read(char* buffer, std::size_t length) override;
  void unreadCh(char ch) override;

 private:
  void open();
  void closeUnlessKept();
  // Reads up to `length` bytes at `offset` into `out` through the buffer; throws on an I/O error.
  std::size_t readAt(qpdf_offset_t offset, char* out, std::size_t length);

  std::string path_;
  int fd_ = -1;
  bool stayOpen_ = false;
  qpdf_offset_t size_ = 0;      // of the file while it is open
  qpdf_offset_t position_ = 0;
  std::vector<char> block_;
  qpdf_offset_t blockStart_ = 0;
  std::size_t blockLength_ = 0;
};

}  // namespace graphics
