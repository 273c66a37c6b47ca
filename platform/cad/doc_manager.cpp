#include "cad/doc_manager.h"

#include <sys/stat.h>

#include <algorithm>
#include <exception>
#include <filesystem>
#include <new>

#include "cad/command_line.h"
#include "cad/dxf_reader.h"
#include "foundation/paths.h"
#include "foundation/text.h"

#if defined(__SANITIZE_ADDRESS__)
#define QUODL_POISON_CLOSED_DOCUMENTS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUODL_POISON_CLOSED_DOCUMENTS 1
#endif
#endif
#ifdef QUODL_POISON_CLOSED_DOCUMENTS
#include <sanitizer/asan_interface.h>
#endif

namespace cad {

namespace {

bool gAbsent = false;

// Storage of closed documents is never given back, so no later document can have the address of a closed
// one (callers tell documents apart by address). Under AddressSanitizer it is poisoned, so a use after
// close is reported.
std::vector<void*>& graveyard() {
  static auto* storage = new std::vector<void*>;
  return *storage;
}

}  // namespace

Document* DocManager::curDocument() const { return contexts_.empty() ? active_ : contexts_.back(); }

TypedInput& DocManager::currentInput() {
  Document* doc = curDocument();
  return doc == nullptr ? bareInput_ : doc->input();
}

std::unique_ptr<DocumentIterator> DocManager::newAcApDocumentIterator() const {
  return std::unique_ptr<DocumentIterator>(new DocumentIterator(documents_));
}

std::vector<Document*> DocManager::documents() const { return documents_; }

bool DocManager::holdsFile(const std::string& path) const {
  struct stat file {};
  if (::stat(path.c_str(), &file) != 0) return false;
  return std::any_of(documents_.begin(), documents_.end(), [&file](const Document* doc) {
    struct stat open {};
    const std::string name = foundation::utf8FromWideLossy(doc->fileName());
    return !name.empty() && ::stat(name.c_str(), &open) == 0 && open.st_dev == file.st_dev && open.st_ino == file.st_ino;
  });
}

bool DocManager::isOpen(const Document* doc) const {
  return doc != nullptr && std::find(documents_.begin(), documents_.end(), doc) != documents_.end();
}

void DocManager::updateWorkingDatabase() {
  Document* doc = curDocument();
  acdbHostApplicationServices()->setWorkingDatabase(doc == nullptr ? nullptr : doc->database());
}

void DocManager::makeActive(Document* doc) {
  if (doc == active_) return;
  if (active_ != nullptr) {
    Document* old = active_;
    reactors_.notify([&](DocManagerReactor* r) { r->documentToBeDeactivated(old); });
  }
  if (doc != nullptr) reactors_.notify([&](DocManagerReactor* r) { r->documentToBeActivated(doc); });
  active_ = doc;
  updateWorkingDatabase();
  if (doc != nullptr) {
    reactors_.notify([&](DocManagerReactor* r) { r->documentActivated(doc); });
    reactors_.notify([&](DocManagerReactor* r) { r->documentBecameCurrent(doc); });
    // Input typed for it while it was in the background can be read now.
    if (!doc->input().empty() && reader_ != nullptr) reader_->schedulePump();
  }
}

Document* DocManager::create(std::wstring fileName, std::unique_ptr<Database> database, bool readOnly) {
  void* storage = ::operator new(sizeof(Document));
  auto* doc = new (storage) Document(std::move(fileName), std::move(database), readOnly);
  documents_.push_back(doc);
  reactors_.notify([&](DocManagerReactor* r) { r->documentCreated(doc); });
  makeActive(doc);
  return doc;
}

void DocManager::destroy(Document* doc) {
  reactors_.notify([&](DocManagerReactor* r) { r->documentToBeDestroyed(doc); });
  // A reactor may have closed it already.
  if (!isOpen(doc)) return;
  std::erase(documents_, doc);
  if (active_ == doc) {
    active_ = nullptr;
    makeActive(documents_.empty() ? nullptr : documents_.back());
    updateWorkingDatabase();
  }
  const std::wstring fileName = doc->fileName();
  doc->~Document();
#ifdef QUODL_POISON_CLOSED_DOCUMENTS
  __asan_poison_memory_region(doc, sizeof(Document));
#endif
  graveyard().push_back(doc);
  reactors_.notify([&](DocManagerReactor* r) { r->documentDestroyed(fileName.c_str()); });
}

DocManager::OpenResult DocManager::open(const std::string& path, bool readOnly) {
  OpenResult result;
  if (path.empty()) {
    result.error = result.reason = "No drawing file was named.";
    return result;
  }
  std::error_code ec;
  const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
  const std::string full = foundation::standardizingPath(ec ? path : absolute.string());
  DxfReadResult read;
  try {
    read = readDxfFile(full);
  } catch (const std::exception& e) {
    read = DxfReadResult{};
    read.error = e.what();
  }
  if (read.database == nullptr) {
    result.reason = read.error.empty() ? "unreadable drawing" : read.error;
    result.error = "Cannot open \"" + full + "\": " + result.reason;
    return result;
  }
  std::wstring wide = foundation::wideFromUtf8Lossy(full);
  read.database->filename = wide;
  result.warnings = std::move(read.warnings);
  result.document = create(wide, std::move(read.database), readOnly);
  if (!result.warnings.empty()) {
    // Said as the drawing opens, whoever asked for it: what was read past is not lost in silence.
    std::wstring text = L"\nDrawing \"" + wide + L"\" was opened with warnings:";
    for (const std::string& warning : result.warnings) text += L"\n  " + foundation::wideFromUtf8Lossy(warning);
    commandLine().print(text);
  }
  return result;
}

Document* DocManager::addDocument(std::unique_ptr<Database> database, std::wstring fileName, bool readOnly) {
  if (database == nullptr) return nullptr;
  if (fileName.empty()) fileName = L"Drawing" + std::to_wstring(++unnamedCount_) + L".dwg";
  return create(std::move(fileName), std::move(database), readOnly);
}

ErrorStatus DocManager::closeDocument(Document* doc) {
  if (!isOpen(doc)) return eInvalidInput;
  if (std::find(contexts_.begin(), contexts_.end(), doc) != contexts_.end()) return eNotApplicable;
  destroy(doc);
  return eOk;
}

ErrorStatus DocManager::activateDocument(Document* doc, bool) {
  if (!isOpen(doc)) return eInvalidInput;
  if (faults.activate) return eNotApplicable;
  makeActive(doc);
  return eOk;
}

ErrorStatus DocManager::appContextOpenDocument(const OpenParams& params) {
  OpenRequest request;
  request.fileName = params.fileName == nullptr ? std::wstring() : params.fileName;
  request.initialView = params.initialView;
  request.flags = params.flags;
  auto finish = [&](ErrorStatus status) {
    request.result = status;
    openRequests.push_back(request);
    return status;
  };
  lastOpenError_.clear();
  if (!isApplicationContext()) return finish(eNotApplicable);
  if (request.fileName.empty()) return finish(eInvalidInput);
  if (faults.open) return finish(*faults.open);

  bool readOnly = (params.flags & kOpenFlagReadOnly) != 0;
  if (faults.opensWritable.count(request.fileName) != 0) readOnly = false;
  if (faults.openAcceptedNoDocument) return finish(eOk);
  const OpenResult opened = open(foundation::utf8FromWideLossy(request.fileName), readOnly);
  if (faults.openRefusedButOpened) return finish(eNotApplicable);
  // The host says why it cannot open a drawing, whoever asked for it.
  if (opened.document == nullptr) {
    lastOpenError_ = opened.reason;
    commandLine().print(L"\n" + foundation::wideFromUtf8Lossy(opened.error));
  }
  return finish(opened.document != nullptr ? eOk : eFileAccessErr);
}

ErrorStatus DocManager::appContextCloseDocument(Document* doc) {
  closeRequests.push_back(doc);
  if (!isApplicationContext()) return eNotApplicable;
  if (!isOpen(doc)) return eInvalidInput;
  if (faults.close) return eNotApplicable;
  destroy(doc);
  return eOk;
}

ErrorStatus DocManager::beginExecuteInApplicationContext(ApplicationContextFunction function, void* data) {
  ++beginExecuteCalls;
  if (function == nullptr) return eInvalidInput;
  if (faults.beginExecute || reader_ == nullptr) return eNotApplicable;
  reader_->runWhenIdle([function, data] { function(data); });
  return eOk;
}

ErrorStatus DocManager::sendStringToExecute(Document* doc, const wchar_t* text, bool activate,
                                            bool wrapUpInactiveDoc, bool echo) {
  SendStringCall call{doc, text == nullptr ? std::wstring() : std::wstring(text), activate, wrapUpInactiveDoc,
                      echo, eOk};
  auto finish = [&](ErrorStatus status) {
    call.result = status;
    sendStringCalls.push_back(call);
    return status;
  };
  if (!isOpen(doc) || text == nullptr) return finish(eInvalidInput);
  if (faults.sendString) return finish(eNotApplicable);
  doc->input().append(call.text, echo);
  if (activate && doc != active_) makeActive(doc);
  if (reader_ != nullptr) reader_->schedulePump();
  return finish(eOk);
}

void DocManager::enterDocumentContext(Document* doc) {
  contexts_.push_back(doc);
  updateWorkingDatabase();
}

void DocManager::leaveDocumentContext() {
  if (!contexts_.empty()) contexts_.pop_back();
  updateWorkingDatabase();
}

void DocManager::clearRecords() {
  openRequests.clear();
  sendStringCalls.clear();
  closeRequests.clear();
  beginExecuteCalls = 0;
}

void DocManager::reset() {
  contexts_.clear();
  reactors_.clear();  // a test's reactors may be gone already
  while (!documents_.empty()) destroy(documents_.back());
  active_ = nullptr;
  bareInput_.clear();
  unnamedCount_ = 0;
  lastOpenError_.clear();
  clearRecords();
  faults = {};
  acdbHostApplicationServices()->setWorkingDatabase(nullptr);
}

DocManager& docManager() {
  static DocManager* instance = new DocManager;
  return *instance;
}

DocManager* acDocManagerPtr() { return gAbsent ? nullptr : &docManager(); }

void setDocManagerAbsent(bool absent) { gAbsent = absent; }

}  // namespace cad
