#include "plot/pending_job_snapshot.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "cad/command_line.h"
#include "core/host_bridge.h"
#include "foundation/files.h"
#include "foundation/folders.h"
#include "foundation/iso8601.h"
#include "foundation/json.h"
#include "foundation/paths.h"
#include "foundation/text.h"
#include "foundation/transforms.h"
#include "foundation/uuid.h"
#include "pdf/output_verification.h"

namespace {

using foundation::Json;

constexpr char kSnapshotName[] = "pending-job.json";
constexpr char kFolderName[] = "Quodline";
constexpr char kLegacyFolderName[] = "QuodlineBatchPrint";
constexpr char kGenerator[] = "Quodline pending job 1.0.0-beta.9";
constexpr char kModelSource[] = "model-frame";
// A staged job lists the sheets of one drawing; a count beyond this is a damaged or foreign file.
constexpr std::int64_t kMostPagesInJob = 100000;
// Far more than that many pages take, so a huge file is refused before it is parsed.
constexpr std::size_t kMostSnapshotBytes = 64u << 20;

std::string snapshotBase() {
  std::string base = foundation::applicationSupportDirectory();
  return base.empty() ? foundation::temporaryDirectory() : base;
}

std::string utf8(const std::wstring& text) { return foundation::utf8FromWideLossy(text); }

bool convertsToUtf8(const std::wstring& text) { return foundation::utf8FromWide(text).has_value(); }

// Every text of the job can be written as it is; one that cannot would come back altered.
bool textsAreWritable(const VexBatchPrintPendingJob& job) {
  for (const std::wstring* text : {&job.drawingPath, &job.outputPath, &job.nameTemplate, &job.styleSheet}) {
    if (!convertsToUtf8(*text)) return false;
  }
  return std::all_of(job.pages.begin(), job.pages.end(), [](const VexBatchPrintPageSpec& page) {
    return convertsToUtf8(page.name) && convertsToUtf8(page.layoutName) && convertsToUtf8(page.paper.name);
  });
}

// Reading: a value of another kind than the file's own counts as missing, as a missing key does. A value of the
// right kind that no job of this system can hold refuses the whole snapshot (std::nullopt).

std::wstring textOf(const Json& object, std::string_view key) {
  const std::optional<std::string> text = foundation::jsonString(object, key);
  return text ? foundation::wideFromUtf8Lossy(*text) : std::wstring();
}

bool flagOf(const Json& object, std::string_view key) { return foundation::jsonBool(object, key).value_or(false); }

std::optional<double> finiteNumberOf(const Json& object, std::string_view key) {
  const std::optional<double> number = foundation::jsonNumber(object, key);
  if (!number) return 0.0;
  if (!std::isfinite(*number)) return std::nullopt;
  return number;
}

std::optional<std::uint64_t> countOf(const Json& object, std::string_view key) {
  const Json* member = foundation::jsonMember(object, key);
  if (member == nullptr || !member->is_number()) return 0;
  const std::optional<std::int64_t> count = foundation::jsonInteger(*member);
  if (!count || *count < 0 || *count > kMostPagesInJob) return std::nullopt;
  return static_cast<std::uint64_t>(*count);
}

bool hasParentStep(const std::string& path) {
  const std::vector<std::string> components = foundation::pathComponents(path);
  return std::find(components.begin(), components.end(), "..") != components.end();
}

// Where the executor writes: a full path that does not climb out of the folders it names.
bool isPlausibleOutputPath(const std::wstring& path) {
  const std::string system = utf8(path);
  return foundation::isAbsolutePath(system) && !hasParentStep(system) && system.find('\0') == std::string::npos;
}

bool isPlausibleDrawingPath(const std::wstring& path) {
  if (path.empty()) return true;
  const std::string system = foundation::expandingTildeInPath(utf8(path));
  return foundation::isAbsolutePath(system) && !hasParentStep(system) && system.find('\0') == std::string::npos;
}

// A plot-style file is named, never located: it is looked up in the host's plot-style folder.
bool isPlausibleStyleName(const std::wstring& name) {
  return name.find_first_of(std::wstring(L"/\0", 2)) == std::wstring::npos && name != L"." && name != L"..";
}

std::optional<VexBatchPrintPageSpec> pageFrom(const Json& object) {
  VexBatchPrintPageSpec page;
  page.source =
      foundation::jsonString(object, "source") == kModelSource ? VexBatchPrintSourceModel : VexBatchPrintSourceLayout;
  page.name = textOf(object, "name");
  page.layoutName = textOf(object, "layoutName");
  const std::pair<const char*, double*> box[] = {
      {"minX", &page.minX}, {"minY", &page.minY}, {"maxX", &page.maxX}, {"maxY", &page.maxY}};
  for (const auto& [key, field] : box) {
    const std::optional<double> value = finiteNumberOf(object, key);
    if (!value) return std::nullopt;
    *field = *value;
  }
  page.layoutWindow = flagOf(object, "layoutWindow");
  page.exactPaperFrame = flagOf(object, "exactPaperFrame");
  page.paperOverridden = flagOf(object, "paperOverridden");
  const std::optional<double> scale = foundation::jsonNumber(object, "contentScalePercent");
  page.contentScalePercent = scale ? std::clamp(*scale, 1.0, 100.0) : 100.0;
  const std::optional<std::uint64_t> index = countOf(object, "outputIndex");
  if (!index) return std::nullopt;
  page.outputIndex = *index;

  static const Json kNoPaper = Json::object();
  const Json* paperMember = foundation::jsonMember(object, "paper");
  const Json& paper = paperMember != nullptr && paperMember->is_object() ? *paperMember : kNoPaper;
  page.paper.name = textOf(paper, "name");
  const std::optional<double> shortSide = finiteNumberOf(paper, "shortSide");
  const std::optional<double> longSide = finiteNumberOf(paper, "longSide");
  if (!shortSide || !longSide || *shortSide < 0 || *longSide < 0) return std::nullopt;
  page.paper.shortSide = *shortSide;
  page.paper.longSide = *longSide;
  return page;
}

// The output being put in place when the snapshot was written; a field of another form counts as none, so the
// output is plotted again as it would be without it.
std::optional<VexBatchPrintPendingCommit> commitFrom(const Json& root) {
  const Json* member = foundation::jsonMember(root, "committing");
  if (member == nullptr || !member->is_object()) return std::nullopt;
  const std::optional<std::string> path = foundation::jsonString(*member, "path");
  const Json* device = foundation::jsonMember(*member, "device");
  const Json* inode = foundation::jsonMember(*member, "inode");
  if (!path || device == nullptr || !device->is_number_unsigned() || inode == nullptr || !inode->is_number_unsigned() ||
      !isPlausibleOutputPath(foundation::wideFromUtf8Lossy(*path))) {
    return std::nullopt;
  }
  return VexBatchPrintPendingCommit{foundation::wideFromUtf8Lossy(*path), device->get<std::uint64_t>(),
                                    inode->get<std::uint64_t>()};
}

// Whether the output being put in place is there: the very work file (a rename keeps it) under its new name,
// whole. Then its pages are done; anything else is plotted again.
bool commitCompleted(const VexBatchPrintPendingJob& job) {
  const std::string path = utf8(job.committing->path);
  struct stat file {};
  if (::lstat(path.c_str(), &file) != 0 || !S_ISREG(file.st_mode) ||
      static_cast<std::uint64_t>(file.st_dev) != job.committing->device ||
      static_cast<std::uint64_t>(file.st_ino) != job.committing->inode) {
    return false;
  }
  return quodl::finalizePdfOutput(path, job.merged ? job.pages.size() : 1);
}

// The job without the output a kill interrupted after it was put in place: the first page of a split job, every
// page of a merged one.
void dropCommittedOutput(VexBatchPrintPendingJob& job) {
  const bool completed = job.committing && commitCompleted(job);
  if (completed) {
    const std::size_t done = job.merged ? job.pages.size() : 1;
    cad::acutPrintf(L"\nQuodline: the interrupted job had written \"%ls\"; it is not plotted again.",
                    job.committing->path.c_str());
    job.completedPageCount += done;
    job.pages.erase(job.pages.begin(), job.pages.begin() + static_cast<std::ptrdiff_t>(done));
  }
  job.committing.reset();
}

struct JobRead {
  std::optional<VexBatchPrintPendingJob> job;
  std::string refusal;  // why there is none
};

JobRead refusedJob(std::string reason) { return {std::nullopt, std::move(reason)}; }

JobRead jobFrom(std::string_view data) {
  const foundation::JsonResult parsed = foundation::parseJson(data);
  if (!parsed || !parsed.value.is_object()) return refusedJob("it is not a JSON object");
  const Json& root = parsed.value;
  if (foundation::jsonInteger(root, "schemaVersion") != 1) return refusedJob("its schema version is not 1");
  const Json* pages = foundation::jsonMember(root, "pages");
  if (pages == nullptr || !pages->is_array() || pages->size() > static_cast<std::size_t>(kMostPagesInJob)) {
    return refusedJob("it has no usable page list");
  }

  VexBatchPrintPendingJob job;
  job.drawingPath = textOf(root, "drawingPath");
  job.outputPath = textOf(root, "outputPath");
  job.nameTemplate = textOf(root, "nameTemplate");
  job.styleSheet = textOf(root, "styleSheet");
  job.merged = flagOf(root, "merged");
  job.overwriteExisting = flagOf(root, "overwriteExisting");
  const std::optional<std::uint64_t> total = countOf(root, "totalPageCount");
  const std::optional<std::uint64_t> completed = countOf(root, "completedPageCount");
  if (!total || !completed) return refusedJob("its page counts are impossible");
  job.committing = commitFrom(root);

  // Every page listed is a page of the job: one left out would be skipped by the resume without a word.
  for (std::size_t index = 0; index < pages->size(); ++index) {
    const Json& element = (*pages)[index];
    std::optional<VexBatchPrintPageSpec> page =
        element.is_object() ? pageFrom(element) : std::optional<VexBatchPrintPageSpec>();
    if (!page || page->name.empty() || !foundation::jsonString(element, "name")) {
      return refusedJob("page " + std::to_string(index + 1) + " is damaged");
    }
    job.pages.push_back(std::move(*page));
  }
  if (job.pages.empty() || job.outputPath.empty()) return refusedJob("it holds no pages or no output");
  if (!isPlausibleOutputPath(job.outputPath) || !isPlausibleDrawingPath(job.drawingPath) ||
      !isPlausibleStyleName(job.styleSheet)) {
    return refusedJob("its paths are implausible");
  }

  // The pages done and the pages left make up the job.
  job.completedPageCount = *completed;
  job.totalPageCount = *total != 0 ? *total : *completed + job.pages.size();
  if (job.totalPageCount != *completed + job.pages.size()) return refusedJob("its pages do not add up to its total");
  for (const VexBatchPrintPageSpec& page : job.pages) {
    if (page.outputIndex > job.totalPageCount) return refusedJob("a page's output number is beyond the total");
  }
  job.active = true;
  return {std::move(job), {}};
}

// A snapshot that cannot be used is kept beside, under a name of its own, and said once: it is gone from its
// place, so it is not read and refused again, and nothing of the job is lost.
void setAside(const std::string& path, const std::string& reason) {
  const std::string aside = foundation::appendingPathComponent(
      foundation::deletingLastPathComponent(path), "pending-job-refused-" + foundation::makeUuid() + ".json");
  const foundation::FileResult moved = foundation::moveItem(path, aside);
  const std::wstring where = moved ? L"it was moved to \"" + foundation::wideFromUtf8Lossy(aside) + L"\""
                                   : L"it stays where it is (" + foundation::wideFromUtf8Lossy(moved.error) + L")";
  cad::acutPrintf(L"\nQuodline: the pending job in \"%ls\" cannot be resumed: %ls; %ls.",
                  foundation::wideFromUtf8Lossy(path).c_str(), foundation::wideFromUtf8Lossy(reason).c_str(),
                  where.c_str());
}

// Moves a usable snapshot from the older place to the current one, where nothing stands yet.
void adoptLegacySnapshot(const std::string& current, const std::string& legacy) {
  if (foundation::itemExists(current)) return;
  if (!foundation::createDirectory(foundation::deletingLastPathComponent(current), true)) return;
  static_cast<void>(foundation::moveItem(legacy, current));
}

// The form two paths of one drawing share: standardised, case folded, composed.
std::string comparablePath(const std::wstring& path) {
  const std::optional<std::string> system = foundation::utf8FromWide(path);
  if (!system || system->empty()) return {};
  return foundation::normalizedNFC(foundation::caseFolded(foundation::standardizingPath(*system)));
}

}  // namespace

