// The pending-job snapshot on disk: what the file holds, that it comes back as it went in, that the older place
// is read once, and that a damaged, foreign or hostile file is no snapshot and loses none of the user's files.

#include "plot/pending_job_snapshot.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "cad/command_line.h"
#include "cad/database.h"
#include "cad/doc_manager.h"
#include "cad/host_reset.h"
#include "foundation/file_faults.h"
#include "foundation/files.h"
#include "foundation/iso8601.h"
#include "foundation/json.h"
#include "foundation/text.h"
#include "small_volume.h"
#include "temp_folder.h"

namespace {

namespace fs = std::filesystem;
using foundation::Json;

VexBatchPrintPageSpec modelPage() {
  VexBatchPrintPageSpec page;
  page.source = VexBatchPrintSourceModel;
  page.name = L"首层平面图 1:100";
  page.layoutName = L"Model";
  page.minX = -1250.5;
  page.minY = 0.125;
  page.maxX = 40750.25;
  page.maxY = 29700;
  page.layoutWindow = false;
  page.exactPaperFrame = false;
  page.paperOverridden = true;
  page.contentScalePercent = 87.5;
  page.outputIndex = 4;
  page.paper = {L"A3", 297, 420};
  return page;
}

VexBatchPrintPageSpec layoutPage() {
  VexBatchPrintPageSpec page;
  page.name = L"Sheet \"B\"";
  page.layoutName = L"布局2";
  page.minX = 10;
  page.minY = 20;
  page.maxX = 430;
  page.maxY = 317;
  page.layoutWindow = true;
  page.exactPaperFrame = true;
  page.outputIndex = 5;
  page.paper = {L"ISO A1", 594, 841};
  return page;
}

VexBatchPrintPendingJob stagedJob() {
  VexBatchPrintPendingJob job;
  job.pages = {modelPage(), layoutPage()};
  job.outputPath = L"/home/user/图纸输出";
  job.nameTemplate = L"{index}-{page}";
  job.styleSheet = L"monochrome.ctb";
  job.drawingPath = L"/home/user/项目/A栋.dwg";
  job.totalPageCount = 5;
  job.completedPageCount = 3;
  job.merged = false;
  job.overwriteExisting = true;
  job.active = true;
  return job;
}

void expectSamePage(const VexBatchPrintPageSpec& a, const VexBatchPrintPageSpec& b) {
  EXPECT_EQ(a.source, b.source);
  EXPECT_EQ(a.name, b.name);
  EXPECT_EQ(a.layoutName, b.layoutName);
  EXPECT_EQ(a.minX, b.minX);
  EXPECT_EQ(a.minY, b.minY);
  EXPECT_EQ(a.maxX, b.maxX);
  EXPECT_EQ(a.maxY, b.maxY);
  EXPECT_EQ(a.layoutWindow, b.layoutWindow);
  EXPECT_EQ(a.exactPaperFrame, b.exactPaperFrame);
  EXPECT_EQ(a.paperOverridden, b.paperOverridden);
  EXPECT_EQ(a.contentScalePercent, b.contentScalePercent);
  EXPECT_EQ(a.outputIndex, b.outputIndex);
  EXPECT_EQ(a.paper.name, b.paper.name);
  EXPECT_EQ(a.paper.shortSide, b.paper.shortSide);
  EXPECT_EQ(a.paper.longSide, b.paper.longSide);
}

class Snapshot : public ::testing::Test {
 protected:
  void SetUp() override {
    if (const char* old = getenv("XDG_DATA_HOME")) oldDataHome_ = old;
    setenv("XDG_DATA_HOME", (folder_ / "support").c_str(), 1);
    foundation::setWallClockForTesting([] { return foundation::wallTimeFromSecondsSince1970(1796808600); });
    cad::resetHostForTesting();
  }
  void TearDown() override {
    cad::resetHostForTesting();
    foundation::clearFileFaults();
    foundation::setWallClockForTesting({});
    if (oldDataHome_) setenv("XDG_DATA_HOME", oldDataHome_->c_str(), 1);
    else unsetenv("XDG_DATA_HOME");
  }

