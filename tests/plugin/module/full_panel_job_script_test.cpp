// The product's main job in cadhost, as a person does it: QUODL opens the full panel, the person chooses split
// or merged output, a folder and a name template, runs the preflight and starts; the PDFs come out named by the
// template, a page per sheet at its paper. A plot cancelled halfway from its progress window resumes with only
// the rest; a host killed inside a page offers the job again after a restart and completes it with every page
// once; one sheet is previewed, and the unload deletes the preview.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "cadhost_run.h"
#include "foundation/files.h"
#include "foundation/format.h"
#include "graphics/pdf_document.h"
#include "interactive_program.h"
#include "layout_papers.h"
#include "test_files.h"

namespace {

const std::string kLayouts = std::string(QUODL_SAMPLES) + "/layouts-frames.dxf";
const std::string kModel = std::string(QUODL_SAMPLES) + "/model-a1-grid-1to100.dxf";
const std::string kOversized = std::string(QUODL_SAMPLES) + "/oversized-layout.dxf";

struct PageSize {
  double width = 0;
  double height = 0;
};

// Each page's size in millimetres.
std::vector<PageSize> pageSizes(const std::string& file) {
  std::vector<PageSize> sizes;
  const std::unique_ptr<graphics::PdfDocument> document = graphics::PdfDocument::open(file);
  if (!document) return sizes;
  for (std::size_t i = 1; i <= document->pageCount(); ++i) {
    const graphics::PdfRect box = document->page(i)->boxRect(graphics::PdfBox::media);
    sizes.push_back({std::round(box.width * 25.4 / 72), std::round(box.height * 25.4 / 72)});
  }
  return sizes;
}

std::vector<std::string> pdfsIn(const std::string& folder) {
  std::vector<std::string> names;
  if (!foundation::isDirectory(folder)) return names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() == ".pdf") names.push_back(entry.path().filename());
  }
  std::sort(names.begin(), names.end());
  return names;
}

long changedAt(const std::string& file) {
  struct stat info {};
  return ::stat(file.c_str(), &info) == 0 ? info.st_mtim.tv_sec * 1000000000L + info.st_mtim.tv_nsec : -1;
}

class FullPanelJobScriptTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* folder : {".config/quodline/defaults", "tmp", "data", "out/split", "out/merged"}) {
      ASSERT_TRUE(foundation::createDirectory(home_ / folder, true));
    }
    ASSERT_TRUE(foundation::writeFileAtomically(home_ / ".config/quodline/defaults/standard.json",
                                                R"({"Quodline.Language": "zh"})"));
  }

  RunOptions options() const {
    RunOptions o;
    o.environment = {{"HOME", home_.path()},
                     {"XDG_CONFIG_HOME", home_ / ".config"},
                     {"XDG_DATA_HOME", home_ / "data"},
                     {"TMPDIR", home_ / "tmp"}};
    return o;
  }

  CadhostRun run(const std::string& script, const std::string& drawing) const {
    EXPECT_TRUE(foundation::writeFileAtomically(home_ / "script.txt", script));
    return runProgram(QUODL_CADHOST,
                      {"--no-autoload", "--load", QUODL_PROBE, "--load", QUODL_MODULE, "--script", home_ / "script.txt",
                       drawing},
                      "", options());
  }

  static void expectEveryLineWorked(const CadhostRun& r) {
    ASSERT_EQ(r.exitStatus, 0) << r.output;
    for (const char* failure : {"No window", "No view", "\" shows \"", "Usage:", "Unknown", "is hidden", "is covered",
                                "not showing", "waits for an @ line", "DUZOZAREDEXEC=FAIL"}) {
      EXPECT_EQ(r.output.find(failure), std::string::npos) << failure << "\n" << r.output;
    }
  }

  // The panel's choices for one PDF per sheet into `folder`, named by the template.
  static std::string splitInto(const std::string& folder) {
    return "@choose batchPrintPanel outputMode \"#2\"\n"
           "@choose batchPrintPanel location \"#6\"\n"
           "@file \"" + folder + "\"\n"
           "@click batchPrintPanel browse\n"
           "@click batchPrintPanel moreSettings\n"
           "@type batchPrintPanel name \"{序号}-{页面}\"\n";
  }

  ScratchHome home_;
};