std::string vexBatchPendingJobSnapshotPath() {
  return foundation::appendingPathComponent(foundation::appendingPathComponent(snapshotBase(), kFolderName),
                                            kSnapshotName);
}

std::string vexBatchLegacyPendingJobSnapshotPath() {
  return foundation::appendingPathComponent(foundation::appendingPathComponent(snapshotBase(), kLegacyFolderName),
                                            kSnapshotName);
}

nlohmann::json vexBatchPendingPageDictionary(VexBatchPrintPageSpec const& page) {
  Json paper = Json::object();
  paper["name"] = utf8(page.paper.name);
  paper["shortSide"] = page.paper.shortSide;
  paper["longSide"] = page.paper.longSide;
  Json object = Json::object();
  object["source"] = page.source == VexBatchPrintSourceModel ? kModelSource : "layout";
  object["name"] = utf8(page.name);
  object["layoutName"] = utf8(page.layoutName);
  object["minX"] = page.minX;
  object["minY"] = page.minY;
  object["maxX"] = page.maxX;
  object["maxY"] = page.maxY;
  object["layoutWindow"] = page.layoutWindow;
  object["exactPaperFrame"] = page.exactPaperFrame;
  object["paperOverridden"] = page.paperOverridden;
  object["contentScalePercent"] = page.contentScalePercent;
  object["outputIndex"] = page.outputIndex;
  object["paper"] = std::move(paper);
  return object;
}

