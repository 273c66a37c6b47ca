// The drawing-file queue's run in cadhost, as a person does it: DUZOZAREDFILES opens the queue, a folder tree of
// 50 drawings is searched (names with blanks and Chinese, one name in two folders, three damaged, one open in the
// host, one read-only), the open one is closed when the start lists it, and the run goes in each output mode.
// Every good drawing's sheets end in PDFs at their papers under the names the run gives; the damaged ones fail
// with their reason and the run goes on; the user's drawing is in front again; the summary says it all. A host
// killed in the middle leaves every finished PDF whole; an unload asked for meanwhile is refused; a merged run
// ends in one PDF, and a link planted in its run folder is neither followed nor removed.
#include <gtest/gtest.h>

#include <signal.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <vector>

#include "cadhost_run.h"
#include "foundation/files.h"
#include "foundation/paths.h"
#include "interactive_program.h"
#include "temp_folder.h"
#include "test_files.h"

namespace {

namespace fs = std::filesystem;
using Papers = std::vector<std::pair<long, long>>;

std::string quoted(const std::string& path) { return "'" + path + "'"; }

// What a command prints.
std::string commandOutput(const std::string& command) {
  std::string out;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return out;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
  ::pclose(pipe);
  return out;
}

// Each page's size in whole millimetres, as pdfinfo reads it.
Papers pdfinfoPapers(const std::string& pdf) {
  Papers papers;
  const std::string info = commandOutput("pdfinfo -f 1 -l 10000 " + quoted(pdf) + " 2>/dev/null");
  for (std::size_t at = info.find("size: "); at != std::string::npos; at = info.find("size: ", at + 1)) {
    double width = 0, height = 0;
    if (std::sscanf(info.c_str() + at, "size: %lf x %lf pts", &width, &height) != 2) continue;
    papers.emplace_back(std::lround(width * 25.4 / 72), std::lround(height * 25.4 / 72));
  }
  return papers;
}

bool qpdfChecks(const std::string& pdf) {
  return std::system(("qpdf --check " + quoted(pdf) + " > /dev/null 2>&1").c_str()) == 0;
}

std::vector<std::string> entries(const std::string& folder) {
  std::vector<std::string> names;
  if (!fs::is_directory(fs::symlink_status(folder))) return names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

// The one run folder a run made in `out`.
std::string runFolderIn(const std::string& out) {
  const std::vector<std::string> made = entries(out);
  if (made.size() != 1 || made.front().rfind("Ferrolin-Batch-", 0) != 0) return {};
  return out + "/" + made.front();
}

struct Drawing {
  std::string path;  // full
  Papers layout, model;
  bool damaged = false;
  std::string name;  // the run's name for it
};

// The tree make_queue_drawings.py writes, once for the test program; the drawings in row order (the search's:
// byte order of their paths), with the names the run gives them.
class Tree {
 public:
  static const Tree& get() {
    static const Tree tree;
    return tree;
  }
  bool ok = false;
  std::string root;     // the folder the person chooses
  std::string openOne;  // open in the host when the run starts
  std::vector<Drawing> drawings;

 private:
  Tree() : folder_("quodl-queue-tree") {
    const std::string top = fs::canonical(folder_.path()).string();
    if (std::system(("/usr/bin/python3 " + quoted(QUEUE_DRAWINGS_SCRIPT) + " tree " + quoted(top)).c_str()) != 0) {
      return;
    }
    root = top + "/drawings";
    const nlohmann::json expected = nlohmann::json::parse(foundation::readFile(top + "/expected.json").data);
    auto papers = [](const nlohmann::json& list) {
      Papers out;
      for (const auto& p : list) out.emplace_back(p[0].get<long>(), p[1].get<long>());
      return out;
    };
    for (const auto& good : expected["good"]) {
      drawings.push_back(
          {root + "/" + good["path"].get<std::string>(), papers(good["layout"]), papers(good["model"]), false, {}});
    }
    for (const auto& damaged : expected["damaged"]) {
      drawings.push_back({root + "/" + damaged.get<std::string>(), {}, {}, true, {}});
    }
    openOne = root + "/" + expected["open"].get<std::string>();
    std::sort(drawings.begin(), drawings.end(), [](const Drawing& a, const Drawing& b) { return a.path < b.path; });
    std::set<std::string> used;
    for (Drawing& d : drawings) {
      const std::string base = fs::path(d.path).stem().string();
      auto key = [](std::string text) {
        for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return text;
      };
      d.name = base;
      for (int n = 2; used.count(key(d.name)) != 0; ++n) d.name = base + " (" + std::to_string(n) + ")";
      used.insert(key(d.name));
    }
    ok = drawings.size() == 50;
  }
  TempFolder folder_;
};

const std::string kOrigin = std::string(QUODL_SAMPLES) + "/layouts-frames.dxf";
const char* const kModes[] = {"单张 PDF（按文件建文件夹）", "按 CAD 文件分别合并", "全部合并为一个 PDF"};

class QueueRunScriptTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Tree::get().ok) << "make_queue_drawings.py could not write the tree";
    for (const char* folder : {".config/quodline/defaults", "tmp", "data", "out"}) {
      ASSERT_TRUE(foundation::createDirectory(home_ / folder, true));
    }
    ASSERT_TRUE(foundation::writeFileAtomically(home_ / ".config/quodline/defaults/standard.json",
                                                R"({"Quodline.Language": "zh"})"));
    out_ = fs::canonical(home_ / "out").string();
  }

  RunOptions options() const {
    RunOptions o;
    o.environment = {{"HOME", home_.path()},
                     {"XDG_CONFIG_HOME", home_ / ".config"},
                     {"XDG_DATA_HOME", home_ / "data"},
                     {"TMPDIR", home_ / "tmp"},
                     {"XDG_RUNTIME_DIR", home_ / "run"}};
    return o;
  }

  // The person opens the queue, adds the folders (with subfolders), chooses the mode, the space and the output
  // folder; the start follows.
  std::string choices(const std::vector<std::string>& folders, int mode, bool modelSpace, std::size_t rows) const {
    std::string lines = "DUZOZAREDFILES\n@click fileQueuePanel recursive\n";
    for (const std::string& folder : folders) {
      lines += "@file \"" + folder + "\"\n@click fileQueuePanel addFolder\nDELAY\n1500\n";
    }
    lines += "@wait fileQueuePanel status \"" + std::to_string(rows) + " 个 DWG\"\n";
    lines += std::string("@choose fileQueuePanel outputMode \"") + kModes[mode] + "\"\n";
    lines += std::string("@choose fileQueuePanel sourceMode ") + (modelSpace ? "模型空间" : "全部布局") + "\n";
    lines += "@file \"" + out_ + "\"\n@click fileQueuePanel chooseOutput\n";
    return lines;
  }

  static void expectEveryLineWorked(const std::string& output) {
    for (const char* failure : {"No window", "No view", "\" shows \"", "Usage:", "Unknown", "waits for an @ line",
                                "failed:", "Queued work failed", "Application-context work failed"}) {
      EXPECT_EQ(output.find(failure), std::string::npos) << failure << "\n" << output;
    }
  }

  ScratchHome home_;
  std::string out_;
};

