#include "cad/dxf_reader.h"

#include <algorithm>
#include <cerrno>
#include <new>

#include "foundation/files.h"
#include "foundation/text.h"
#include "loader.h"

namespace cad {
namespace {

constexpr std::string_view kDwgRefusal = "binary DWG files are not supported; save the drawing as DXF";

// The encoding of text in UTF-16 or UTF-32, by its byte order mark or, without one, by the zero bytes ASCII
// characters get; empty for neither.
std::string wideEncoding(std::string_view text) {
  const auto starts = [&](std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; };
  if (starts(std::string_view("\xFF\xFE\0\0", 4))) return "UTF-32 (little-endian)";
  if (starts(std::string_view("\0\0\xFE\xFF", 4))) return "UTF-32 (big-endian)";
  if (starts("\xFF\xFE")) return "UTF-16 (little-endian)";
  if (starts("\xFE\xFF")) return "UTF-16 (big-endian)";
  // A DXF file opens with a group code: a digit or a blank, which the wide encodings pad with zero bytes.
  if (text.size() >= 8) {
    const auto zero = [&](std::size_t i) { return text[i] == '\0'; };
    if (!zero(0) && zero(1) && zero(2) && zero(3) && !zero(4)) return "UTF-32 (little-endian)";
    if (zero(0) && zero(1) && zero(2) && !zero(3)) return "UTF-32 (big-endian)";
    if (!zero(0) && zero(1) && !zero(2) && zero(3)) return "UTF-16 (little-endian)";
    if (zero(0) && !zero(1) && zero(2) && !zero(3)) return "UTF-16 (big-endian)";
  }
  return {};
}

// The compression format of a compressed file, by its magic number; empty for none.
std::string compression(std::string_view text) {
  const auto starts = [&](std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; };
  if (starts("\x1F\x8B")) return "gzip";
  if (starts("BZh") && text.size() > 3 && text[3] >= '1' && text[3] <= '9') return "bzip2";
  if (starts(std::string_view("\xFD" "7zXZ\0", 6))) return "xz";
  if (starts("\x28\xB5\x2F\xFD")) return "zstd";
  if (starts("PK\x03\x04")) return "zip";
  return {};
}

// What is plainly not ASCII DXF, told apart before any line is read.
std::string refusal(std::string_view text) {
  if (const std::string packed = compression(text); !packed.empty()) {
    return "the file is " + packed + "-compressed; decompress it and open the DXF file inside";
  }
  if (const std::string encoding = wideEncoding(text); !encoding.empty()) {
    return "the file is encoded in " + encoding + "; save the drawing as DXF in UTF-8 or its code page";
  }
  if (dxf::trim(text).empty()) return "the file is empty";
  // DWG files open with their version: AC1012 … AC1032, or AC1.50 / AC2.10 for the oldest.
  if (text.size() >= 6 && text.substr(0, 2) == "AC") {
    bool version = true;
    for (char c : text.substr(2, 4)) version = version && ((c >= '0' && c <= '9') || c == '.');
    if (version) return std::string(kDwgRefusal);
  }
  // Binary DXF opens with a 22-byte sentinel: the writer's 7-character name, " Binary DXF", CR LF, SUB, NUL.
  if (text.size() >= 22 && text.substr(7, 15) == std::string_view(" Binary DXF\r\n\x1a\0", 15)) {
    return "binary DXF files are not supported; save the drawing as ASCII DXF";
  }
  return {};
}

// Why a drawing file could not be read, from the errno of its opening or reading.
std::string openFailure(const std::string& path, int code) {
  switch (code) {
    case ENOENT:
      return foundation::isSymbolicLink(path) ? "dangling symbolic link (what it points to does not exist)"
                                              : "no such file";
    case ENOTDIR: return "no such file (a part of the path is not a folder)";
    case EACCES:
    case EPERM: return "permission denied";
    case EISDIR: return "is a directory";
    case EINVAL:  // a pipe, device or socket, refused by readFile once opened
    case ENXIO:   // a socket, refused by open
    case ENODEV: return "not a regular file";
    case ELOOP: return "symbolic-link loop (too many levels of symbolic links)";
    case ENAMETOOLONG: return "the name is too long";
    case EFBIG: return "the file is larger than 1 GB";
    default: break;
  }
  return foundation::errorText(code);
}

constexpr std::size_t kMaxDrawingBytes = std::size_t{1} << 30;
constexpr const char* kNoMemory = "there is not enough memory to read the drawing";
// Drawings hold about one object for every 160 bytes of DXF text; tables are sized for that at once.
constexpr std::size_t kBytesPerObject = 160;

// The text of `bytes` when given: the loader gives them back once it has read them.
DxfReadResult readDxf(std::string_view text, foundation::FileBytes* bytes) {
  DxfReadResult result;
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  result.error = refusal(text);
  if (!result.error.empty()) return result;
  try {
    dxf::Loader loader(text, bytes);
    if (!loader.run()) {
      result.error = loader.error().empty() ? "the drawing could not be read" : loader.error();
      return result;
    }
    result.database = loader.takeDatabase();
    result.warnings = loader.warnings();
  } catch (const std::bad_alloc&) {
    result = DxfReadResult{};
    result.error = kNoMemory;
  }
  return result;
}

}  // namespace

DxfReadResult readDxfText(std::string_view text) { return readDxf(text, nullptr); }

DxfReadResult readDxfFile(const std::string& path) {
  DxfReadResult result;
  foundation::BytesResult read;
  try {
    read = foundation::readFileBytes(path, kMaxDrawingBytes);
  } catch (const std::bad_alloc&) {
    result.error = kNoMemory;
    return result;
  }
  if (!read) {
    result.error = openFailure(path, read.code);
    return result;
  }
  result = readDxf(read.bytes.view(), &read.bytes);
  if (read.bytes.cutShort()) {
    // What was read past the file's new end was zeros, not the drawing.
    result = DxfReadResult{};
    result.error = "the drawing file changed while it was read; open it again";
    return result;
  }
  if (result.database) result.database->filename = foundation::wideFromUtf8Lossy(path);
  return result;
}

namespace dxf {

std::string normalisedHandle(std::string_view handle) {
  handle = trim(handle);
  while (!handle.empty() && handle.front() == '0') handle.remove_prefix(1);
  std::string out(handle);
  for (char& c : out) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
  return out;
}

std::wstring canonicalBlockName(std::wstring name) {
  // R12 names its two spaces $MODEL_SPACE and $PAPER_SPACE; later versions *Model_Space, *Paper_Space,
  // *Paper_Space0, … in any case.
  if (namesEqual(name, L"*Model_Space") || namesEqual(name, L"$Model_Space")) return L"*Model_Space";
  if (namesEqual(name, L"$Paper_Space")) return L"*Paper_Space";
  constexpr std::wstring_view kPaper = L"*Paper_Space";
  if (name.size() >= kPaper.size() && namesEqual(std::wstring_view(name).substr(0, kPaper.size()), kPaper) &&
      name.find_first_not_of(L"0123456789", kPaper.size()) == std::wstring::npos) {
    return std::wstring(kPaper) + name.substr(kPaper.size());
  }
  return name;
}

Loader::Loader(std::string_view text, foundation::FileBytes* bytes)
    : text_(text), bytes_(bytes), scanner_(text), db_(Database::createEmpty()), arenaScope_(db_->arena()) {
  db_->reserve(text.size() / kBytesPerObject + 64);
  decoder_.poolNamesIn(db_->names());
}

bool Loader::run() {
  Group g;
  bool ended = false;
  while (scanner_.next(g)) {
    const std::string_view word = trim(g.value);
    if (g.code != 0) {
      scanner_.fail(g.line, "expected a SECTION, found group code " + std::to_string(g.code));
      break;
    }
    if (sameWord(word, "EOF")) {
      ended = true;
      break;
    }
    if (!sameWord(word, "SECTION")) {
      scanner_.fail(g.line, "expected a SECTION, found " + quoted(word));
      break;
    }
    Group name;
    if (!scanner_.next(name)) {
      if (!scanner_.failed()) scanner_.fail(scanner_.linesRead(), "the file ends after SECTION");
      break;
    }
    if (name.code != 2) {
      scanner_.fail(name.line, "expected the section's name (group code 2) after SECTION");
      break;
    }
    if (!readSection(trim(name.value), g.line)) break;
  }
  if (scanner_.failed()) return false;
  if (!ended && !acceptMissingEof()) return false;
  if (const std::size_t dropped = scanner_.unreadableHandles(); dropped > 0) {
    const Group& first = scanner_.firstUnreadableHandle();
    const std::string which = quoted(first.value) + ", group code " + std::to_string(first.code);
    warn(first.line + 1, dropped == 1 ? "a handle is not hexadecimal (" + which + "); it was read as none"
                                      : std::to_string(dropped) + " handles are not hexadecimal (the first, " + which +
                                            "); they were read as none");
  }
  releaseText();
  if (!finish()) return false;
  if (warningsLeftOut_ > 0) {
    warnings_.push_back("… and " + std::to_string(warningsLeftOut_) + " more warning" +
                        (warningsLeftOut_ == 1 ? "" : "s"));
  }
  return true;
}

bool Loader::readSection(std::string_view name, std::size_t line) {
  lastSection_ = excerpt(name);
  bool own = false;
  for (const char* section : {"HEADER", "CLASSES", "TABLES", "BLOCKS", "ENTITIES", "OBJECTS", "THUMBNAILIMAGE",
                              "ACDSDATA"}) {
    if (!own && sameWord(name, section)) {
      sectionsRead_.emplace_back(section);
      own = true;
    }
  }
  if (sameWord(name, "HEADER")) return readHeader();
  if (sameWord(name, "TABLES")) return readTables();
  if (sameWord(name, "BLOCKS")) return readBlocks();
  if (sameWord(name, "ENTITIES")) return readEntitiesSection();
  if (sameWord(name, "OBJECTS")) return readObjects();
  // A misspelt ENTITIES would otherwise drop a whole drawing without a word.
  if (!own) warn(line, "section " + quoted(name) + " is not a DXF section; it was skipped");
  return skipSection(name);
}

// A file that stops after a section without EOF was cut short or written carelessly. It is read only when the
// sections its drawing needs are all there: the entities, and from R13 on the objects that hold its layouts.
bool Loader::acceptMissingEof() {
  const std::size_t line = scanner_.linesRead();
  if (lastSection_.empty()) {
    scanner_.fail(line, "the file ends without any section and without EOF");
    return false;
  }
  const auto read = [&](const char* section) {
    return std::find(sectionsRead_.begin(), sectionsRead_.end(), section) != sectionsRead_.end();
  };
  std::string_view version;
  for (const auto& [variable, value] : header_) {
    if (variable == "$ACADVER") version = trim(value);
  }
  long long number = 0;
  const bool fromR13 = blockRecordsRead_ || (version.size() > 2 && sameWord(version.substr(0, 2), "AC") &&
                                             parseInteger(version.substr(2), number) && number >= 1012);
  std::string missing;
  for (const char* needed : {"ENTITIES", "OBJECTS"}) {
    if (read(needed) || (std::string_view(needed) == "OBJECTS" && !fromR13)) continue;
    missing += missing.empty() ? needed : std::string(" and ") + needed;
  }
  if (!missing.empty()) {
    scanner_.fail(line, "the file ends after the " + lastSection_ + " section, without its " + missing +
                            (missing.find(' ') == std::string::npos ? " section" : " sections") +
                            " and without EOF: the drawing is cut short");
    return false;
  }
  warn(line, "the file ends after the " + lastSection_ + " section without EOF");
  return true;
}

void Loader::releaseText() {
  layerCache_.clear();
  decoder_.forgetNames();
  record_ = Record{};
  follower_ = Record{};
  fields_.clear();
  followerFields_.clear();
  text_ = {};
  if (bytes_ != nullptr) bytes_->release();
}

void Loader::warn(std::size_t line, const std::string& message) {
  constexpr std::size_t kMaxWarnings = 20;
  if (warnings_.size() >= kMaxWarnings) {
    ++warningsLeftOut_;
    return;
  }
  warnings_.push_back("line " + std::to_string(line) + ": " + message);
}

void Loader::failUnterminated(std::string_view what, std::string_view expected) {
  if (scanner_.failed()) return;
  scanner_.fail(scanner_.linesRead(), "the file ends inside " + std::string(what) + " (no " + std::string(expected) + ")");
}

bool Loader::skipSection(std::string_view name) {
  Group g;
  while (scanner_.next(g)) {
    if (g.code == 0 && sameWord(trim(g.value), "ENDSEC")) return true;
  }
  failUnterminated("the " + excerpt(name) + " section", "ENDSEC");
  return false;
}

void Loader::collect(Record& record, const Group& typeGroup) {
  record.type = trim(typeGroup.value);
  record.line = typeGroup.line;
  record.groups.clear();
  // Each pair is scanned straight into its place.
  for (;;) {
    Group& g = record.groups.emplace_back();
    if (!scanner_.next(g)) break;
    if (g.code == 0) {
      scanner_.pushBack(g);
      break;
    }
  }
  record.groups.pop_back();
}

bool Loader::readHeader() {
  Group g;
  bool closed = false;
  while (scanner_.next(g)) {
    if (g.code == 0) {
      if ((closed = sameWord(trim(g.value), "ENDSEC"))) break;
      scanner_.fail(g.line, "expected ENDSEC to close the HEADER section, found " + quoted(trim(g.value)));
      return false;
    }
    if (g.code == 9) {
      header_.emplace_back(std::string(trim(g.value)), std::string());
    } else if (!header_.empty()) {
      std::string& value = header_.back().second;
      if (!value.empty()) value += ',';
      value += trim(g.value);
    }
  }
  if (!closed) {
    failUnterminated("the HEADER section", "ENDSEC");
    return false;
  }
  std::string_view version, codePage;
  for (const auto& [name, value] : header_) {
    if (name == "$ACADVER") version = value;
    if (name == "$DWGCODEPAGE") codePage = value;
  }
  decoder_.configure(version, codePage);
  for (const auto& [name, value] : header_) db_->headerVariables[decoder_.decode(name)] = decoder_.decode(value);
  return true;
}

bool Loader::readEntitiesSection() {
  entitiesSection_.reserve(text_.size() / kBytesPerObject);
  Group terminator;
  if (!readEntityList({}, terminator)) return false;
  if (terminator.code == 0 && sameWord(trim(terminator.value), "ENDSEC")) return true;
  if (terminator.code == 0) {
    scanner_.fail(terminator.line, "the ENTITIES section has no ENDSEC before " + quoted(trim(terminator.value)));
  } else {
    failUnterminated("the ENTITIES section", "ENDSEC");
  }
  return false;
}

bool handleValue(std::string_view handle, std::uint64_t& value) {
  handle = trim(handle);
  while (!handle.empty() && handle.front() == '0') handle.remove_prefix(1);
  if (handle.empty() || handle.size() > 15) return false;
  value = 0;
  for (char c : handle) {
    int digit;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    else return false;
    value = value * 16 + static_cast<std::uint64_t>(digit);
  }
  return true;
}

std::uint64_t handleNumber(std::string_view handle) {
  std::uint64_t value = 0;
  return handleValue(handle, value) ? value : 0;
}

ObjectId Loader::idOfHandle(std::string_view handle) const {
  return db_->objectIdFromHandle(handleNumber(handle), /*fromFileOnly=*/true);
}

bool Loader::finish() {
  // A drawing always has the two layout blocks and layer "0", whatever the file left out.
  for (const wchar_t* name : {L"*Model_Space", L"*Paper_Space"}) {
    if (blockRecordNamed(name).isNull()) createBlockRecord(name, {});
  }
  Name canonical;
  layerFor("0", canonical);
  if (!bindLayouts()) return false;
  placeEntitiesSection();
  resolveReferences();
  resolveDimensions();
  if (!checkExpansion()) return false;
  numberViewports();

  // TILEMODE 0 means a paper layout is current: the one that owns *Paper_Space.
  auto* model = BlockTableRecord::cast(db_->objectAt(blockRecordNamed(L"*Model_Space")));
  auto* paper = BlockTableRecord::cast(db_->objectAt(blockRecordNamed(L"*Paper_Space")));
  auto tile = db_->headerVariables.find(L"$TILEMODE");
  const bool paperCurrent = tile != db_->headerVariables.end() && tile->second == L"0";
  db_->setCurrentLayoutId(paperCurrent && paper != nullptr ? paper->getLayoutId() : model->getLayoutId());
  db_->noteGeometryChanged();
  return !scanner_.failed();
}

void Loader::numberViewports() {
  if (viewports_.empty()) return;
  // Each layout's viewports as they were placed, which is their stored order.
  std::stable_sort(viewports_.begin(), viewports_.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<Viewport*> ofLayout;
  for (auto first = viewports_.begin(); first != viewports_.end();) {
    auto last = std::find_if(first, viewports_.end(), [&](const auto& v) { return v.first != first->first; });
    auto* record = static_cast<BlockTableRecord*>(db_->objectAt(first->first));
    if (record->isLayout()) {
      ofLayout.clear();
      for (auto v = first; v != last; ++v) ofLayout.push_back(v->second);
      numberLayoutViewports(ofLayout);
    }
    first = last;
  }
}

}  // namespace dxf
}  // namespace cad