bool vexBatchWritePendingJobSnapshot(VexBatchPrintPendingJob const& job, const std::optional<std::string>& state,
                                     std::string* error) {
  const auto refuse = [error](const std::string& reason) {
    if (error) *error = reason;
    return false;
  };
  if (error) error->clear();
  if (!job.active || job.pages.empty() || job.outputPath.empty()) return refuse("the job has nothing to resume");
  if (!textsAreWritable(job)) return refuse("a text of the job is not valid Unicode");
  Json pages = Json::array();
  for (const VexBatchPrintPageSpec& page : job.pages) pages.push_back(vexBatchPendingPageDictionary(page));
  Json snapshot = Json::object();
  snapshot["schemaVersion"] = 1;
  snapshot["generator"] = kGenerator;
  snapshot["savedAt"] = foundation::iso8601Now();
  snapshot["state"] = state.value_or("pending");
  snapshot["drawingPath"] = utf8(job.drawingPath);
  snapshot["outputPath"] = utf8(job.outputPath);
  snapshot["nameTemplate"] = utf8(job.nameTemplate);
  snapshot["styleSheet"] = utf8(job.styleSheet);
  snapshot["merged"] = job.merged;
  snapshot["overwriteExisting"] = job.overwriteExisting;
  snapshot["totalPageCount"] = job.totalPageCount;
  snapshot["completedPageCount"] = job.completedPageCount;
  snapshot["pages"] = std::move(pages);
  if (job.committing) {
    if (!convertsToUtf8(job.committing->path)) return refuse("a text of the job is not valid Unicode");
    snapshot["committing"] = Json{
        {"path", utf8(job.committing->path)}, {"device", job.committing->device}, {"inode", job.committing->inode}};
  }

  const foundation::JsonText text = foundation::serializeJson(snapshot);
  if (!text) return refuse("the job cannot be written as JSON");
  const std::string path = vexBatchPendingJobSnapshotPath();
  if (const foundation::FileResult made =
          foundation::createDirectory(foundation::deletingLastPathComponent(path), true);
      !made) {
    return refuse(made.error);
  }
  // A folder in the file's place makes the final rename fail; the work file goes and the folder stays.
  // Rewritten after every page: a crash of the host finds the old snapshot or the new one whole, and every page
  // need not wait for the disk.
  const foundation::FileResult written = foundation::writeFileAtomically(path, text.text, foundation::Flush::none);
  return written ? true : refuse(written.error);
}