  static std::string current() { return vexBatchPendingJobSnapshotPath(); }
  static std::string legacy() { return vexBatchLegacyPendingJobSnapshotPath(); }

  static void write(const std::string& path, const std::string& text) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << text;
  }
  static std::string contentOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  static Json jsonAt(const std::string& path) { return Json::parse(contentOf(path)); }
  static std::string text(const Json& json) { return json.dump(2); }
  // A snapshot as the writer makes it, to be spoilt by a test.
  static Json goodSnapshot() {
    EXPECT_TRUE(vexBatchWritePendingJobSnapshot(stagedJob(), "failed"));
    Json json = jsonAt(current());
    fs::remove(current());
    return json;
  }
  static std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  static void openDrawing(const std::wstring& path) {
    auto db = cad::Database::createDefault();
    db->filename = path;
    cad::docManager().addDocument(std::move(db), path);
  }

  TempFolder folder_{"quodl-snapshot"};
  std::optional<std::string> oldDataHome_;
};

TEST_F(Snapshot, LivesInThePlugInsOwnFolderForUserData) {
  EXPECT_EQ(current(), folder_ / "support/Quodline/pending-job.json");
  EXPECT_EQ(fs::path(legacy()).filename(), "pending-job.json");
  EXPECT_EQ(fs::path(legacy()).parent_path().parent_path(), folder_ / "support");
  EXPECT_NE(fs::path(legacy()).parent_path(), fs::path(current()).parent_path());
}

TEST_F(Snapshot, TheFileHoldsTheJobSortedAndComesBackWhole) {
  ASSERT_TRUE(vexBatchWritePendingJobSnapshot(stagedJob(), "running"));
  const std::string written = contentOf(current());
  const Json json = Json::parse(written);
  const std::vector<std::string> topKeys = {
      "completedPageCount", "drawingPath", "generator", "merged",        "nameTemplate", "outputPath",
      "overwriteExisting",  "pages",       "savedAt",   "schemaVersion", "state",        "styleSheet",
      "totalPageCount"};
  std::vector<std::string> keys;
  for (const auto& [key, value] : json.items()) keys.push_back(key);
  EXPECT_EQ(keys, topKeys);
  EXPECT_EQ(json["schemaVersion"], 1);
  EXPECT_EQ(json["generator"], "Quodline pending job 1.0.0-beta.9");
  EXPECT_EQ(json["savedAt"], "2026-12-09T09:30:00Z");
  EXPECT_EQ(json["state"], "running");
  EXPECT_EQ(json["outputPath"], "/home/user/图纸输出");
  EXPECT_EQ(json["merged"], false);
  EXPECT_EQ(json["totalPageCount"], 5);
  ASSERT_EQ(json["pages"].size(), 2u);
  const Json& page = json["pages"][0];
  EXPECT_EQ(page["source"], "model-frame");
  EXPECT_EQ(json["pages"][1]["source"], "layout");
  EXPECT_EQ(page["outputIndex"], 4);
  EXPECT_EQ(page["paper"], (Json{{"longSide", 420.0}, {"name", "A3"}, {"shortSide", 297.0}}));
  EXPECT_EQ(page.size(), 13u);
  // Pretty-printed with sorted keys: the text of a page begins with its first key in byte order.
  EXPECT_LT(written.find("\"contentScalePercent\""), written.find("\"exactPaperFrame\""));
  EXPECT_NE(written.find("\n  \"completedPageCount\": 3,\n"), std::string::npos);

  VexBatchPrintPendingJob loaded;
  ASSERT_TRUE(vexBatchLoadPendingJobSnapshot(loaded));
  const VexBatchPrintPendingJob staged = stagedJob();
  EXPECT_TRUE(loaded.active);
  EXPECT_EQ(loaded.outputPath, staged.outputPath);
  EXPECT_EQ(loaded.nameTemplate, staged.nameTemplate);
  EXPECT_EQ(loaded.styleSheet, staged.styleSheet);
  EXPECT_EQ(loaded.drawingPath, staged.drawingPath);
  EXPECT_EQ(loaded.totalPageCount, 5u);
  EXPECT_EQ(loaded.completedPageCount, 3u);
  EXPECT_FALSE(loaded.merged);
  EXPECT_TRUE(loaded.overwriteExisting);
  ASSERT_EQ(loaded.pages.size(), 2u);
  expectSamePage(loaded.pages[0], staged.pages[0]);
  expectSamePage(loaded.pages[1], staged.pages[1]);

  ASSERT_TRUE(vexBatchWritePendingJobSnapshot(stagedJob()));
  EXPECT_EQ(jsonAt(current())["state"], "pending");
  EXPECT_EQ(namesIn(fs::path(current()).parent_path()), std::vector<std::string>{"pending-job.json"});
}

