// The built module in cadhost: installed and autoloaded, its commands as the host holds them, the refusals
// while work is active and the order of the unload. A helper plug-in (work_probe.cpp) raises the work-active
// flags and reports the calls into neighbouring services as "PROBE call <name> commands=<still registered>".
#include <elf.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <utility>

#include <pugixml.hpp>

#include "cadhost_run.h"
#include "test_files.h"

namespace {

namespace fs = std::filesystem;

const std::string kLoadMessage = "Ferrolin 批打工具 1.0.0-beta.9 已加载；输入 QUODL 打开面板。";
const std::string kPanelOpened = "Ferrolin 批打工具面板已打开。";
const std::string kUnloadRefusal = "请停止打印队列并等待当前任务结束后再卸载。";

std::vector<std::string> printedBy(const std::vector<CommandOutput>& commands, const std::string& name,
                                   int occurrence = 1) {
  for (const auto& [command, lines] : commands) {
    if (command == name && --occurrence == 0) return lines;
  }
  ADD_FAILURE() << "no run " << occurrence << " of " << name;
  return {};
}

class ModuleTest : public ::testing::Test {
 protected:
  ScratchHome home_;

  // cadhost with the probe, then Quodline, on a small drawing; the script is what the user types.
  CadhostRun runWithProbe(const std::string& script) {
    CadhostRun run = runProgram(QUODL_CADHOST,
                                {"--no-autoload", "--load", QUODL_PROBE, "--load", QUODL_MODULE, QUODL_TEST_DRAWING},
                                script, home_);
    EXPECT_EQ(run.exitStatus, 0) << run.output;
    return run;
  }
};

// The table as the host must hold it, then QUODL in its own group, each with its flags.
std::vector<std::string> expectedCommandList() {
  const char* const modal[] = {"DUZOZAREDRETURN", "DUZOZAREDLITE", "DUZOZAREDPRO", "DUZOZAREDLITEEXEC",
                               "DUZOZAREDFILES", "DUZOZAREDFILESTART", "DUZOZAREDFILEEXEC", "DUZOZAREDCOMMAND",
                               "DUZOZAREDUPDATE", "QUODL_NATIVE", "DUZOZARED", "DUZOZAREDREFRESH",
                               "DUZOZAREDEXEC", "DUZOZAREDPREVIEW", "DUZOZAREDSTATUS", "DUZOZAREDFOCUS",
                               "DUZOZAREDSHOWRANGES", "DUZOZAREDADDFRAME", "DUZOZAREDPICKLAYER",
                               "DUZOZAREDPICKFRAMES", "DUZOZAREDPICKBLOCK", "DUZOZAREDSELECTRANGE"};
  std::vector<std::string> list;
  for (const std::string name : modal) {
    const std::string flags = name == "DUZOZAREDFILESTART" ? "0x200000" : "0";
    list.push_back("PROBE command QUODLINE_MAC " + name + " " + name + " " + flags);
  }
  list.push_back("PROBE command QUODLINE_MAC_OPEN QUODL QUODL 0");
  list.push_back("PROBE end of commands");
  return list;
}

TEST_F(ModuleTest, InstalledBundleIsAutoloadedAndGreets) {
  // The bundle names the module it carries.
  pugi::xml_document manifest;
  ASSERT_TRUE(manifest.load_file((std::string(QUODL_BUNDLE_DIR) + "/PackageContents.xml").c_str()));
  const pugi::xml_node package = manifest.document_element();
  EXPECT_STREQ(package.name(), "ApplicationPackage");
  EXPECT_STREQ(package.attribute("Name").value(), "Quodline");
  EXPECT_STREQ(package.attribute("ProductCode").value(), "{7D3A91C2-5E48-4B06-9F1D-2C8E64A0B357}");
  const std::string module = package.child("Components").child("ComponentEntry").attribute("ModuleName").value();
  EXPECT_EQ(module, "./Contents/Linux/Quodline.so");
  EXPECT_EQ(fs::file_size(fs::path(QUODL_BUNDLE_DIR) / module), fs::file_size(QUODL_MODULE));

  const CadhostRun install = runProgram(
      QUODL_CMAKE, {"-DQUODL_BUNDLE_DIR=" + std::string(QUODL_BUNDLE_DIR), "-P", QUODL_INSTALL_SCRIPT}, "", home_);
  ASSERT_EQ(install.exitStatus, 0) << install.output;
  const fs::path installed =
      fs::path(home_.path()) / "Library/Application Support/Autodesk/ApplicationAddins/Quodline.bundle";
  EXPECT_TRUE(fs::is_regular_file(installed / "PackageContents.xml"));
  EXPECT_TRUE(fs::is_regular_file(installed / "Contents/Linux/Quodline.so"));

  const CadhostRun run = runProgram(QUODL_CADHOST, {QUODL_TEST_DRAWING}, "QUODL\nduzozared\n", home_);
  EXPECT_EQ(run.exitStatus, 0);
  const auto commands = outputByCommand(run.output);
  EXPECT_EQ(printedBy(commands, ""), std::vector<std::string>{kLoadMessage}) << run.output;
  // The full panel's plot-style trace comes first; its own tests read it.
  EXPECT_EQ(printedBy(commands, "QUODL").back(), kPanelOpened) << run.output;
  EXPECT_EQ(printedBy(commands, "duzozared").back(), kPanelOpened) << run.output;
  // The installed bundle carries the compact export's monochrome style.
  EXPECT_TRUE(fs::is_regular_file(installed / "Contents/Resources/NUVOLK-Lite-Mono-005-v1.ctb"));
}

TEST_F(ModuleTest, CommandsAreRegisteredInTheirGroupsWithTheirFlags) {
  const CadhostRun run = runWithProbe("QDLPROBELIST\nQUIT\n");
  const auto commands = outputByCommand(run.output);
  EXPECT_EQ(printedBy(commands, ""), std::vector<std::string>{kLoadMessage}) << run.output;
  EXPECT_EQ(printedBy(commands, "QDLPROBELIST"), expectedCommandList()) << run.output;
}

TEST_F(ModuleTest, DuringAQueueRunExecPrintsOnlyBlocked) {
  const CadhostRun run = runWithProbe(
      "QDLPROBETRACE\nQDLPROBEQUEUE\nDUZOZAREDEXEC\nDUZOZARED\nQDLPROBEIDLE\nDUZOZAREDEXEC\nQUIT\n");
  const auto commands = outputByCommand(run.output);
  EXPECT_EQ(printedBy(commands, "DUZOZAREDEXEC"), std::vector<std::string>{"DUZOZAREDEXEC=BLOCKED"})
      << run.output;
  EXPECT_EQ(printedBy(commands, "DUZOZARED"),
            (std::vector<std::string>{"PROBE call vexBatchPrintPanelShow commands=23", kPanelOpened}))
      << run.output;
  // Once the run is over the executor is reached; with no job staged it fails and the status report follows
  // with its build and status lines.
  const std::vector<std::string> exec = printedBy(commands, "DUZOZAREDEXEC", 2);
  ASSERT_EQ(exec.size(), 5u) << run.output;
  EXPECT_EQ(std::vector<std::string>(exec.begin(), exec.begin() + 3),
            (std::vector<std::string>{"PROBE call vexBatchPrintExecutePending commands=23", "DUZOZAREDEXEC=FAIL",
                                      "PROBE call vexBatchPrintPrintStatus commands=23"}))
      << run.output;
  EXPECT_EQ(exec[3], "DUZOZAREDBUILD print_fix=mac-layout-isolation-20260918-r1");
  EXPECT_TRUE(exec[4].starts_with("DUZOZAREDSTATUS version=1.0.0-beta.9 ")) << exec[4];
  EXPECT_TRUE(exec[4].ends_with(" last=NONE_OR_FAIL cancelled=NO recoverable=NO remaining=0 completed=0/0 items=0 "
                                "pages=0 outputs=0 output=- log=- error=No staged batch-print job"))
      << exec[4];
}

TEST_F(ModuleTest, UnloadDuringWorkIsRefusedAndLeavesEverythingRegistered) {
  const CadhostRun run = runWithProbe(
      "QDLPROBETRACE\n"
      "QDLPROBEQUEUE\nUNLOAD\nQDLPROBELIST\n"
      "QDLPROBELITE\nUNLOAD\nQDLPROBELIST\n"
      "QDLPROBEIDLE\nQUIT\n");
  const auto commands = outputByCommand(run.output);
  // Quodline refuses; the probe, still needed by Quodline, stays too.
  const std::vector<std::string> refused{kUnloadRefusal, "Quodline.so refused to unload.",
                                         "quodl_work_probe.so refused to unload."};
  EXPECT_EQ(printedBy(commands, "UNLOAD", 1), refused) << run.output;
  EXPECT_EQ(printedBy(commands, "UNLOAD", 2), refused) << run.output;
  EXPECT_EQ(printedBy(commands, "QDLPROBELIST", 1), expectedCommandList()) << run.output;
  EXPECT_EQ(printedBy(commands, "QDLPROBELIST", 2), expectedCommandList()) << run.output;
}

TEST_F(ModuleTest, UnloadRemovesCustomCommandThenGroupsThenPanelsThenUpdateNotice) {
  const CadhostRun run = runWithProbe("QDLPROBETRACE\nUNLOAD\nDUZOZARED\nQUODL\nQUIT\n");
  const auto commands = outputByCommand(run.output);
  // Nothing is left for the host to clean up after the plug-in.
  EXPECT_EQ(printedBy(commands, "UNLOAD"),
            (std::vector<std::string>{"PROBE call qdl_command_settings_shutdown commands=23",
                                      "PROBE call vexBatchPrintPanelShutdown commands=0",
                                      "PROBE call qdl_updates_shutdown commands=0"}))
      << run.output;
  EXPECT_EQ(printedBy(commands, "DUZOZARED"), std::vector<std::string>{"Unknown command \"DUZOZARED\"."});
  EXPECT_EQ(printedBy(commands, "QUODL"), std::vector<std::string>{"Unknown command \"QUODL\"."});
}

TEST_F(ModuleTest, OtherMessagesAreAnsweredZeroAndChangeNothing) {
  const CadhostRun run = runWithProbe("QDLPROBETRACE\nQDLPROBEMESSAGES\nQDLPROBELIST\nQUIT\n");
  const auto commands = outputByCommand(run.output);
  EXPECT_EQ(printedBy(commands, "QDLPROBEMESSAGES"),
            (std::vector<std::string>{"PROBE message 0 answer 0", "PROBE message 3 answer 0",
                                      "PROBE message 4 answer 0", "PROBE message 5 answer 0",
                                      "PROBE message 6 answer 0", "PROBE message 100 answer 0",
                                      "PROBE message -1 answer 0"}))
      << run.output;
  EXPECT_EQ(printedBy(commands, "QDLPROBELIST"), expectedCommandList()) << run.output;
}

// Thread-local variables in a module loaded at run time live in dynamic TLS, which the sanitizer runtime's leak
// check misreads at exit now and then (a crash of the checker, not of ours); the module keeps none.
TEST(ModuleFile, HasNoThreadLocalStorage) {
  std::ifstream in(QUODL_MODULE, std::ios::binary);
  std::ostringstream read;
  read << in.rdbuf();
  const std::string image = read.str();
  ASSERT_GE(image.size(), sizeof(Elf64_Ehdr));
  Elf64_Ehdr header;
  std::memcpy(&header, image.data(), sizeof header);
  ASSERT_EQ(std::memcmp(header.e_ident, ELFMAG, SELFMAG), 0);
  ASSERT_EQ(header.e_ident[EI_CLASS], ELFCLASS64);
  ASSERT_GT(header.e_phnum, 0);
  ASSERT_LE(header.e_phoff + std::size_t{header.e_phnum} * sizeof(Elf64_Phdr), image.size());
  for (int i = 0; i < header.e_phnum; ++i) {
    Elf64_Phdr segment;
    std::memcpy(&segment, image.data() + header.e_phoff + i * sizeof(Elf64_Phdr), sizeof segment);
    EXPECT_FALSE(segment.p_type == PT_TLS && segment.p_memsz > 0)
        << "the module has " << segment.p_memsz << " bytes of thread-local storage";
  }
}

}  // namespace