class QueueRunModes : public QueueRunScriptTest, public ::testing::WithParamInterface<int> {};

TEST_P(QueueRunModes, EveryGoodDrawingEndsInVerifiedPdfsAtItsPapersAndTheDamagedOnesFailAlone) {
  const Tree& tree = Tree::get();
  const int mode = GetParam();
  // Separate sheets and the merged run plot the layouts; one PDF per drawing plots the model-space frames.
  const bool modelSpace = mode == 1;
  const std::string png = std::string(QUODL_RENDERINGS_DIR) + "/queue-run-mode-" + std::to_string(mode) + ".png";
  fs::create_directories(QUODL_RENDERINGS_DIR);
  std::string script = choices({tree.root}, mode, modelSpace, 50);
  // The start lists the drawing open in the host; the person goes back, closes it and starts again. (A command
  // line after the clicks keeps the next "@" lines from acting while the start or the run pumps events.)
  script += "@click fileQueuePanel startButton\n@alert 返回列表\nDELAY\n0\n";
  script += "@close \"" + tree.openOne + "\"\n@click fileQueuePanel startButton\nDELAY\n0\n";
  script += "@render fileQueuePanel \"" + png + "\"\n@read fileQueuePanel queueTable\n@read fileQueuePanel status\n";
  script += "DWGNAME\n\nQUIT\n";
  ASSERT_TRUE(foundation::writeFileAtomically(home_ / "script.txt", script));
  const CadhostRun run = runProgram(
      QUODL_CADHOST, {"--no-autoload", "--load", QUODL_MODULE, "--script", home_ / "script.txt", tree.openOne, kOrigin},
      "", options());
  ASSERT_EQ(run.exitStatus, 0) << run.output;
  expectEveryLineWorked(run.output);
  EXPECT_NE(run.output.find("请先关闭已打开的图纸"), std::string::npos) << "the start listed the open drawing";
  // The host says why each damaged drawing cannot be read.
  for (const char* reason : {"empty.dwg\": the file is empty", "binary.dwg\": ", "cut short.dwg\": line "}) {
    EXPECT_NE(run.output.find(reason), std::string::npos) << reason;
  }
  // The user's drawing is in front again.
  EXPECT_NE(run.output.find("Enter new value for DWGNAME <\"layouts-frames.dxf\">"), std::string::npos) << run.output;

  const std::vector<std::vector<std::string>> rows = rowsIn(run.output);
  ASSERT_EQ(rows.size(), tree.drawings.size()) << run.output;
  const std::string folder = runFolderIn(out_);
  ASSERT_FALSE(folder.empty()) << run.output;
  std::vector<std::string> expectedEntries;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const Drawing& d = tree.drawings[i];
    SCOPED_TRACE(d.path);
    ASSERT_EQ(rows[i].size(), 5u);
    EXPECT_EQ(rows[i][1], fs::path(d.path).filename().string());
    if (d.damaged) {
      EXPECT_EQ(rows[i][3], "失败");
      // The host's reason, in the row as on the command line.
      EXPECT_EQ(rows[i][4].rfind("只读打开失败：", 0), 0u) << rows[i][4];
      EXPECT_GT(rows[i][4].size(), std::string("只读打开失败：").size()) << rows[i][4];
      continue;
    }
    const Papers& papers = modelSpace ? d.model : d.layout;
    if (mode == 0) {
      expectedEntries.push_back(d.name);
      EXPECT_EQ(rows[i][3], "完成");
      std::vector<std::string> sheets;
      for (std::size_t k = 0; k < papers.size(); ++k) {
        char name[32];
        std::snprintf(name, sizeof name, "%04zu.pdf", k + 1);
        sheets.push_back(name);
        EXPECT_EQ(pdfinfoPapers(folder + "/" + d.name + "/" + name), Papers{papers[k]}) << name;
      }
      EXPECT_EQ(entries(folder + "/" + d.name), sheets);
    } else if (mode == 1) {
      expectedEntries.push_back(d.name + ".pdf");
      EXPECT_EQ(rows[i][3], "完成");
      EXPECT_EQ(pdfinfoPapers(folder + "/" + d.name + ".pdf"), papers);
    } else {
      // With drawings that failed there is no combined PDF: each drawing keeps its own, and says why.
      expectedEntries.push_back(d.name);
      EXPECT_EQ(rows[i][3], "部分完成");
      EXPECT_NE(rows[i][4].find("部分文件未完成，未生成全部合并 PDF"), std::string::npos) << rows[i][4];
      EXPECT_EQ(pdfinfoPapers(folder + "/" + d.name + "/" + d.name + ".pdf"), papers);
    }
  }
  std::sort(expectedEntries.begin(), expectedEntries.end());
  EXPECT_EQ(entries(folder), expectedEntries);
  // One name in two folders, a PDF each.
  EXPECT_TRUE(std::find(expectedEntries.begin(), expectedEntries.end(), mode == 1 ? "Plan (2).pdf" : "Plan (2)") !=
              expectedEntries.end());
  EXPECT_NE(run.output.find(mode == 2 ? "status: 部分文件未完成，未生成全部合并 PDF；已完成结果保留在各文件夹。"
                                      : "status: 完成 47 · 部分 0 · 失败 3 · 跳过 0 · 未完成 0"),
            std::string::npos)
      << run.output;
  std::cout << "[ queue run ] " << png << "\n";
}