TEST_F(Snapshot, AJobThatCannotBeResumedIsNotWrittenAndTheOldSnapshotStays) {
  ASSERT_TRUE(vexBatchWritePendingJobSnapshot(stagedJob(), "pending"));
  const std::string before = contentOf(current());
  VexBatchPrintPendingJob notActive = stagedJob();
  notActive.active = false;
  VexBatchPrintPendingJob noPages = stagedJob();
  noPages.pages.clear();
  VexBatchPrintPendingJob noOutput = stagedJob();
  noOutput.outputPath.clear();
  VexBatchPrintPendingJob notUnicode = stagedJob();
  notUnicode.pages[1].name.push_back(static_cast<wchar_t>(0xDC00));
  VexBatchPrintPendingJob notANumber = stagedJob();
  notANumber.pages[0].maxX = std::numeric_limits<double>::quiet_NaN();
  for (const VexBatchPrintPendingJob* job : {&notActive, &noPages, &noOutput, &notUnicode, &notANumber}) {
    EXPECT_FALSE(vexBatchWritePendingJobSnapshot(*job, "running"));
  }
  EXPECT_EQ(contentOf(current()), before);
  EXPECT_EQ(namesIn(fs::path(current()).parent_path()), std::vector<std::string>{"pending-job.json"});
}

TEST_F(Snapshot, AFailedWriteLeavesTheEarlierSnapshotWholeAndNoWorkFile) {
  ASSERT_TRUE(vexBatchWritePendingJobSnapshot(stagedJob(), "pending"));
  const std::string before = contentOf(current());
  for (const auto operation :
       {foundation::FileOperation::write, foundation::FileOperation::rename}) {
    foundation::failNextFileOperation(operation, ENOSPC);
    EXPECT_FALSE(vexBatchWritePendingJobSnapshot(stagedJob(), "failed"));
    EXPECT_EQ(contentOf(current()), before);
    EXPECT_EQ(namesIn(fs::path(current()).parent_path()), std::vector<std::string>{"pending-job.json"});
  }
  // A file where the snapshot's folder belongs.
  fs::remove_all(folder_ / "support");
  write(folder_ / "support/Quodline", "user's notes");
  EXPECT_FALSE(vexBatchWritePendingJobSnapshot(stagedJob()));
  EXPECT_EQ(contentOf(folder_ / "support/Quodline"), "user's notes");
}

// A volume with no room for the new snapshot: the writer says the system's reason and the earlier one stays.
TEST_F(Snapshot, AFullDiskKeepsTheEarlierSnapshotAndSaysWhy) {
  SmallVolume volume(folder_ / "support", 64 * 1024);
  SKIP_UNLESS_MOUNTED(volume);
  ASSERT_TRUE(vexBatchWritePendingJobSnapshot(stagedJob(), "pending"));
  const std::string earlier = contentOf(current());
  ASSERT_TRUE(volume.fillLeaving(0));
  std::string error;
  EXPECT_FALSE(vexBatchWritePendingJobSnapshot(stagedJob(), "running", &error));
  EXPECT_NE(error.find(foundation::errorText(ENOSPC)), std::string::npos) << error;
  EXPECT_EQ(contentOf(current()), earlier);
  EXPECT_EQ(namesIn(fs::path(current()).parent_path()), std::vector<std::string>{"pending-job.json"});
}

