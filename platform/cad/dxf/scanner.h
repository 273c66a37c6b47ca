#pragma once
// The group-code/value pairs of ASCII DXF text, each with the line of its code for error messages, and the
// typed reading of values. Internal to the DXF reader.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace cad::dxf {

struct Group {
  int code = -1;
  std::string_view value;  // the value line without its line ending
  std::size_t line = 0;    // 1-based line of the group code; the value is on the next line
};

std::string_view trim(std::string_view text);
// Whole-text conversions ("1.5", "-2e3", "+4", " 7 "); false for anything else.
bool parseReal(std::string_view text, double& out);
bool parseInteger(std::string_view text, long long& out);
// ASCII case-insensitive, for section, table and entity names.
bool sameWord(std::string_view a, std::string_view b);

class Scanner {
 public:
  explicit Scanner(std::string_view text);
  // The next pair; false at the end of the text or once an error is recorded.
  bool next(Group& group);
  // The next call of next() gives this group again.
  void pushBack(const Group& group) { pushed_ = group; }
  // Records an error naming a line; the first one wins and ends the scan.
  void fail(std::size_t line, const std::string& message);
  bool failed() const { return !error_.empty(); }
  const std::string& error() const { return error_; }
  std::size_t linesRead() const { return line_; }

  // Typed values; a bad one records an error naming its line and gives 0.
  double real(const Group& group);
  int integer(const Group& group);

 private:
  bool readLine(std::string_view& line);
  bool nextPair(Group& group);
  std::string_view text_;
  std::size_t pos_ = 0;
  std::size_t line_ = 0;
  char separator_ = '\n';
  std::optional<Group> pushed_;
  std::string error_;
};

// A short, printable quotation of file text for an error message.
std::string quoted(std::string_view text);

}  // namespace cad::dxf
