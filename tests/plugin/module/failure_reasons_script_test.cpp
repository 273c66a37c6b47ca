// Failures say why, in cadhost, each produced for real: a full data folder (a small memory file system) when a
// job is staged, an output folder removed while a merged export plots, drawings the queue cannot open (each kind
// with its own reason in its row), a name that is not UTF-8, memory running out in a page, a damaged plot-style
// table before the job starts, and a job that no run can finish, which the user may then discard.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "damaged_drawings.h"
#include "fault_script_fixture.h"
#include "interactive_program.h"
#include "small_volume.h"

namespace {

namespace fs = std::filesystem;

const std::string kLayouts = std::string(QUODL_SAMPLES) + "/layouts-frames.dxf";

std::string utf16le(const std::string& text) {
  std::string out = "\xFF\xFE";
  for (char c : text) out += std::string(1, c) + '\0';
  return out;
}

std::string sample() { return foundation::readFile(kLayouts).data; }

// The panel's stored choices for a merged job of every sheet into `path`.
std::string mergedInto(const std::string& path) {
  return R"("Quodline.OutputPath": ")" + path + R"(", "Quodline.OutputLocationMode": 5, "Quodline.OutputMode": 0)";
}

const std::string kExportAll = "QUODL\n@choose batchPrintPanel scope \"#2\"\n@click batchPrintPanel export\n";

TEST_F(FaultScriptTest, AFullDataFolderSaysThereIsNoSpaceWhenAJobIsStaged) {
  SmallVolume data(home_ / "data", 1 << 20);
  SKIP_UNLESS_MOUNTED(data);
  ASSERT_TRUE(data.fillLeaving(0));
  writeDefaults(mergedInto(home + "/out/job.pdf"));
  const CadhostRun r = run(kExportAll + "@read batchPrintPanel status\nQUIT\n", {kLayouts});
  ASSERT_EQ(r.exitStatus, 0) << r.output;
  EXPECT_NE(r.output.find("status: Cannot submit job: recovery snapshot could not be saved: Cannot write \"" + home +
                          "/data/"),
            std::string::npos)
      << r.output;
  EXPECT_NE(r.output.find("\": No space left on device"), std::string::npos) << r.output;
  EXPECT_EQ(r.output.find("permissions"), std::string::npos) << r.output;
  EXPECT_EQ(r.output.find("DUZOZAREDEXEC"), std::string::npos) << "nothing was queued";
  EXPECT_EQ(everythingIn(home_ / "out"), std::vector<std::string>{});
}

TEST_F(FaultScriptTest, AMergedExportWhoseFolderVanishesNamesThePathAndTheReason) {
  const std::string folder = home + "/out/gone";
  ASSERT_TRUE(foundation::createDirectory(folder, false));
  writeDefaults(mergedInto(folder + "/job.pdf"));
  const std::string resume = home_ / "resume";
  InteractiveProgram host(QUODL_CADHOST, arguments({kLayouts}), options());
  // The sheets are on two papers: each is plotted on its own into the temporary folder, then joined.
  for (const std::string& line : {std::string("QDLPROBEPAUSE"), resume, std::string("2")}) host.writeLine(line);
  for (std::size_t start = 0, end; (end = kExportAll.find('\n', start)) != std::string::npos; start = end + 1) {
    host.writeLine(kExportAll.substr(start, end - start));
  }
  ASSERT_TRUE(host.waitForOutput("PROBE paused on page 2")) << host.output();
  fs::remove_all(folder);
  ASSERT_TRUE(foundation::writeFileAtomically(resume, ""));
  host.writeLine("@read batchPrintPanel status");
  host.writeLine("QUIT");
  ASSERT_EQ(host.wait(), 0) << host.output();
  EXPECT_NE(host.output().find("DUZOZAREDEXEC=FAIL"), std::string::npos) << host.output();
  EXPECT_NE(host.output().find("error=Cannot create isolated-page PDF merge target: Cannot create PDF \"" + folder +
                               "/job.pdf\": no folder \"" + folder + "\""),
            std::string::npos)
      << host.output();
  EXPECT_FALSE(fs::exists(folder));
}

// What the queue meets in place of a drawing, and the reason its row gives.
struct Unopenable {
  std::string name;
  std::string content;
  std::string reason;
};

TEST_F(FaultScriptTest, EveryDrawingTheQueueCannotOpenSaysWhyInItsRow) {
  const std::string folder = home + "/drawings";
  const std::string text = sample();
  const std::vector<Unopenable> files = {
      {"empty.dwg", "", "the file is empty"},
      {"truncated.dwg", text.substr(0, text.size() / 3), "line "},
      {"utf16.dwg", utf16le("0\nSECTION\n2\nENTITIES\n0\nENDSEC\n0\nEOF\n"),
       "the file is encoded in UTF-16 (little-endian)"},
      {"packed.dwg", std::string("\x1F\x8B\x08\x00\x00\x00\x00\x00", 8) + "not really", "the file is gzip-compressed"},
      {"garbage.dwg", std::string("\x01\x02\x03 not a drawing \x7F\x10\x11\n\x12", 23), ""},
      {"fanning.dwg", fanningOutDrawing(), "the drawing would draw about"},
      {"removed.dwg", text, "no such file"},
  };
  for (const Unopenable& file : files) ASSERT_TRUE(foundation::writeFileAtomically(folder + "/" + file.name, file.content));
  // Eight gigabytes, none of them on the disk.
  const std::string huge = folder + "/huge.dwg";
  ASSERT_TRUE(foundation::writeFileAtomically(huge, text));
  ASSERT_EQ(::truncate(huge.c_str(), off_t{8} << 30), 0);
  ASSERT_TRUE(foundation::writeFileAtomically(folder + "/plan.dwg", text));
  const std::string notUtf8 = folder + "/plan-\xFF.dwg";
  ASSERT_TRUE(foundation::writeFileAtomically(notUtf8, text));

  InteractiveProgram host(QUODL_CADHOST, arguments({kLayouts}), options());
  for (const std::string& line : std::vector<std::string>{
           "DUZOZAREDFILES", "@file \"" + folder + "\"", "@click fileQueuePanel addFolder", "DELAY", "1500",
           "@wait fileQueuePanel status \"10 DWGs\"", "@read fileQueuePanel status"}) {
    host.writeLine(line);
  }
  ASSERT_TRUE(host.waitForOutput("status: 10 DWGs")) << host.output();
  // Listed, then gone before the run reaches it.
  ASSERT_TRUE(foundation::removeFile(folder + "/removed.dwg"));
  for (const std::string& line : std::vector<std::string>{
           "@choose fileQueuePanel outputMode \"#2\"", "@file \"" + home + "/out\"",
           "@click fileQueuePanel chooseOutput", "@click fileQueuePanel startButton", "DELAY", "0",
           "@read fileQueuePanel queueTable", "QUIT"}) {
    host.writeLine(line);
  }
  ASSERT_EQ(host.wait(), 0) << host.output();

  std::map<std::string, std::vector<std::string>> rows;
  for (const std::vector<std::string>& row : rowsIn(host.output())) {
    ASSERT_EQ(row.size(), 5u);
    rows[row[1]] = row;
  }
  ASSERT_EQ(rows.size(), 10u) << host.output();
  std::vector<Unopenable> failing = files;
  failing.push_back({"huge.dwg", "", "the file is larger than 1 GB"});
  for (const Unopenable& file : failing) {
    SCOPED_TRACE(file.name);
    const std::vector<std::string>& row = rows[file.name];
    ASSERT_EQ(row.size(), 5u);
    EXPECT_EQ(row[3], "Failed");
    // The reason first, where the column shows it; the host names the file on its command line.
    const std::string prefix = "Read-only open failed: ";
    EXPECT_EQ(row[4].rfind(prefix + file.reason, 0), 0u) << row[4];
    EXPECT_GT(row[4].size(), prefix.size()) << "a reason follows";
    EXPECT_NE(host.output().find("Cannot open \"" + folder + "/" + file.name + "\": " + file.reason), std::string::npos);
  }
  EXPECT_EQ(rows["plan.dwg"][3], "Complete") << rows["plan.dwg"][4];
  // Its name as the table can show it.
  std::vector<std::string> odd;
  for (const auto& [name, row] : rows) {
    if (name.rfind("plan-", 0) == 0) odd = row;
  }
  ASSERT_EQ(odd.size(), 5u);
  EXPECT_EQ(odd[3], "Failed");
  EXPECT_EQ(odd[4], "The file name is not valid UTF-8 text, so CAD cannot open it; rename the file and try again.");
  // The drawings are the user's: every one is still there, unchanged.
  EXPECT_EQ(foundation::readFile(notUtf8).data, text);
  EXPECT_EQ(fs::file_size(huge), std::uintmax_t{8} << 30);
}

TEST_F(FaultScriptTest, MemoryRunningOutInAPageIsSaidAsSuch) {
  constexpr char kNoMemory[] =
      "Plot run failed: There is not enough memory to finish the plot; close other drawings or programs and try again";
  writeDefaults(mergedInto(home + "/out/job.pdf"));
  const CadhostRun panel = run("QDLPROBEOOM\n1\n" + kExportAll + "QUIT\n", {kLayouts});
  ASSERT_EQ(panel.exitStatus, 0) << panel.output;
  EXPECT_NE(panel.output.find(std::string("error=") + kNoMemory), std::string::npos) << panel.output;
  EXPECT_EQ(panel.output.find("bad_alloc"), std::string::npos) << panel.output;

  ASSERT_TRUE(fs::copy_file(kLayouts, home_ / "drawings/plan.dwg"));
  const CadhostRun queue = run("QDLPROBEOOM\n1\nDUZOZAREDFILES\n@file \"" + home + "/drawings\"\n"
                               "@click fileQueuePanel addFolder\nDELAY\n1500\n@wait fileQueuePanel status \"1 DWGs\"\n"
                               "@file \"" + home + "/out\"\n@click fileQueuePanel chooseOutput\n"
                               "@click fileQueuePanel startButton\nDELAY\n0\n@read fileQueuePanel queueTable\nQUIT\n",
                               {kLayouts});
  ASSERT_EQ(queue.exitStatus, 0) << queue.output;
  const std::vector<std::vector<std::string>> rows = rowsIn(queue.output);
  ASSERT_EQ(rows.size(), 1u) << queue.output;
  EXPECT_EQ(rows[0][3], "Failed");
  EXPECT_NE(rows[0][4].find(kNoMemory), std::string::npos) << rows[0][4];
  EXPECT_EQ(queue.output.find("bad_alloc"), std::string::npos) << queue.output;
}

TEST_F(FaultScriptTest, ADamagedPlotStyleTableIsRefusedByThePreflight) {
  const std::string table = home + "/styles/monochrome.ctb";
  ASSERT_TRUE(foundation::writeFileAtomically(table, "PIAFILEVERSION_2.0,CTBVER1,compress\r\npmzlibcodec"));
  writeDefaults(mergedInto(home + "/out/job.pdf") + R"(, "Quodline.PlotStyle": "monochrome.ctb")");
  const CadhostRun r = run("QUODL\n@choose batchPrintPanel scope \"#2\"\n@wait batchPrintPanel plotStyleMode monochrome.ctb\n"
                           "@click batchPrintPanel preflight\n@alert OK\n@click batchPrintPanel export\n"
                           "@read batchPrintPanel status\nQUIT\n",
                           {kLayouts});
  ASSERT_EQ(r.exitStatus, 0) << r.output;
  EXPECT_NE(r.output.find("• Plot style monochrome.ctb cannot be read: "), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("status: Preflight failed: 1 issues must be fixed; job not submitted."), std::string::npos)
      << r.output;
  EXPECT_EQ(r.output.find("DUZOZAREDEXEC"), std::string::npos) << "nothing was queued";
  EXPECT_EQ(everythingIn(home_ / "out"), std::vector<std::string>{});
}

// A job killed with the host, whose drawing then lost the layout of a sheet still to plot (renamed in the file):
// every run of it fails on that layout.
TEST_F(FaultScriptTest, AJobThatNoRunCanFinishSaysWhyAndCanBeDiscarded) {
  const std::string drawing = home + "/drawings/site.dxf";
  ASSERT_TRUE(foundation::writeFileAtomically(drawing, sample()));
  writeDefaults(R"("Quodline.OutputPath": ")" + home +
                R"(/out", "Quodline.OutputLocationMode": 5, "Quodline.OutputMode": 1)");
  {
    InteractiveProgram host(QUODL_CADHOST, arguments({drawing}), options());
    host.writeLine("QDLPROBEHANG");
    host.writeLine("2");
    for (std::size_t start = 0, end; (end = kExportAll.find('\n', start)) != std::string::npos; start = end + 1) {
      host.writeLine(kExportAll.substr(start, end - start));
    }
    ASSERT_TRUE(host.waitForOutput("PROBE hanging on page 2")) << host.output();
    host.kill();
  }
  std::string text = sample();
  for (std::size_t at; (at = text.find("\nA4 Portrait\n")) != std::string::npos;) text.replace(at + 1, 11, "A4 Renamed");
  ASSERT_TRUE(foundation::writeFileAtomically(drawing, text));