TEST_F(FullPanelJobScriptTest, ThePanelPlotsEverySheetSplitAndMergedAtItsPaper) {
  const std::string png = home_ / "out/panel.png";
  std::string script = "QUODL\n@choose batchPrintPanel scope \"#2\"\n";
  script += splitInto(home_ / "out/split");
  script += "@click batchPrintPanel preflight\n@alert 确定\n@click batchPrintPanel export\n";
  script += "QUODL\n@choose batchPrintPanel outputMode \"#1\"\n";
  script += "@file \"" + home_ / "out/merged/site.pdf" + "\"\n@click batchPrintPanel browse\n";
  script += "@click batchPrintPanel export\nQUODL\n@render batchPrintPanel \"" + png + "\"\nQUIT\n";
  const CadhostRun r = run(script, kLayouts);
  expectEveryLineWorked(r);
  EXPECT_NE(r.output.find("Alert: 任务预检完成 — 页面：3 页，单页 PDF，纸张 A3、A4"), std::string::npos) << r.output;

  const std::vector<std::string> split = pdfsIn(home_ / "out/split");
  ASSERT_EQ(split, (std::vector<std::string>{"001-A3 Block 图框 01.pdf", "002-A3 Polylines 图框 01.pdf",
                                             "003-A4 Portrait 图框 01.pdf"}))
      << r.output;
  const PageSize a3{420, 297};
  const PageSize a4{210, 297};
  const std::vector<PageSize> expected = {a3, a3, a4};
  for (std::size_t i = 0; i < split.size(); ++i) {
    const std::vector<PageSize> sizes = pageSizes(home_ / ("out/split/" + split[i]));
    ASSERT_EQ(sizes.size(), 1u) << split[i];
    EXPECT_EQ(sizes[0].width, expected[i].width) << split[i];
    EXPECT_EQ(sizes[0].height, expected[i].height) << split[i];
  }
  const std::vector<PageSize> merged = pageSizes(home_ / "out/merged/site.pdf");
  ASSERT_EQ(merged.size(), 3u) << r.output;
  for (std::size_t i = 0; i < merged.size(); ++i) {
    EXPECT_EQ(merged[i].width, expected[i].width) << i;
    EXPECT_EQ(merged[i].height, expected[i].height) << i;
  }
  EXPECT_TRUE(foundation::isRegularFile(png));
  std::cout << "[ main job ] " << png << "\n";
}

// A whole layout on every kind of paper, exported from the panel: its page is the smallest medium that holds
// the layout, at 1:1 (its lines run corner to corner of the paper, so their ink covers the paper's size), or the
// job fails with the reason and writes nothing.
TEST_F(FullPanelJobScriptTest, AWholeLayoutIsPlottedOnTheSmallestMediumThatHoldsItOrRefusedWithItsReason) {
  const std::string out = home_ / "out/split";
  for (const LayoutPaper& paper : layoutPapers()) {
    SCOPED_TRACE(paper.what);
    const std::string drawing = home_ / "paper.dxf";
    ASSERT_TRUE(foundation::writeFileAtomically(drawing, layoutPaperDrawing(paper.width, paper.height)));
    std::filesystem::remove_all(out);
    ASSERT_TRUE(foundation::createDirectory(out, true));
    const CadhostRun r = run("QUODL\n" + splitInto(out) + "@click batchPrintPanel export\nQUIT\n", drawing);
    ASSERT_EQ(r.exitStatus, 0) << r.output;
    const std::vector<std::string> pdfs = pdfsIn(out);
    const std::string size = paperSizeText(paper.width, paper.height);
    switch (paper.outcome) {
      case LayoutPaper::Outcome::kPlotted: {
        EXPECT_NE(r.output.find("DUZOZAREDEXEC=PASS"), std::string::npos) << r.output;
        ASSERT_EQ(pdfs.size(), 1u) << r.output;
        const std::vector<PlottedPage> pages = plottedPages(out + "/" + pdfs[0]);
        ASSERT_EQ(pages.size(), 1u);
        EXPECT_NEAR(pages[0].width, paper.pageWidth, 1);
        EXPECT_NEAR(pages[0].height, paper.pageHeight, 1);
        EXPECT_NEAR(pages[0].inkWidth, paper.width, 3);
        EXPECT_NEAR(pages[0].inkHeight, paper.height, 3);
        break;
      }
      case LayoutPaper::Outcome::kTooLarge:
        EXPECT_NE(r.output.find("error=No PDF medium holds the whole layout at 1:1 (" + size + "): Sheet"),
                  std::string::npos)
            << r.output;
        EXPECT_TRUE(pdfs.empty());
        break;
      case LayoutPaper::Outcome::kDamaged:
        EXPECT_NE(r.output.find("error=Damaged layout paper (" + size + "): Sheet"), std::string::npos) << r.output;
        EXPECT_TRUE(pdfs.empty());
        break;
    }
  }
}

