#include "cad/typed_input.h"

namespace cad {

namespace {
constexpr wchar_t kEscape = L'\x1b';
bool isEnterKey(wchar_t c) { return c == L' ' || c == L'\n' || c == L'\r' || c == L'\t'; }
}  // namespace

void TypedInput::append(const std::wstring& text, bool echo) {
  text_ += text;
  echo_.insert(echo_.end(), text.size(), echo);
}

void TypedInput::clear() {
  text_.clear();
  echo_.clear();
}

void TypedInput::consume(std::size_t count) {
  text_.erase(0, count);
  echo_.erase(echo_.begin(), echo_.begin() + static_cast<std::ptrdiff_t>(count));
}

std::optional<TypedToken> TypedInput::next() {
  if (text_.empty()) return std::nullopt;
  const bool echo = echo_.front();
  const wchar_t first = text_.front();
  if (first == kEscape) {
    consume(1);
    return TypedToken{TypedToken::kCancel, {}, echo};
  }
  if (isEnterKey(first)) {
    // A CR LF pair is one line end.
    consume(first == L'\r' && text_.size() > 1 && text_[1] == L'\n' ? 2 : 1);
    return TypedToken{TypedToken::kEnter, {}, echo};
  }
  std::size_t end = 0;
  while (end < text_.size() && text_[end] != kEscape && !isEnterKey(text_[end])) ++end;
  if (end == text_.size()) return std::nullopt;  // still being typed
  if (text_[end] == kEscape) {
    // ESC throws away the half-typed word and cancels.
    consume(end + 1);
    return TypedToken{TypedToken::kCancel, {}, echo};
  }
  TypedToken word{TypedToken::kWord, text_.substr(0, end), echo};
  const bool crlf = text_[end] == L'\r' && end + 1 < text_.size() && text_[end + 1] == L'\n';
  consume(end + (crlf ? 2 : 1));
  return word;
}

}  // namespace cad
