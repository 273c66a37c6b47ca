#include "cad/document.h"

namespace cad {

Document::Document(std::wstring fileName, std::unique_ptr<Database> database, bool readOnly)
    : fileName_(std::move(fileName)), database_(std::move(database)), readOnly_(readOnly) {}

Document::~Document() = default;

}  // namespace cad