TEST_F(FullPanelJobScriptTest, APlotCancelledHalfwayResumesWithOnlyTheRest) {
  const std::string out = home_ / "out/split";
  std::string script = "QUODL\n" + splitInto(out) + "@click batchPrintPanel export\n";
  script += "@wait printProgress printProgressStage \"正在输出第 4 / 7 页\"\n@click printProgress cancelPrinting\n";
  script += "QUODL\n@wait batchPrintPanel status \"发现未完成任务：已完成 3 / 7 页，剩余 4 页。\"\n";
  script += "QUIT\n";
  const CadhostRun cancelled = run(script, kModel);
  ASSERT_EQ(cancelled.exitStatus, 0) << cancelled.output;
  EXPECT_NE(cancelled.output.find("DUZOZAREDEXEC=FAIL"), std::string::npos) << cancelled.output;
  const std::vector<std::string> done = pdfsIn(out);
  ASSERT_EQ(done.size(), 3u) << cancelled.output;
  std::map<std::string, long> before;
  for (const std::string& name : done) before[name] = changedAt(out + "/" + name);

  // In a new session on the same drawing: the panel offers the rest, and resuming plots only that.
  const CadhostRun resumed = run(
      "QUODL\n@wait batchPrintPanel status \"发现未完成任务：已完成 3 / 7 页，剩余 4 页。\"\n"
      "@click batchPrintPanel resume\nQUIT\n",
      kModel);
  expectEveryLineWorked(resumed);
  EXPECT_NE(resumed.output.find("DUZOZAREDEXEC=PASS"), std::string::npos) << resumed.output;
  const std::vector<std::string> all = pdfsIn(out);
  ASSERT_EQ(all.size(), 7u) << resumed.output;
  for (const auto& [name, at] : before) EXPECT_EQ(changedAt(out + "/" + name), at) << name << " was plotted again";
  for (const std::string& name : all) EXPECT_EQ(pageSizes(out + "/" + name).size(), 1u) << name;
}

TEST_F(FullPanelJobScriptTest, AHostKilledInsideAPageOffersTheJobAgainAndItCompletesWithEveryPageOnce) {
  const std::string out = home_ / "out/split";
  {
    InteractiveProgram host(QUODL_CADHOST, {"--no-autoload", "--load", QUODL_PROBE, "--load", QUODL_MODULE, kModel},
                            options());
    host.writeLine("QUODL");
    std::string choices = splitInto(out);
    for (std::size_t start = 0, end; (end = choices.find('\n', start)) != std::string::npos; start = end + 1) {
      host.writeLine(choices.substr(start, end - start));
    }
    host.writeLine("QDLPROBEHANG");
    host.writeLine("5");
    host.writeLine("@click batchPrintPanel export");
    ASSERT_TRUE(host.waitForOutput("PROBE hanging on page 5")) << host.output();
    host.kill();
  }
  std::vector<std::string> done = pdfsIn(out);
  // The host's claim on the file of the page it died in may stay, empty; the four before it are whole.
  done.erase(std::remove_if(done.begin(), done.end(),
                            [&](const std::string& name) { return foundation::readFile(out + "/" + name).data.empty(); }),
             done.end());
  ASSERT_EQ(done.size(), 4u);

  const CadhostRun resumed = run(
      "QUODL\n@wait batchPrintPanel status \"发现未完成任务：已完成 4 / 7 页，剩余 3 页。\"\n"
      "@click batchPrintPanel resume\nQUIT\n",
      kModel);
  expectEveryLineWorked(resumed);
  std::vector<std::string> all = pdfsIn(out);
  all.erase(std::remove_if(all.begin(), all.end(),
                           [&](const std::string& name) { return foundation::readFile(out + "/" + name).data.empty(); }),
            all.end());
  ASSERT_EQ(all.size(), 7u) << resumed.output;
  // Every sheet once: each index appears in one file only, with one page.
  for (std::size_t i = 0; i < all.size(); ++i) {
    EXPECT_TRUE(all[i].starts_with(foundation::format("%03lu-", i + 1))) << all[i];
    EXPECT_EQ(pageSizes(out + "/" + all[i]).size(), 1u) << all[i];
  }
}

