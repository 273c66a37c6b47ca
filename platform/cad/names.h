#pragma once
// Names that many objects repeat (an entity's layer, a text's style), each kept once in a pool and shared by
// pointer: a drawing of 300,000 entities on 40 layers holds 40 layer names, not 300,000.

#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_set>

namespace cad {

class NamePool;

// A pooled name; copies share the text. Assigning text pools it in the shared pool.
class Name {
 public:
  Name();                          // empty
  Name(const wchar_t* text);       // NOLINT: reads as the text it holds
  Name(const std::wstring& text);  // NOLINT
  Name& operator=(const std::wstring& text) { return *this = Name(text); }
  Name& operator=(const wchar_t* text) { return *this = Name(text); }

  const std::wstring& str() const { return *text_; }
  const wchar_t* c_str() const { return text_->c_str(); }
  bool empty() const { return text_->empty(); }
  std::size_t size() const { return text_->size(); }
  operator const std::wstring&() const { return *text_; }  // NOLINT
  operator std::wstring_view() const { return *text_; }    // NOLINT

  friend bool operator==(const Name& a, const Name& b) { return a.text_ == b.text_ || *a.text_ == *b.text_; }
  friend bool operator==(const Name& a, const std::wstring& b) { return *a.text_ == b; }
  friend bool operator==(const Name& a, const wchar_t* b) { return *a.text_ == b; }

 private:
  friend class NamePool;
  explicit Name(const std::wstring* text) : text_(text) {}
  const std::wstring* text_;
};

// Its names live as long as it does. Not safe for use from several threads at once, except the shared pool.
class NamePool {
 public:
  NamePool() = default;
  NamePool(const NamePool&) = delete;
  NamePool& operator=(const NamePool&) = delete;

  Name intern(std::wstring_view text);
  std::size_t size() const { return names_.size(); }
  // For names given through the object model's own calls (never a file's): lives until the process ends,
  // behind a lock.
  static Name internShared(std::wstring_view text);

 private:
  struct Hash {
    using is_transparent = void;
    std::size_t operator()(std::wstring_view text) const { return std::hash<std::wstring_view>{}(text); }
  };
  std::unordered_set<std::wstring, Hash, std::equal_to<>> names_;
};

}  // namespace cad
