#pragma once
// Text typed at a document's command line, waiting to be read: by the command loop (a word is a command
// name) or by a prompt (a word is its answer). ESC cancels, a blank or a line end enters what was typed
// before it. A word not yet entered stays pending until more text arrives, as on a keyboard.

#include <optional>
#include <string>
#include <vector>

namespace cad {

struct TypedToken {
  enum Kind { kCancel, kEnter, kWord };
  Kind kind = kEnter;
  std::wstring text;  // the word, for kWord
  bool echo = false;  // typed with echo on: the command line shows it
  friend bool operator==(const TypedToken&, const TypedToken&) = default;
};

class TypedInput {
 public:
  void append(const std::wstring& text, bool echo);
  // The next complete token; nullopt when nothing is pending or only an unfinished word is.
  std::optional<TypedToken> next();
  bool empty() const { return text_.empty(); }
  const std::wstring& pending() const { return text_; }
  void clear();

 private:
  void consume(std::size_t count);
  std::wstring text_;
  std::vector<bool> echo_;  // per character of text_
};

}  // namespace cad