INSTANTIATE_TEST_SUITE_P(OutputModes, QueueRunModes, ::testing::Values(0, 1, 2));

// The drawings of one folder of the tree, in row order.
std::vector<const Drawing*> inFolder(const std::string& folder) {
  std::vector<const Drawing*> picked;
  for (const Drawing& d : Tree::get().drawings) {
    if (d.path.find("/" + folder + "/") != std::string::npos) picked.push_back(&d);
  }
  return picked;
}

TEST_F(QueueRunScriptTest, AMergedRunEndsInOnePdfAndALinkPlantedInItsFolderIsNeitherFollowedNorRemoved) {
  const Tree& tree = Tree::get();
  const std::vector<const Drawing*> drawings = inFolder("B区");
  const std::string outside = fs::canonical(home_.path()).string() + "/outside";
  ASSERT_TRUE(foundation::createDirectory(outside + "/inner", true));
  ASSERT_TRUE(foundation::writeFileAtomically(outside + "/keep.pdf", "the user's"));
  const std::string resume = home_ / "resume";

  InteractiveProgram host(QUODL_CADHOST, {"--no-autoload", "--load", QUODL_PROBE, "--load", QUODL_MODULE, kOrigin},
                          options());
  // Paused in the third sheet, when the first drawings' folders stand in the run folder.
  host.writeLine("QDLPROBEPAUSE");
  host.writeLine(resume);
  host.writeLine("3");
  const std::string lines = choices({tree.root + "/B区"}, 2, false, drawings.size());
  for (std::size_t start = 0, end; (end = lines.find('\n', start)) != std::string::npos; start = end + 1) {
    host.writeLine(lines.substr(start, end - start));
  }
  host.writeLine("@click fileQueuePanel startButton");
  ASSERT_TRUE(host.waitForOutput("PROBE paused on page 3")) << host.output();
  const std::string folder = runFolderIn(out_);
  ASSERT_FALSE(folder.empty());
  fs::create_directory_symlink(outside, folder + "/planted");
  fs::create_symlink(outside + "/keep.pdf", folder + "/planted.pdf");
  ASSERT_TRUE(foundation::writeFileAtomically(resume, ""));
  host.writeLine("@read fileQueuePanel queueTable");
  host.writeLine("@read fileQueuePanel status");
  host.writeLine("QUIT");
  ASSERT_EQ(host.wait(), 0) << host.output();
  expectEveryLineWorked(host.output());

  const std::string combined = folder + "/全部合并.pdf";
  EXPECT_EQ(entries(folder), (std::vector<std::string>{"planted", "planted.pdf", "全部合并.pdf"}));
  Papers all;
  for (const Drawing* d : drawings) all.insert(all.end(), d->layout.begin(), d->layout.end());
  EXPECT_EQ(pdfinfoPapers(combined), all);
  EXPECT_TRUE(qpdfChecks(combined));
  EXPECT_EQ(entries(outside), (std::vector<std::string>{"inner", "keep.pdf"}));
  EXPECT_EQ(foundation::readFile(outside + "/keep.pdf").data, "the user's");
  const std::vector<std::vector<std::string>> rows = rowsIn(host.output());
  ASSERT_EQ(rows.size(), drawings.size());
  for (const auto& row : rows) {
    EXPECT_EQ(row[3], "完成");
    EXPECT_EQ(row[4], combined);
  }
  EXPECT_NE(host.output().find("status: 完成 " + std::to_string(drawings.size()) + " · 部分 0 · 失败 0"),
            std::string::npos);
}