  const std::string blocked = "status: Unfinished job cannot complete: Layout not found: A4 Portrait. Click Resume "
                              "task to discard or retry it.";
  const std::string alert = "Alert: Unfinished job cannot complete — Layout not found: A4 Portrait";
  const CadhostRun first = run("QUODL\n@read batchPrintPanel status\n@click batchPrintPanel resume\n"
                               "QUODL\n@read batchPrintPanel status\n@click batchPrintPanel resume\n@alert \"Try again\"\n"
                               "QUODL\n@read batchPrintPanel status\nQUIT\n",
                               {drawing});
  ASSERT_EQ(first.exitStatus, 0) << first.output;
  EXPECT_NE(first.output.find("status: Unfinished job: 1 / 3 sheets completed, 2 remaining."), std::string::npos)
      << first.output;
  EXPECT_NE(first.output.find(blocked), std::string::npos) << first.output;
  EXPECT_NE(first.output.find(alert), std::string::npos) << first.output;
  const std::vector<std::string> written = everythingIn(home_ / "out");
  EXPECT_EQ(written, (std::vector<std::string>{"001-A3 Block 图框 01.pdf", "002-A3 Polylines 图框 01.pdf"}));

  // After a restart the job is offered with its reason once its run has failed again; the user discards it.
  const CadhostRun second = run("QUODL\n@click batchPrintPanel resume\nQUODL\n@read batchPrintPanel status\n"
                                "@click batchPrintPanel resume\n@alert \"Discard job\"\n@read batchPrintPanel status\n"
                                "QUIT\n",
                                {drawing});
  ASSERT_EQ(second.exitStatus, 0) << second.output;
  EXPECT_NE(second.output.find(blocked), std::string::npos) << second.output;
  EXPECT_NE(second.output.find("status: Unfinished job discarded; PDFs already written are kept."), std::string::npos)
      << second.output;
  EXPECT_EQ(everythingIn(home_ / "out"), written) << "the PDFs written are kept";

  const CadhostRun third = run("QUODL\n@read batchPrintPanel status\nQUIT\n", {drawing});
  ASSERT_EQ(third.exitStatus, 0) << third.output;
  EXPECT_EQ(third.output.find("Unfinished job"), std::string::npos) << third.output;
}

}  // namespace