// The preview is a temporary PDF for as long as the plug-in is loaded: unloading it deletes the file.
TEST_F(FullPanelJobScriptTest, TheHighlightedSheetIsPreviewedInATemporaryPdfThatTheUnloadDeletes) {
  InteractiveProgram host(QUODL_CADHOST, {"--no-autoload", "--load", QUODL_PROBE, "--load", QUODL_MODULE, kModel},
                          options());
  for (const char* line : {"QUODL", "@click batchPrintPanel order-2", "@click batchPrintPanel preview"}) {
    host.writeLine(line);
  }
  ASSERT_TRUE(host.waitForOutput("DUZOZAREDPREVIEW=PASS")) << host.output();
  const auto previews = [&] {
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(home_ / "tmp")) {
      const std::string name = entry.path().filename();
      if (name.starts_with("CAD批打预览-") && name.ends_with(".pdf")) found.push_back(entry.path());
    }
    return found;
  };
  const std::vector<std::string> shown = previews();
  ASSERT_EQ(shown.size(), 1u) << host.output();
  EXPECT_EQ(pageSizes(shown[0]).size(), 1u);
  EXPECT_TRUE(pdfsIn(home_ / "out/split").empty());

  host.writeLine("UNLOAD");
  host.writeLine("QUIT");
  ASSERT_EQ(host.wait(), 0) << host.output();
  EXPECT_TRUE(previews().empty()) << host.output();
}

// Each request runs the drawing command it names; the pick is answered on the command line as a person answers
// it, and the panel comes back (through the return window after locating and marking) with the rows the pick
// leaves. Each state is rendered into the build tree.
TEST_F(FullPanelJobScriptTest, EachPickingRequestComesBackToThePanelWithTheRowsItLeaves) {
  const std::string out = std::string(QUODL_RENDERINGS_DIR) + "/full-panel-requests";
  ASSERT_TRUE(foundation::createDirectory(out, true));
  std::vector<std::string> pngs;
  std::string script = "CTAB\nOversized\nQUODL\n@wait batchPrintPanel tile1Value 5\n";
  const auto step = [&](const std::string& request, const std::string& answer, const std::string& view,
                        const std::string& shows, const std::string& state) {
    script += "@click batchPrintPanel " + request + "\n" + answer;
    script += "@wait batchPrintPanel " + view + " \"" + shows + "\"\n";
    pngs.push_back(out + "/" + state + ".png");
    script += "@render batchPrintPanel \"" + pngs.back() + "\"\n";
  };
  step("pickLayer", "63\n", "recognitionStatus", "选择图层：FRAME", "01-frame-layer");
  step("automatic", "", "tile1Value", "5", "02-automatic");
  step("pickFrames", "49 4C 49\n", "tile1Value", "2", "03-picked-frames");
  step("pickBlock", "61\n", "recognitionStatus", "选择图块：TK-A4", "04-frame-block");
  step("automatic", "", "tile1Value", "5", "05-automatic");
  step("range", "0,0\n900,320\n", "tile1Value", "2", "06-range");
  step("clearRange", "", "tile1Value", "5", "07-range-cleared");
  step("add", "10,10\n200,150\n", "layout-6", "手动图框 01", "08-manual-frame");
  // Locating and marking show the drawing with the return window, whose button brings the panel back.
  script += "@click batchPrintPanel order-6\n@click batchPrintPanel focus\n";
  pngs.push_back(out + "/09-located.png");
  script += "@render batchPrintReturn \"" + pngs.back() + "\"\n@click batchPrintReturn returnToBatchPanel\n";
  script += "@click batchPrintPanel showRanges\n";
  pngs.push_back(out + "/10-marked.png");
  script += "@render batchPrintReturn \"" + pngs.back() + "\"\n@click batchPrintReturn returnToBatchPanel\n";
  script += "@wait batchPrintPanel tile1Value 6\nQUIT\n";
  const CadhostRun r = run(script, kOversized);
  expectEveryLineWorked(r);
  EXPECT_NE(r.output.find("已定位并用红框临时高亮"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("DUZOZAREDSHOWRANGES shown=6 hidden=0"), std::string::npos) << r.output;
  for (const std::string& png : pngs) {
    EXPECT_TRUE(foundation::isRegularFile(png)) << png;
    std::cout << "[ full panel requests ] " << png << "\n";
  }
}

}  // namespace