TEST_F(QueueRunScriptTest, AHostKilledInTheMiddleOfARunLeavesEveryFinishedPdfWholeAndNoPartOneUnderAnOutputName) {
  const Tree& tree = Tree::get();
  {
    InteractiveProgram host(QUODL_CADHOST, {"--no-autoload", "--load", QUODL_PROBE, "--load", QUODL_MODULE, kOrigin},
                            options());
    host.writeLine("QDLPROBEHANG");
    host.writeLine("8");
    const std::string lines = choices({tree.root + "/A 区"}, 0, false, inFolder("A 区").size());
    for (std::size_t start = 0, end; (end = lines.find('\n', start)) != std::string::npos; start = end + 1) {
      host.writeLine(lines.substr(start, end - start));
    }
    host.writeLine("@click fileQueuePanel startButton");
    ASSERT_TRUE(host.waitForOutput("PROBE hanging on page 8")) << host.output();
    ASSERT_EQ(::kill(host.processIdentifier(), SIGKILL), 0);
    host.wait();
    EXPECT_EQ(host.endSignal(), SIGKILL);
  }
  const std::string folder = runFolderIn(out_);
  ASSERT_FALSE(folder.empty());
  std::size_t whole = 0;
  for (const std::string& drawingFolder : entries(folder)) {
    for (const std::string& name : entries(folder + "/" + drawingFolder)) {
      const std::string file = folder + "/" + drawingFolder + "/" + name;
      // A work file beside an output may stay; under an output's name there is only a whole PDF.
      const bool outputName = name.size() == 8 && name.ends_with(".pdf") && name.find_first_not_of("0123456789") == 4;
      if (!outputName) continue;
      EXPECT_TRUE(qpdfChecks(file)) << file;
      EXPECT_EQ(pdfinfoPapers(file).size(), 1u) << file;
      ++whole;
    }
  }
  // Seven sheets were plotted before the host died in the eighth.
  EXPECT_EQ(whole, 7u);
}