TEST_F(Snapshot, TheReaderFollowsTheRulesOfTheFile) {
  struct Case {
    const char* what;
    std::function<void(Json&)> change;
    std::function<void(const VexBatchPrintPendingJob&)> check;
  };
  const Case cases[] = {
      {"total missing", [](Json& j) { j.erase("totalPageCount"); },
       [](const VexBatchPrintPendingJob& job) { EXPECT_EQ(job.totalPageCount, 5u); }},
      {"total 0", [](Json& j) { j["totalPageCount"] = 0; },
       [](const VexBatchPrintPendingJob& job) { EXPECT_EQ(job.totalPageCount, 5u); }},
      {"scales",
       [](Json& j) {
         j["pages"][0].erase("contentScalePercent");
         j["pages"][1]["contentScalePercent"] = 250;
         j["pages"].push_back(j["pages"][1]);
         j["pages"][2]["contentScalePercent"] = 0;
         j["totalPageCount"] = 6;
       },
       [](const VexBatchPrintPendingJob& job) {
         ASSERT_EQ(job.pages.size(), 3u);
         EXPECT_EQ(job.pages[0].contentScalePercent, 100);
         EXPECT_EQ(job.pages[1].contentScalePercent, 100);
         EXPECT_EQ(job.pages[2].contentScalePercent, 1);
       }},
      {"missing flags and texts",
       [](Json& j) {
         for (const char* key : {"merged", "overwriteExisting", "nameTemplate", "styleSheet", "drawingPath"})
           j.erase(key);
         j["pages"][0].erase("paper");
         j["pages"][1]["paper"] = "A1";
         j["pages"][1].erase("layoutWindow");
       },
       [](const VexBatchPrintPendingJob& job) {
         EXPECT_FALSE(job.merged);
         EXPECT_FALSE(job.overwriteExisting);
         EXPECT_EQ(job.nameTemplate, L"");
         EXPECT_EQ(job.drawingPath, L"");
         EXPECT_EQ(job.pages[0].paper.name, L"");
         EXPECT_EQ(job.pages[0].paper.shortSide, 0);
         EXPECT_EQ(job.pages[1].paper.longSide, 0);
         EXPECT_FALSE(job.pages[1].layoutWindow);
       }},
      {"values of another kind count as missing",
       [](Json& j) {
         j["merged"] = "yes";
         j["pages"][1]["minX"] = "10";
         j["pages"][1]["source"] = true;
         j["completedPageCount"] = "3";
         j["totalPageCount"] = nullptr;
         j["pages"][0]["outputIndex"] = 1;
         j["pages"][1]["outputIndex"] = 2;
       },
       [](const VexBatchPrintPendingJob& job) {
         EXPECT_FALSE(job.merged);
         ASSERT_EQ(job.pages.size(), 2u);
         EXPECT_EQ(job.pages[1].minX, 0);
         EXPECT_EQ(job.pages[1].source, VexBatchPrintSourceLayout);
         EXPECT_EQ(job.completedPageCount, 0u);
         EXPECT_EQ(job.totalPageCount, 2u);
       }},
      {"a tilde in the drawing's path", [](Json& j) { j["drawingPath"] = "~/项目/A栋.dwg"; },
       [](const VexBatchPrintPendingJob& job) { EXPECT_EQ(job.drawingPath, L"~/项目/A栋.dwg"); }},
  };
  const Json good = goodSnapshot();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Json json = good;
    c.change(json);
    write(current(), text(json));
    VexBatchPrintPendingJob job;
    ASSERT_TRUE(vexBatchLoadPendingJobSnapshot(job));
    EXPECT_TRUE(job.active);
    c.check(job);
  }
}

