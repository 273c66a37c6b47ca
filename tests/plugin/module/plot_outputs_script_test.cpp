// The full panel's exports in cadhost, with the faults a user's machine brings: a file put at the output name
// while a job plots, a second host writing the same name, a read-only file the user agreed to replace, an
// output folder renamed mid-run, a cancel, SIGTERM and SIGKILL at a page the test holds the host on. No file of
// the user is replaced or removed, and no work file or folder is left after any outcome, or after the next
// start when the host was killed.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "cadhost_run.h"
#include "foundation/files.h"
#include "graphics/pdf_document.h"
#include "interactive_program.h"
#include "test_files.h"

namespace {

const std::string kLayouts = std::string(QUODL_SAMPLES) + "/layouts-frames.dxf";      // 3 sheets: merged page by page
const std::string kModel = std::string(QUODL_SAMPLES) + "/model-a1-grid-1to100.dxf";  // 7 sheets: in one run
constexpr std::size_t kLayoutsSheets = 3;
constexpr std::size_t kModelSheets = 7;

std::vector<std::string> entries(const std::string& folder) {
  std::vector<std::string> names;
  if (!std::filesystem::is_directory(folder)) return names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

std::size_t pdfPages(const std::string& file) {
  const std::unique_ptr<graphics::PdfDocument> document = graphics::PdfDocument::open(file);
  return document ? document->pageCount() : 0;
}

// How the test meets the job while the host is held on a page.
enum class Meet { run, plantTarget, secondHost, renameFolder, cancel, terminate, kill };

class PlotOutputs : public ::testing::Test {
 protected:
  void SetUp() override {
    // The runtime folder is left for the host to make, private, as a session's is.
    for (const char* folder : {".config/quodline/defaults", "tmp", "data", "out"}) {
      ASSERT_TRUE(foundation::createDirectory(home_ / folder, true));
    }
    ASSERT_TRUE(foundation::writeFileAtomically(home_ / ".config/quodline/defaults/standard.json",
                                                R"({"Quodline.Language": "zh"})"));
    options_.environment = {{"HOME", home_.path()},
                            {"XDG_CONFIG_HOME", home_ / ".config"},
                            {"XDG_DATA_HOME", home_ / "data"},
                            {"TMPDIR", home_ / "tmp"},
                            {"XDG_RUNTIME_DIR", home_ / "run"}};
  }

  std::unique_ptr<InteractiveProgram> host(const std::string& drawing) const {
    return std::make_unique<InteractiveProgram>(
        QUODL_CADHOST,
        std::vector<std::string>{"--no-autoload", "--load", QUODL_PROBE, "--load", QUODL_MODULE, drawing}, options_);
  }

  // The panel's choices for one merged PDF at `target`, or one PDF per sheet into the folder `target`; the
  // overwrite switch as the saved settings have it.
  static void choose(InteractiveProgram& h, bool merged, const std::string& target) {
    h.writeLine("QUODL");
    h.writeLine("@choose batchPrintPanel scope \"#2\"");
    h.writeLine(merged ? "@choose batchPrintPanel outputMode \"#1\"" : "@choose batchPrintPanel outputMode \"#2\"");
    h.writeLine("@choose batchPrintPanel location \"#6\"");
    h.writeLine("@file \"" + target + "\"");
    h.writeLine("@click batchPrintPanel browse");
  }

  // Holds the host inside the `page`-th sheet it plots until the file `go` appears (or a signal comes).
  void holdOn(InteractiveProgram& h, int page) const {
    h.writeLine("QDLPROBEPAUSE");
    h.writeLine(go());
    h.writeLine(std::to_string(page));
  }
  std::string go() const { return home_ / "go"; }
  void release() const { ASSERT_TRUE(foundation::writeFileAtomically(go(), "")); }

  // Every work file and folder left: in the temporary folder, the records, and anywhere in the output folders.
  std::vector<std::string> leftovers(const std::vector<std::string>& outputFolders) const {
    std::vector<std::string> left;
    for (const std::string& name : entries(home_ / "tmp")) {
      if (name != kLayoutCandidateTraceName) left.push_back("tmp/" + name);
    }
    for (const std::string& name : entries(home_ / "run/work-items")) left.push_back("work-items/" + name);
    for (const std::string& folder : outputFolders) {
      if (!std::filesystem::is_directory(folder)) continue;
      for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        const std::string name = entry.path().filename();
        const bool workName = name.starts_with(".") || name.starts_with("Plot-") || name.starts_with("Plotting-") ||
                              name.starts_with("Merge-") || name.starts_with("Normalize-") ||
                              name.starts_with("quodline-isolated-") || name.starts_with("plot-pages-");
        if (workName || (!entry.is_directory() && !name.ends_with(".pdf"))) left.push_back(entry.path());
      }
    }
    return left;
  }

  // The panel's merged export to `target` as a script, with `during` read while it plots; then QUIT.
  CadhostRun runScript(const std::string& drawing, const std::string& target, const std::string& during) const {
    const std::string script =
        "QUODL\n@choose batchPrintPanel scope \"#2\"\n@choose batchPrintPanel outputMode \"#1\"\n"
        "@choose batchPrintPanel location \"#6\"\n@file \"" +
        target +
        "\"\n"
        "@click batchPrintPanel browse\n@click batchPrintPanel export\n" +
        during + "QUIT\n";
    EXPECT_TRUE(foundation::writeFileAtomically(home_ / "script.txt", script));
    return runProgram(QUODL_CADHOST,
                      {"--no-autoload", "--load", QUODL_MODULE, "--script", home_ / "script.txt", drawing}, "",
                      options_);
  }

  // A new session, as the user starts the host again after a kill.
  void startAgain() const {
    InteractiveProgram next(QUODL_CADHOST, {"--no-autoload", "--load", QUODL_MODULE}, options_);
    next.writeLine("QUIT");
    EXPECT_EQ(next.wait(), 0) << next.output();
  }

  ScratchHome home_;
  RunOptions options_;
};

// Item: every mode puts its output in place alike. With overwrite off, a file that appears at the output name
// while the job plots stays, and the job writes the next free name; a second host exporting another drawing to
// the same name keeps both files. A read-only file stays even when the user answered "Replace file".
TEST_F(PlotOutputs, NothingIsReplacedThatTheUserDidNotAgreeToAndNeverAReadOnlyFile) {
  struct Case {
    const char* what;
    std::string drawing;
    std::size_t sheets;
    Meet meet;
  };
  const std::vector<Case> cases = {
      {"merged page by page, a file put at the name meanwhile", kLayouts, kLayoutsSheets, Meet::plantTarget},
      {"merged in one run, a file put at the name meanwhile", kModel, kModelSheets, Meet::plantTarget},
      {"merged page by page, a second host writing the name", kLayouts, kLayoutsSheets, Meet::secondHost},
      {"merged in one run, a second host writing the name", kModel, kModelSheets, Meet::secondHost},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string folder = home_ / ("out/" + std::to_string(++n));
    ASSERT_TRUE(foundation::createDirectory(folder, false));
    const std::string target = folder + "/site.pdf";
    std::filesystem::remove(go());

    const std::unique_ptr<InteractiveProgram> first = host(c.drawing);
    choose(*first, true, target);
    holdOn(*first, 2);
    first->writeLine("@click batchPrintPanel export");
    ASSERT_TRUE(first->waitForOutput("PROBE paused on page 2")) << first->output();

    std::size_t secondSheets = 0;
    if (c.meet == Meet::plantTarget) {
      ASSERT_TRUE(foundation::writeFileAtomically(target, "the user's"));
    } else {
      // The other drawing, to the same name, from start to end while the first host holds.
      const bool layouts = c.drawing == kLayouts;
      secondSheets = layouts ? kModelSheets : kLayoutsSheets;
      const std::unique_ptr<InteractiveProgram> second = host(layouts ? kModel : kLayouts);
      choose(*second, true, target);
      second->writeLine("@click batchPrintPanel export");
      ASSERT_TRUE(second->waitForOutput("DUZOZAREDEXEC=PASS")) << second->output();
      second->writeLine("QUIT");
      EXPECT_EQ(second->wait(), 0) << second->output();
    }
    release();
    EXPECT_TRUE(first->waitForOutput("DUZOZAREDEXEC=PASS")) << first->output();
    first->writeLine("QUIT");
    EXPECT_EQ(first->wait(), 0) << first->output();

    EXPECT_EQ(entries(folder), (std::vector<std::string>{"site-2.pdf", "site.pdf"}));
    if (c.meet == Meet::plantTarget) {
      EXPECT_EQ(foundation::readFile(target).data, "the user's");
    } else {
      EXPECT_EQ(pdfPages(target), secondSheets);
    }
    EXPECT_EQ(pdfPages(folder + "/site-2.pdf"), c.sheets);
    EXPECT_EQ(leftovers({folder}), std::vector<std::string>{});
  }

  // Overwrite on and "Replace file" answered, in each mode: a read-only file stays as it was, whether it was
  // read-only from the start or became so while the job plotted.
  ASSERT_TRUE(foundation::writeFileAtomically(home_ / ".config/quodline/defaults/standard.json",
                                              R"({"Quodline.Language": "zh", "Quodline.Overwrite": true})"));
  struct ReadOnly {
    const char* what;
    std::string drawing;
    bool merged;
    const char* name;
    bool meanwhile;
  };
  const std::vector<ReadOnly> readOnly = {
      {"merged page by page", kLayouts, true, "site.pdf", false},
      {"merged in one run", kModel, true, "site.pdf", false},
      {"one PDF per sheet", kModel, false, "001-模型图框 01.pdf", false},
      {"merged page by page, read-only meanwhile", kLayouts, true, "site.pdf", true},
      {"merged in one run, read-only meanwhile", kModel, true, "site.pdf", true},
  };
  for (const ReadOnly& c : readOnly) {
    SCOPED_TRACE(c.what);
    const std::string folder = home_ / ("out/" + std::to_string(++n));
    ASSERT_TRUE(foundation::createDirectory(folder, false));
    const std::string kept = folder + "/" + c.name;
    ASSERT_TRUE(foundation::writeFileAtomically(kept, "the user's"));
    if (!c.meanwhile) {
      ASSERT_EQ(::chmod(kept.c_str(), 0444), 0);
    }
    std::filesystem::remove(go());

    const std::unique_ptr<InteractiveProgram> h = host(c.drawing);
    choose(*h, c.merged, c.merged ? kept : folder);
    h->writeLine("@alert #2");
    if (c.meanwhile) {
      holdOn(*h, 2);
      h->writeLine("@click batchPrintPanel export");
      ASSERT_TRUE(h->waitForOutput("PROBE paused on page 2")) << h->output();
      ASSERT_EQ(::chmod(kept.c_str(), 0444), 0);
      release();
    } else {
      h->writeLine("@click batchPrintPanel export");
    }
    EXPECT_TRUE(h->waitForOutput("DUZOZAREDEXEC=FAIL")) << h->output();
    h->writeLine("QUIT");
    EXPECT_EQ(h->wait(), 0) << h->output();
    EXPECT_NE(h->output().find("read-only"), std::string::npos) << h->output();

    EXPECT_EQ(foundation::readFile(kept).data, "the user's");
    struct stat info {};
    ASSERT_EQ(::stat(kept.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0444u);
    EXPECT_EQ(entries(folder), std::vector<std::string>{c.name});
    EXPECT_EQ(leftovers({folder}), std::vector<std::string>{});
  }
}

// Item: every work file and folder goes at the end of its job, whatever the outcome, and after a kill at the
// next start; the user's files beside them stay.
TEST_F(PlotOutputs, NoWorkFileOrFolderIsLeftAfterAnyOutcomeOrAfterTheNextStart) {
  struct Case {
    const char* what;
    std::string drawing;
    Meet meet;
    const char* ends;  // what the host prints at the end of the job; empty when it does not get there
  };
  const std::vector<Case> cases = {
      {"merged page by page, done", kLayouts, Meet::run, "DUZOZAREDEXEC=PASS"},
      {"merged page by page, the folder renamed", kLayouts, Meet::renameFolder, "DUZOZAREDEXEC=FAIL"},
      {"merged in one run, the folder renamed", kModel, Meet::renameFolder, "DUZOZAREDEXEC=FAIL"},
      {"merged page by page, cancelled", kLayouts, Meet::cancel, "DUZOZAREDEXEC=FAIL"},
      {"merged page by page, SIGTERM", kLayouts, Meet::terminate, ""},
      {"merged in one run, SIGTERM", kModel, Meet::terminate, ""},
      {"merged page by page, SIGKILL", kLayouts, Meet::kill, ""},
      {"merged in one run, SIGKILL", kModel, Meet::kill, ""},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string folder = home_ / ("out/" + std::to_string(++n));
    const std::string renamed = folder + "-renamed";
    ASSERT_TRUE(foundation::createDirectory(folder, false));
    const std::string users = folder + "/plan.pdf";
    ASSERT_TRUE(foundation::writeFileAtomically(users, "the user's"));
    std::filesystem::remove(go());

    if (c.meet == Meet::cancel) {
      // From the progress window, as the second sheet is plotted (the window answers between sheets only).
      const CadhostRun r = runScript(c.drawing, folder + "/site.pdf",
                                     "@wait printProgress printProgressStage \"正在输出第 2 / 3 页\"\n"
                                     "@click printProgress cancelPrinting\n");
      EXPECT_NE(r.output.find(c.ends), std::string::npos) << r.output;
      EXPECT_EQ(r.output.find("diagnostic pages"), std::string::npos) << r.output;
      EXPECT_EQ(foundation::readFile(folder + "/plan.pdf").data, "the user's");
      EXPECT_EQ(leftovers({folder}), std::vector<std::string>{}) << r.output;
      EXPECT_EQ(entries(folder), std::vector<std::string>{"plan.pdf"});
      continue;
    }
    const std::unique_ptr<InteractiveProgram> h = host(c.drawing);
    choose(*h, true, folder + "/site.pdf");
    holdOn(*h, 2);
    h->writeLine("@click batchPrintPanel export");
    ASSERT_TRUE(h->waitForOutput("PROBE paused on page 2")) << h->output();
    // Held inside a sheet, the job has its work under way.
    EXPECT_NE(leftovers({folder}), std::vector<std::string>{});

    switch (c.meet) {
      case Meet::renameFolder:
        std::filesystem::rename(folder, renamed);
        release();
        break;
      case Meet::terminate:
        h->sendSignal(SIGTERM);
        EXPECT_EQ(h->wait(), -1) << h->output();
        EXPECT_EQ(h->endSignal(), SIGTERM);
        break;
      case Meet::kill:
        h->kill();
        EXPECT_NE(leftovers({folder}), std::vector<std::string>{});
        startAgain();
        break;
      default: release();
    }
    if (*c.ends != 0) {
      EXPECT_TRUE(h->waitForOutput(c.ends)) << h->output();
      h->writeLine("QUIT");
      EXPECT_EQ(h->wait(), 0) << h->output();
    }

    const std::string now = c.meet == Meet::renameFolder ? renamed : folder;
    EXPECT_EQ(foundation::readFile(now + "/plan.pdf").data, "the user's");
    EXPECT_EQ(leftovers({now}), std::vector<std::string>{}) << h->output();
    EXPECT_EQ(entries(now), c.meet == Meet::run ? (std::vector<std::string>{"plan.pdf", "site.pdf"})
                                                : std::vector<std::string>{"plan.pdf"});
  }

  // The queue, one PDF per drawing, killed inside its second sheet: the next start removes its work too.
  const std::string drawings = home_ / "drawings";
  const std::string queueOut = home_ / "out/queue";
  ASSERT_TRUE(foundation::createDirectory(drawings, false));
  ASSERT_TRUE(foundation::createDirectory(queueOut, false));
  std::filesystem::copy_file(kLayouts, drawings + "/site.dwg");
  std::filesystem::remove(go());
  const std::unique_ptr<InteractiveProgram> h = host(kModel);
  h->writeLine("DUZOZAREDFILES");
  h->writeLine("@file \"" + drawings + "\"");
  h->writeLine("@click fileQueuePanel addFolder");
  // The search runs in the background: asked again until the panel has the drawing.
  for (int asked = 0; asked < 240; ++asked) {
    const std::size_t before = h->output().size();
    h->writeLine("DELAY");
    h->writeLine("250");
    h->writeLine("@wait fileQueuePanel status \"1 个 DWG\"");
    h->writeLine("@probehost");
    ASSERT_TRUE(h->waitForOutput("PROBE host")) << h->output();
    if (h->output().find("not \"1 个 DWG\"", before) == std::string::npos) break;
  }
  for (const std::string& line : {std::string("@choose fileQueuePanel outputMode \"按 CAD 文件分别合并\""),
                                  std::string("@choose fileQueuePanel sourceMode 全部布局"),
                                  "@file \"" + queueOut + "\"", std::string("@click fileQueuePanel chooseOutput")}) {
    h->writeLine(line);
  }
  holdOn(*h, 2);
  h->writeLine("@click fileQueuePanel startButton");
  ASSERT_TRUE(h->waitForOutput("PROBE paused on page 2")) << h->output();
  h->kill();
  EXPECT_NE(leftovers({queueOut}), std::vector<std::string>{});
  startAgain();
  EXPECT_EQ(leftovers({queueOut}), std::vector<std::string>{});
  EXPECT_EQ(entries(drawings), std::vector<std::string>{"site.dwg"});
}

}  // namespace

// Item: the records a killed host left are trusted only so far. The next start removes what the killed host
// made where it made it; not a user's file that a record was changed to name, nothing through a record that is
// a link or through a folder swapped for a link, and nothing of a host that still runs.
TEST_F(PlotOutputs, ARecordIsHonouredOnlyForWhatItsEndedHostMadeWhereItMadeIt) {
  const std::string killedOut = home_ / "out/killed";
  const std::string runningOut = home_ / "out/running";
  const std::string docs = home_ / "docs";
  for (const std::string& folder : {killedOut, runningOut, docs})
    ASSERT_TRUE(foundation::createDirectory(folder, false));

  const std::unique_ptr<InteractiveProgram> killed = host(kModel);
  choose(*killed, true, killedOut + "/site.pdf");
  holdOn(*killed, 2);
  killed->writeLine("@click batchPrintPanel export");
  ASSERT_TRUE(killed->waitForOutput("PROBE paused on page 2")) << killed->output();
  killed->kill();
  const std::vector<std::string> work = entries(killedOut);
  ASSERT_EQ(work.size(), 1u);  // the engine's work file beside the output
  std::vector<std::string> pages = entries(home_ / "tmp");
  std::erase(pages, std::string(kLayoutCandidateTraceName));
  ASSERT_EQ(pages.size(), 1u);  // its folder of pages

  // The records as the killed host left them, one a line.
  std::vector<std::string> records;
  for (const std::string& name : entries(home_ / "run/work-items"))
    records.push_back(home_ / ("run/work-items/" + name));
  const auto recordOf = [&](const std::string& item) {
    for (const std::string& record : records) {
      if (foundation::readFile(record).data.find("/" + item + "\"") != std::string::npos) return record;
    }
    return std::string();
  };
  const std::string workRecord = recordOf(work[0]);
  ASSERT_FALSE(workRecord.empty());

  // A copy of the work file's record changed to name a user's file of that name in another folder.
  std::string text = foundation::readFile(workRecord).data;
  const std::string realOut = std::filesystem::canonical(killedOut).string();
  text.replace(text.find(realOut), realOut.size(), std::filesystem::canonical(docs).string());
  ASSERT_TRUE(foundation::writeFileAtomically(home_ / "run/work-items/planted.json", text));
  ASSERT_TRUE(foundation::writeFileAtomically(docs + "/" + work[0], "the user's"));
  // The pages folder's record made a link to a record kept elsewhere.
  const std::string pagesRecord = recordOf(pages[0]);
  ASSERT_FALSE(pagesRecord.empty());
  std::filesystem::rename(pagesRecord, home_ / "elsewhere.json");
  std::filesystem::create_symlink(home_ / "elsewhere.json", pagesRecord);
  // The output folder moved, a link to it in its place.
  std::filesystem::rename(killedOut, killedOut + "-moved");
  std::filesystem::create_symlink(killedOut + "-moved", killedOut);

  // A host that still plots while the next one starts.
  std::filesystem::remove(go());
  const std::unique_ptr<InteractiveProgram> running = host(kModel);
  choose(*running, true, runningOut + "/site.pdf");
  holdOn(*running, 2);
  running->writeLine("@click batchPrintPanel export");
  ASSERT_TRUE(running->waitForOutput("PROBE paused on page 2")) << running->output();
  const std::vector<std::string> runningWork = entries(runningOut);
  ASSERT_EQ(runningWork.size(), 1u);

  startAgain();
  EXPECT_EQ(foundation::readFile(docs + "/" + work[0]).data, "the user's");
  EXPECT_EQ(entries(killedOut + "-moved"), work);
  EXPECT_TRUE(foundation::isDirectory(home_ / ("tmp/" + pages[0])));
  EXPECT_EQ(entries(runningOut), runningWork);

  release();
  EXPECT_TRUE(running->waitForOutput("DUZOZAREDEXEC=PASS")) << running->output();
  running->writeLine("QUIT");
  EXPECT_EQ(running->wait(), 0) << running->output();
  EXPECT_EQ(entries(runningOut), std::vector<std::string>{"site.pdf"});
}
