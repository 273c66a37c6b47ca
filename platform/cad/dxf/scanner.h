#pragma once
// The group-code/value pairs of ASCII DXF text, each with the line of its code for error messages, and the
// typed reading of values. Internal to the DXF reader.

#include <climits>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace cad::dxf {

// What the format puts under a group code. The scanner refuses a pair whose value is not of its code's kind.
enum class ValueKind {
  kText,
  kName,     // a record type or a table entry's name: no control characters
  kHandle,   // hexadecimal digits, or nothing
  kReal,     // a finite number
  kInteger,  // a whole number (written as "7" or "7.0")
};
ValueKind valueKind(int code);

struct Group {
  int code = -1;
  ValueKind kind = ValueKind::kText;  // its code's, once the pair is scanned and its value checked
  std::string_view value;             // the value line without its line ending
  std::size_t line = 0;               // 1-based line of the group code; the value is on the next line
  // A numeric code's value, read once as the pair is scanned.
  double real = 0;
  long long integer = 0;
};

// The text without the blanks and line ends around it.
inline std::string_view trim(std::string_view text) {
  const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; };
  if (text.empty() || (!isSpace(text.front()) && !isSpace(text.back()))) return text;
  while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
  return text;
}
// Whole-text conversions ("1.5", "-2e3", "+4", " 7 "); false for anything else, and for reals that are not
// finite ("nan", "inf", "1e999").
bool parseReal(std::string_view text, double& out);
bool parseInteger(std::string_view text, long long& out);
// ASCII case-insensitive, for section, table and entity names. Asked many times for every record, mostly of
// words of another length: inline.
inline bool sameWord(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
    if (upper(a[i]) != upper(b[i])) return false;
  }
  return true;
}

class Scanner {
 public:
  explicit Scanner(std::string_view text);
  // The next pair; false at the end of the text or once an error is recorded.
  bool next(Group& group) {
    if (pushed_) {
      group = *pushed_;
      pushed_.reset();
      return true;
    }
    do {
      if (!nextPair(group)) return false;
    } while (group.code == 999);  // comments
    return true;
  }
  // The next call of next() gives this group again.
  void pushBack(const Group& group) { pushed_ = group; }
  // Records an error naming a line; the first one wins and ends the scan.
  void fail(std::size_t line, const std::string& message);
  bool failed() const { return !error_.empty(); }
  const std::string& error() const { return error_; }
  std::size_t linesRead() const { return line_; }
  std::size_t position() const { return pos_; }  // bytes of the text scanned
  // Handles that were not hexadecimal ("None", as some writers put for no owner): each was read as no handle.
  std::size_t unreadableHandles() const { return unreadableHandles_; }
  const Group& firstUnreadableHandle() const { return firstUnreadableHandle_; }

  // Typed values; a bad one records an error naming its line and gives 0. Values of their codes' own kind
  // were read as they were scanned.
  double real(const Group& group) { return group.kind == ValueKind::kReal ? group.real : realOfOtherCode(group); }
  int integer(const Group& group) {
    if (group.kind == ValueKind::kInteger && group.integer >= INT_MIN && group.integer <= INT_MAX) {
      return static_cast<int>(group.integer);
    }
    return integerOfOtherCode(group);
  }

 private:
  bool readLine(std::string_view& line);
  bool nextPair(Group& group);
  // What nextPair leaves to the general reading of lines (codes written unusually, damaged text); kept apart so
  // that the usual pair is read without its weight.
  bool nextPairInAnyForm(Group& group);
  bool checkValue(Group& group);
  bool refuseValue(const Group& group);  // records why the value is refused; false
  double realOfOtherCode(const Group& group);
  int integerOfOtherCode(const Group& group);
  std::string_view text_;
  std::size_t pos_ = 0;
  std::size_t line_ = 0;
  char separator_ = '\n';
  std::optional<Group> pushed_;
  std::string error_;
  std::size_t unreadableHandles_ = 0;
  Group firstUnreadableHandle_;
};

// File text for a message, printable and short: a long text shows its start and its length.
std::string excerpt(std::string_view text);
std::string quoted(std::string_view text);  // the same in quotation marks
// A decoded name as the command line shows it ("A1图框"), in quotation marks and short.
std::string quoted(const std::wstring& name);

}  // namespace cad::dxf