TEST_F(Snapshot, DamagedForeignAndHostileFilesAreNoSnapshotAndAreMovedAsideWithTheReason) {
  struct Case {
    const char* what;
    std::function<void(Json&)> change;
  };
  const Case spoilt[] = {
      {"schema version 2", [](Json& j) { j["schemaVersion"] = 2; }},
      {"schema version as text", [](Json& j) { j["schemaVersion"] = "1"; }},
      {"no schema version", [](Json& j) { j.erase("schemaVersion"); }},
      {"no pages", [](Json& j) { j.erase("pages"); }},
      {"pages not a list", [](Json& j) { j["pages"] = j["pages"][0]; }},
      {"an empty page list", [](Json& j) { j["pages"] = Json::array(); }},
      {"only unnamed pages",
       [](Json& j) {
         for (Json& page : j["pages"]) page["name"] = "";
       }},
      // A page dropped while the total still counts it: a resume would skip a sheet.
      {"a page without a name", [](Json& j) { j["pages"][1]["name"] = ""; }},
      {"a page whose name is no text", [](Json& j) { j["pages"][0]["name"] = 12; }},
      {"a page with its name missing", [](Json& j) { j["pages"][0].erase("name"); }},
      {"an element that is no page",
       [](Json& j) {
         j["pages"].push_back(7);
         j["totalPageCount"] = 6;
       }},
      {"no output path", [](Json& j) { j.erase("outputPath"); }},
      {"a relative output path", [](Json& j) { j["outputPath"] = "PDF/out"; }},
      {"an output path that climbs", [](Json& j) { j["outputPath"] = "/home/user/../../etc"; }},
      {"an output path ending in ..", [](Json& j) { j["outputPath"] = "/home/user/PDF/.."; }},
      {"an output path from the home folder", [](Json& j) { j["outputPath"] = "~/PDF"; }},
      {"an output path with NUL", [](Json& j) { j["outputPath"] = std::string("/home/user/a\0/b", 15); }},
      {"a drawing path that climbs", [](Json& j) { j["drawingPath"] = "/home/user/../root/a.dwg"; }},
      {"a relative drawing path", [](Json& j) { j["drawingPath"] = "a.dwg"; }},
      {"a plot style with a path", [](Json& j) { j["styleSheet"] = "../../evil.ctb"; }},
      {"a plot style in a folder", [](Json& j) { j["styleSheet"] = "/tmp/evil.ctb"; }},
      {"a plot style of ..", [](Json& j) { j["styleSheet"] = ".."; }},
      {"a negative count", [](Json& j) { j["completedPageCount"] = -1; }},
      {"a count with a fraction", [](Json& j) { j["completedPageCount"] = 2.5; }},
      {"an absurd count", [](Json& j) { j["completedPageCount"] = 1000000000000000000LL; }},
      {"a count beyond 64 bits signed", [](Json& j) { j["totalPageCount"] = 18446744073709551615ull; }},
      {"a total below the pages done and left", [](Json& j) { j["totalPageCount"] = 4; }},
      {"a total above all pages listed", [](Json& j) { j["totalPageCount"] = 100000; }},
      {"an output index beyond the job", [](Json& j) { j["pages"][1]["outputIndex"] = 6; }},
      {"a negative output index", [](Json& j) { j["pages"][1]["outputIndex"] = -3; }},
      {"a negative paper", [](Json& j) { j["pages"][0]["paper"]["shortSide"] = -297; }},
      {"more pages than any drawing has",
       [](Json& j) {
         j["pages"] = Json::array();
         for (int i = 0; i < 100001; ++i) j["pages"].push_back(i);
       }},
  };
  const Json good = goodSnapshot();
  std::vector<std::pair<std::string, std::string>> texts;
  for (const Case& c : spoilt) {
    Json json = good;
    c.change(json);
    texts.emplace_back(c.what, text(json));
  }
  texts.emplace_back("not JSON", "pending job");
  texts.emplace_back("cut short", text(good).substr(0, 200));
  texts.emplace_back("empty", "");
  texts.emplace_back("a list", "[" + text(good) + "]");
  texts.emplace_back("invalid UTF-8", "{\"schemaVersion\": 1, \"outputPath\": \"/a\xff\", \"pages\": []}");
  texts.emplace_back("nested beyond reason", std::string(100000, '[') + std::string(100000, ']'));
  texts.emplace_back("a number too large", "{\"schemaVersion\": 1e999, \"pages\": []}");
  // One flipped bit in a page's key: the page loses its name.
  std::string flipped = text(good);
  flipped[flipped.find("\"name\"") + 2] ^= 0x20;
  texts.emplace_back("a flipped bit", flipped);

  const std::string userFile = folder_ / "user.pdf";
  write(userFile, "user's PDF");
  const std::string folder = fs::path(current()).parent_path();
  for (const auto& [what, content] : texts) {
    SCOPED_TRACE(what);
    write(current(), content);
    const std::size_t before = cad::commandLine().transcript().size();
    VexBatchPrintPendingJob job = stagedJob();
    job.outputPath = L"/untouched";
    EXPECT_FALSE(vexBatchLoadPendingJobSnapshot(job));
    EXPECT_EQ(job.outputPath, L"/untouched");
    EXPECT_EQ(job.pages.size(), 2u);
    // Moved aside, never deleted or repaired, and said once with the reason.
    EXPECT_FALSE(fs::exists(current()));
    const std::vector<std::string> names = namesIn(folder);
    ASSERT_EQ(names.size(), 1u);
    EXPECT_TRUE(names[0].starts_with("pending-job-refused-")) << names[0];
    EXPECT_EQ(contentOf(folder + "/" + names[0]), content);
    const std::wstring said = cad::commandLine().transcript().substr(before);
    const std::size_t at = said.find(L"cannot be resumed: ");
    EXPECT_NE(at, std::wstring::npos) << foundation::utf8FromWideLossy(said);
    EXPECT_EQ(said.find(L"cannot be resumed", at + 1), std::wstring::npos);
    EXPECT_NE(said.find(foundation::wideFromUtf8Lossy(names[0])), std::wstring::npos);
    EXPECT_FALSE(vexBatchLoadPendingJobSnapshot(job));  // nothing is refused twice
    EXPECT_EQ(cad::commandLine().transcript().substr(before), said);
    fs::remove(folder + "/" + names[0]);
  }
  EXPECT_EQ(contentOf(userFile), "user's PDF");
}