bool vexBatchLoadPendingJobSnapshot(VexBatchPrintPendingJob& job) {
  const std::string current = vexBatchPendingJobSnapshotPath();
  const std::string legacy = vexBatchLegacyPendingJobSnapshotPath();
  // Only the user's own regular file: a link or someone else's file in its place is no snapshot.
  // No file at the current place (nothing, or a folder, which is nobody's snapshot) makes the older one count.
  const auto absent = [](const foundation::ReadResult& read) { return read.code == ENOENT || read.code == EISDIR; };
  std::string path = current;
  foundation::ReadResult read = foundation::readOwnFile(current, kMostSnapshotBytes);
  if (!read && absent(read)) {
    path = legacy;
    read = foundation::readOwnFile(legacy, kMostSnapshotBytes);
  }
  if (!read) {
    if (!absent(read)) setAside(path, read.error);
    return false;
  }
  JobRead loaded = jobFrom(read.data);
  if (!loaded.job) {
    setAside(path, loaded.refusal);
    return false;
  }
  if (path == legacy) adoptLegacySnapshot(current, legacy);
  dropCommittedOutput(*loaded.job);
  if (loaded.job->pages.empty()) {
    // The job was done but for its snapshot's removal.
    vexBatchRemovePendingJobSnapshot();
    return false;
  }
  job = std::move(*loaded.job);
  return true;
}

void vexBatchRemovePendingJobSnapshot() {
  static_cast<void>(foundation::removeFile(vexBatchPendingJobSnapshotPath()));
  static_cast<void>(foundation::removeFile(vexBatchLegacyPendingJobSnapshotPath()));
}

bool vexBatchPendingJobMatchesCurrentDrawing(VexBatchPrintPendingJob const& job) {
  if (job.drawingPath.empty()) return true;
  const std::string current = comparablePath(vexBatchCurrentDrawingPath());
  return !current.empty() && current == comparablePath(job.drawingPath);
}
