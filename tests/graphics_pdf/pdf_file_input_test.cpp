// The PDF layer's own file source must answer qpdf exactly as qpdf's stdio source does, or parsing goes astray
// in ways no PDF-level test would pin down; so both read one file through the same steps and must agree.
#include "graphics/pdf_file_input.h"

#include <qpdf/FileInputSource.hh>
#include <qpdf/QPDFExc.hh>
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "pdf_fixture.h"
#include "temp_folder.h"

namespace {

// Three blocks and a bit of lines of every ending, with runs of end-of-line characters that straddle the
// sizes both sources read in.
std::string sampleBytes() {
  std::string bytes;
  const char* endings[] = {"\n", "\r\n", "\r", "\r\r\n\n", "\n\r"};
  for (int i = 0; bytes.size() < 3 * 64 * 1024 + 777; ++i) {
    bytes += "line " + std::to_string(i) + std::string(static_cast<std::size_t>(i % 37), 'x');
    bytes += endings[i % 5];
  }
  bytes.insert(1023, "\r\n\r\n");  // across the first kilobyte's end
  bytes += "no ending at the end";
  return bytes;
}

using Step = std::function<std::string(InputSource&)>;

std::string readSome(InputSource& in, std::size_t n) {
  std::string out(n, '\0');
  out.resize(in.read(out.data(), n));
  return out + "|" + std::to_string(in.getLastOffset()) + "|" + std::to_string(in.tell());
}

std::string eol(InputSource& in) {
  const qpdf_offset_t found = in.findAndSkipNextEOL();
  return std::to_string(found) + "|" + std::to_string(in.tell());
}

TEST(PdfFileInput, AnswersEveryStepAsQpdfsOwnFileSourceDoes) {
  TempFolder dir("quodl-pdf-input");
  const std::string path = dir / "lines.bin";
  const std::string bytes = sampleBytes();
  pdf_test::writeFile(path, bytes);
  const qpdf_offset_t size = static_cast<qpdf_offset_t>(bytes.size());

  const std::vector<std::pair<const char*, std::vector<Step>>> cases = {
      {"small reads across the buffer's blocks",
       {[](InputSource& in) { return readSome(in, 100); },
        [](InputSource& in) { in.seek(64 * 1024 - 10, SEEK_SET); return readSome(in, 30); },
        [](InputSource& in) { return readSome(in, 1); }}},
      {"one read larger than a block, then a small one",
       {[](InputSource& in) { in.seek(5, SEEK_SET); return readSome(in, 150000); },
        [](InputSource& in) { return readSome(in, 10); }}},
      {"relative and end-relative seeks",
       {[](InputSource& in) { in.seek(-20, SEEK_END); return readSome(in, 8); },
        [](InputSource& in) { in.seek(-100, SEEK_CUR); return readSome(in, 8); },
        [](InputSource& in) { in.rewind(); return readSome(in, 4); }}},
      {"reading at and past the end",
       {[size](InputSource& in) { in.seek(size - 3, SEEK_SET); return readSome(in, 10); },
        [](InputSource& in) { return readSome(in, 10); },
        [size](InputSource& in) { in.seek(size + 50, SEEK_SET); return readSome(in, 1); }}},
      {"end-of-line runs, across the kilobyte and at the end",
       {[](InputSource& in) { return eol(in); },
        [](InputSource& in) { in.seek(1015, SEEK_SET); return eol(in); },
        [](InputSource& in) { return readSome(in, 3); },
        [size](InputSource& in) { in.seek(size - 10, SEEK_SET); return eol(in); }}},
      {"a character put back",
       {[](InputSource& in) {
          char c = 0;
          in.read(&c, 1);
          in.read(&c, 1);
          in.unreadCh(c);
          return readSome(in, 5);
        }}},
  };
  for (const auto& [name, steps] : cases) {
    FileInputSource reference(path.c_str());
    graphics::PdfFileInput input(path);
    for (std::size_t i = 0; i < steps.size(); ++i) {
      EXPECT_EQ(steps[i](input), steps[i](reference)) << name << ", step " << i + 1;
    }
  }
}

TEST(PdfFileInput, ReadsOnlyWhatIsThereNowWhenNotKeptOpen) {
  TempFolder dir("quodl-pdf-input");
  const std::string path = dir / "file.bin";
  pdf_test::writeFile(path, "first version");
  graphics::PdfFileInput input(path);
  char buffer[5] = {};
  ASSERT_EQ(input.read(buffer, 5), 5u);
  pdf_test::writeFile(path, "other contents");
  input.rewind();
  ASSERT_EQ(input.read(buffer, 5), 5u);
  EXPECT_EQ(std::string(buffer, 5), "other");
}

TEST(PdfFileInput, RefusesAMissingFileAndASeekBeforeTheStart) {
  TempFolder dir("quodl-pdf-input");
  graphics::PdfFileInput missing(dir / "missing.pdf");
  char c = 0;
  EXPECT_THROW(missing.read(&c, 1), std::exception);

  const std::string path = dir / "file.bin";
  pdf_test::writeFile(path, "abc");
  graphics::PdfFileInput input(path);
  EXPECT_THROW(input.seek(-4, SEEK_END), std::exception);
  EXPECT_THROW(input.seek(-1, SEEK_SET), std::exception);
  EXPECT_EQ(input.tell(), 0);
}

}  // namespace