TEST_F(Snapshot, ALinkInThePlaceOfTheFileIsNotFollowed) {
  ASSERT_TRUE(vexBatchWritePendingJobSnapshot(stagedJob(), "pending"));
  const std::string precious = folder_ / "precious.json";
  fs::rename(current(), precious);
  const std::string preciousText = contentOf(precious);
  fs::create_symlink(precious, current());

  VexBatchPrintPendingJob job;
  EXPECT_FALSE(vexBatchLoadPendingJobSnapshot(job));
  EXPECT_FALSE(job.active);
  // The link itself is moved aside; what it points to stays as it was.
  EXPECT_FALSE(fs::exists(fs::symlink_status(current())));
  EXPECT_EQ(contentOf(precious), preciousText);
  fs::create_symlink(precious, current());

  // Writing puts a file in the link's place; what it pointed to stays as it was.
  ASSERT_TRUE(vexBatchWritePendingJobSnapshot(stagedJob(), "running"));
  EXPECT_FALSE(fs::is_symlink(current()));
  EXPECT_EQ(contentOf(precious), preciousText);

  fs::remove(current());
  fs::create_symlink(precious, current());
  vexBatchRemovePendingJobSnapshot();
  EXPECT_FALSE(fs::exists(fs::symlink_status(current())));
  EXPECT_EQ(contentOf(precious), preciousText);
}

TEST_F(Snapshot, AFolderInThePlaceOfTheFileIsLeftWithEverythingInIt) {
  fs::create_directories(current());
  write(current() + "/user's drawing.dwg", "drawing");
  VexBatchPrintPendingJob job;
  EXPECT_FALSE(vexBatchLoadPendingJobSnapshot(job));
  EXPECT_FALSE(vexBatchWritePendingJobSnapshot(stagedJob()));
  vexBatchRemovePendingJobSnapshot();
  EXPECT_EQ(contentOf(current() + "/user's drawing.dwg"), "drawing");
  EXPECT_EQ(namesIn(fs::path(current()).parent_path()), std::vector<std::string>{"pending-job.json"});
}

