#pragma once
// An open drawing: its file, its database, whether it was opened read-only, the input typed at its command
// line and what its window shows. Documents are made and destroyed only by the document manager; a closed
// document is gone for good and its address is never handed out again.

#include <memory>
#include <string>

#include "cad/database.h"
#include "cad/typed_input.h"
#include "cad/view.h"

namespace cad {

class Document {
 public:
  ~Document();
  Document(const Document&) = delete;
  Document& operator=(const Document&) = delete;

  // The full path of the drawing, or a bare name ("Drawing1.dwg") for one never saved.
  const wchar_t* fileName() const { return fileName_.c_str(); }
  Database* database() const { return database_.get(); }
  bool isReadOnly() const { return readOnly_; }

  // Host side
  TypedInput& input() { return input_; }
  DocumentView& view() { return view_; }
  const DocumentView& view() const { return view_; }

 private:
  friend class DocManager;
  Document(std::wstring fileName, std::unique_ptr<Database> database, bool readOnly);
  std::wstring fileName_;
  std::unique_ptr<Database> database_;
  bool readOnly_;
  TypedInput input_;
  DocumentView view_;
};

}  // namespace cad