// Killed in its first page, in each output mode, a run has written no PDF: the next start leaves nothing of it,
// neither its work files nor its run and drawing folders; the user's file beside them stays.
TEST_F(QueueRunScriptTest, ARunKilledBeforeItsFirstPdfLeavesNoFolderAfterTheNextStart) {
  const Tree& tree = Tree::get();
  ASSERT_TRUE(foundation::writeFileAtomically(out_ + "/mine.pdf", "the user's"));
  for (const int mode : {0, 1, 2}) {
    {
      InteractiveProgram host(QUODL_CADHOST, {"--no-autoload", "--load", QUODL_PROBE, "--load", QUODL_MODULE, kOrigin},
                              options());
      host.writeLine("QDLPROBEHANG");
      host.writeLine("1");
      const std::string lines = choices({tree.root + "/A 区"}, mode, false, inFolder("A 区").size());
      for (std::size_t start = 0, end; (end = lines.find('\n', start)) != std::string::npos; start = end + 1) {
        host.writeLine(lines.substr(start, end - start));
      }
      host.writeLine("@click fileQueuePanel startButton");
      ASSERT_TRUE(host.waitForOutput("PROBE hanging on page 1")) << host.output();
      ASSERT_EQ(::kill(host.processIdentifier(), SIGKILL), 0);
      host.wait();
    }
    EXPECT_EQ(entries(out_).size(), 2u) << "mode " << mode;  // the run's folder beside the user's file
    const CadhostRun next =
        runProgram(QUODL_CADHOST, {"--no-autoload", "--load", QUODL_MODULE, kOrigin}, "QUIT\n", options());
    EXPECT_EQ(next.exitStatus, 0) << next.output;
    EXPECT_EQ(entries(out_), std::vector<std::string>{"mine.pdf"}) << "mode " << mode;
    EXPECT_EQ(foundation::readFile(out_ + "/mine.pdf").data, "the user's");
    EXPECT_TRUE(entries(home_ / "run/work-items").empty()) << "mode " << mode;
  }
}

TEST_F(QueueRunScriptTest, AnUnloadAskedForDuringARunIsRefusedAndTheRunGoesOn) {
  const Tree& tree = Tree::get();
  std::string script = "QDLPROBEUNLOAD\n2\n";
  script += choices({tree.root + "/深 层"}, 1, false, 5);
  script += "@click fileQueuePanel startButton\nDELAY\n0\n@read fileQueuePanel status\nQUIT\n";
  ASSERT_TRUE(foundation::writeFileAtomically(home_ / "script.txt", script));
  const CadhostRun run = runProgram(
      QUODL_CADHOST,
      {"--no-autoload", "--load", QUODL_PROBE, "--load", QUODL_MODULE, "--script", home_ / "script.txt", kOrigin}, "",
      options());
  ASSERT_EQ(run.exitStatus, 0) << run.output;
  expectEveryLineWorked(run.output);
  EXPECT_NE(run.output.find("请停止打印队列并等待当前任务结束后再卸载。"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("PROBE unload answered 3, unloaded 0"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("status: 完成 5 · 部分 0 · 失败 0 · 跳过 0 · 未完成 0"), std::string::npos) << run.output;
  EXPECT_EQ(entries(runFolderIn(out_)).size(), 5u);
}

}  // namespace