TEST_F(Snapshot, TheOlderPlaceIsReadOnceAndMovedToTheCurrentOne) {
  const Json good = goodSnapshot();
  write(legacy(), text(good));
  VexBatchPrintPendingJob job;
  ASSERT_TRUE(vexBatchLoadPendingJobSnapshot(job));
  EXPECT_EQ(job.totalPageCount, 5u);
  EXPECT_FALSE(fs::exists(legacy()));
  EXPECT_EQ(contentOf(current()), text(good));
  ASSERT_TRUE(vexBatchLoadPendingJobSnapshot(job));

  // A current snapshot, even a damaged one, wins; the older file then stays for the remover.
  Json older = good;
  older["outputPath"] = "/older";
  write(legacy(), text(older));
  ASSERT_TRUE(vexBatchLoadPendingJobSnapshot(job));
  EXPECT_EQ(job.outputPath, L"/home/user/图纸输出");
  write(current(), "damaged");
  EXPECT_FALSE(vexBatchLoadPendingJobSnapshot(job));
  EXPECT_TRUE(fs::exists(legacy()));

  // A folder at the current place makes the older file count; it is not moved onto what stands there.
  fs::create_directory(current());
  ASSERT_TRUE(vexBatchLoadPendingJobSnapshot(job));
  EXPECT_EQ(job.outputPath, L"/older");
  EXPECT_TRUE(fs::is_directory(current()));
  EXPECT_TRUE(fs::exists(legacy()));

  // A damaged older file is moved aside beside it, never removed, and never to the current place.
  fs::remove(current());
  write(legacy(), "damaged");
  EXPECT_FALSE(vexBatchLoadPendingJobSnapshot(job));
  EXPECT_FALSE(fs::exists(legacy()));
  const std::vector<std::string> aside = namesIn(fs::path(legacy()).parent_path());
  ASSERT_EQ(aside.size(), 1u);
  EXPECT_EQ(contentOf(fs::path(legacy()).parent_path() / aside[0]), "damaged");
  EXPECT_FALSE(fs::exists(current()));
}

TEST_F(Snapshot, RemovingTakesBothPlacesAndMindsNothingMissing) {
  vexBatchRemovePendingJobSnapshot();
  ASSERT_TRUE(vexBatchWritePendingJobSnapshot(stagedJob()));
  write(legacy(), "older");
  vexBatchRemovePendingJobSnapshot();
  EXPECT_FALSE(fs::exists(current()));
  EXPECT_FALSE(fs::exists(legacy()));
  VexBatchPrintPendingJob job;
  EXPECT_FALSE(vexBatchLoadPendingJobSnapshot(job));
}

TEST_F(Snapshot, AJobBelongsToTheDrawingAtItsPath) {
  VexBatchPrintPendingJob job = stagedJob();
  job.drawingPath.clear();
  EXPECT_TRUE(vexBatchPendingJobMatchesCurrentDrawing(job));  // unsaved: any drawing, even none

  job.drawingPath = L"/Users/Ann/项目/A栋.dwg";
  EXPECT_FALSE(vexBatchPendingJobMatchesCurrentDrawing(job));  // no drawing open
  openDrawing(L"/users/ann/./项目//a栋.DWG");
  EXPECT_TRUE(vexBatchPendingJobMatchesCurrentDrawing(job));
  job.drawingPath = L"/Users/Ann/其他/../项目/A栋.dwg";
  EXPECT_TRUE(vexBatchPendingJobMatchesCurrentDrawing(job));
  job.drawingPath = L"/Users/Ann/项目/B栋.dwg";
  EXPECT_FALSE(vexBatchPendingJobMatchesCurrentDrawing(job));

  cad::resetHostForTesting();
  const std::string home = getenv("HOME") ? getenv("HOME") : "/";
  openDrawing(foundation::wideFromUtf8Lossy(home + "/A.dwg"));
  job.drawingPath = L"~/a.dwg";
  EXPECT_TRUE(vexBatchPendingJobMatchesCurrentDrawing(job));
}

}  // namespace
