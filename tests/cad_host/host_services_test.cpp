// Environment values, command names and aliases, file search and the LISP symbol table.

#include <gtest/gtest.h>

#include "cad/command_line.h"
#include "cad/command_names.h"
#include "cad/command_stack.h"
#include "cad/environment.h"
#include "cad/find_file.h"
#include "cad/host_paths.h"
#include "cad/lisp_symbols.h"
#include "cad/result_buffer.h"
#include "foundation/files.h"
#include "foundation/iso8601.h"
#include "foundation/text.h"
#include "host_fixture.h"

namespace {

std::size_t count(const std::wstring& text, const std::wstring& part) {
  std::size_t n = 0;
  for (std::size_t at = text.find(part); at != std::wstring::npos; at = text.find(part, at + part.size())) ++n;
  return n;
}

using cadtest::HostTest;

class EnvironmentTest : public HostTest {};

TEST_F(EnvironmentTest, ValuesPersistAcrossAReloadAndIgnoreCase) {
  ASSERT_EQ(cad::acedSetEnv(L"NUVOLK_QUODL_CUSTOM_COMMAND", L"PLOTME"), cad::RTNORM);
  ASSERT_EQ(cad::acedSetEnv(L"Empty", L""), cad::RTNORM);
  cad::environment().reload();  // as a new host process

  std::wstring value;
  ASSERT_EQ(cad::acedGetEnv(L"nuvolk_quodl_custom_command", value), cad::RTNORM);
  EXPECT_EQ(value, L"PLOTME");
  ASSERT_EQ(cad::acedGetEnv(L"EMPTY", value), cad::RTNORM);
  EXPECT_EQ(value, L"");
  EXPECT_EQ(cad::acedGetEnv(L"NeverSet", value), cad::RTERROR);
  EXPECT_TRUE(foundation::isRegularFile(folder() + "/config/quodline-host/environment.json"));
}

TEST_F(EnvironmentTest, DefaultsUntilSet) {
  cad::setSupportFolders({"/opt/host/support"});
  std::wstring value;
  ASSERT_EQ(cad::acedGetEnv(L"PrinterStyleSheetDir", value), cad::RTNORM);
  const std::wstring data = std::wstring(folder().begin(), folder().end()) + L"/data/quodline-host";
  EXPECT_EQ(value, data + L"/Plotters/Plot Styles;/opt/host/support/Plot Styles");
  ASSERT_EQ(cad::acedGetEnv(L"ROAMABLEROOTPREFIX", value), cad::RTNORM);
  EXPECT_EQ(value, data + L"/");
  ASSERT_EQ(cad::acedSetEnv(L"PRINTERSTYLESHEETDIR", L"/a;/b"), cad::RTNORM);
  ASSERT_EQ(cad::acedGetEnv(L"PrinterStyleSheetDir", value), cad::RTNORM);
  EXPECT_EQ(value, L"/a;/b");
}

TEST_F(EnvironmentTest, BufferFormRefusesATooSmallBuffer) {
  ASSERT_EQ(cad::acedSetEnv(L"Name", L"12345"), cad::RTNORM);
  wchar_t buffer[6];
  EXPECT_EQ(cad::acedGetEnv(L"Name", buffer, 6), cad::RTNORM);
  EXPECT_STREQ(buffer, L"12345");
  EXPECT_EQ(cad::acedGetEnv(L"Name", buffer, 5), cad::RTERROR);
  EXPECT_STREQ(buffer, L"");
}

TEST_F(EnvironmentTest, FailuresKeepTheOldValue) {
  ASSERT_EQ(cad::acedSetEnv(L"Key", L"old"), cad::RTNORM);
  cad::environment().faults.set = true;
  EXPECT_EQ(cad::acedSetEnv(L"Key", L"new"), cad::RTERROR);
  cad::environment().faults.set = false;
  cad::environment().faults.get.insert(L"KEY");
  std::wstring value;
  EXPECT_EQ(cad::acedGetEnv(L"Key", value), cad::RTERROR);
  cad::environment().faults.get.clear();
  ASSERT_EQ(cad::acedGetEnv(L"Key", value), cad::RTNORM);
  EXPECT_EQ(value, L"old");
  EXPECT_EQ(cad::acedSetEnv(L"", L"x"), cad::RTERROR);
  EXPECT_EQ(cad::acedSetEnv(L"Key", nullptr), cad::RTERROR);
}

TEST_F(EnvironmentTest, ADamagedFileIsSetAsideNotLostAndSaidOnce) {
  foundation::setWallClockForTesting([] { return *foundation::parseIso8601("2026-12-10T11:44:32Z"); });
  ASSERT_TRUE(foundation::createDirectory(folder() + "/config/quodline-host", true).ok);
  writeFile("config/quodline-host/environment.json", "{ not json");
  writeFile("config/quodline-host/environment.damaged-20261210T114432Z.json", "earlier damage");
  cad::environment().reload();

  std::wstring value;
  EXPECT_EQ(cad::acedGetEnv(L"Anything", value), cad::RTERROR);
  EXPECT_EQ(cad::acedGetEnv(L"Other", value), cad::RTERROR);
  EXPECT_NE(cad::environment().lastError().find("set aside"), std::string::npos);
  const std::string folderOfFile = folder() + "/config/quodline-host/";
  EXPECT_EQ(foundation::readFile(folderOfFile + "environment.damaged-20261210T114432Z-2.json").data, "{ not json");
  EXPECT_EQ(foundation::readFile(folderOfFile + "environment.damaged-20261210T114432Z.json").data, "earlier damage");
  EXPECT_EQ(cad::acedSetEnv(L"Fresh", L"1"), cad::RTNORM);
  const std::wstring transcript = cad::commandLine().transcript();
  EXPECT_EQ(count(transcript, L"Damaged settings"), 1u) << foundation::utf8FromWideLossy(transcript);
  foundation::setWallClockForTesting(nullptr);
}

TEST_F(EnvironmentTest, AFileThatCannotBeReadStaysAndTheSessionGoesOnInMemory) {
  const std::string file = folder() + "/config/quodline-host/environment.json";
  ASSERT_TRUE(foundation::createDirectory(file, true).ok);  // a folder in the file's place
  cad::environment().reload();

  EXPECT_EQ(cad::acedSetEnv(L"Key", L"session only"), cad::RTERROR);  // not written
  std::wstring value;
  ASSERT_EQ(cad::acedGetEnv(L"Key", value), cad::RTNORM);
  EXPECT_EQ(value, L"session only");
  EXPECT_TRUE(foundation::isDirectory(file));
  EXPECT_NE(cad::environment().lastError().find("kept in memory only"), std::string::npos);
  EXPECT_EQ(count(cad::commandLine().transcript(), L"Cannot read settings"), 1u);
}

class CommandNamesTest : public HostTest {};

TEST_F(CommandNamesTest, AliasFileLinesAreReadOrReported) {
  const auto result = cad::commandNames().loadAliasText(
      "\xEF\xBB\xBF; comment\r\nL,*LINE\r\n\r\n  z , zoom \nnocomma\n,*EMPTY\nBAD NAME,*LINE\n");
  EXPECT_TRUE(result.ok);
  EXPECT_EQ(result.aliases, 2u);
  EXPECT_EQ(result.problems, (std::vector<std::string>{"line 5: no comma", "line 6: not an alias of a command name",
                                                       "line 7: not an alias of a command name"}));
  EXPECT_EQ(cad::commandNames().aliasTarget(L"l"), L"LINE");
  EXPECT_EQ(cad::commandNames().aliasTarget(L"Z"), L"ZOOM");
  EXPECT_EQ(cad::commandNames().aliasTarget(L"X"), std::nullopt);
  EXPECT_FALSE(cad::commandNames().loadAliasFile(folder() + "/missing.txt").ok);
}

TEST_F(CommandNamesTest, GetCNameKnowsBuiltInsAliasesAndRegisteredCommands) {
  cad::commandNames().addAlias(L"PP", L"PANELCMD");
  cad::commandNames().addAlias(L"L", L"LINE");
  cad::commandStack().addCommand(L"G", L"PANELCMD", L"TAFEL", 0, [] {});

  const struct {
    const wchar_t* name;
    int code;
    const wchar_t* out;
  } cases[] = {
      {L"line", cad::RTNORM, L"_LINE"},     {L"_LINE", cad::RTNORM, L"LINE"},
      {L"L", cad::RTNORM, L"_LINE"},        {L"PP", cad::RTNORM, L"_PANELCMD"},
      {L"tafel", cad::RTNORM, L"_PANELCMD"}, {L"_PANELCMD", cad::RTNORM, L"TAFEL"},
      {L"_TAFEL", cad::RTERROR, L""},       {L"NOSUCH", cad::RTERROR, L""},
      {L"_", cad::RTERROR, L""},            {L"", cad::RTERROR, L""},
  };
  for (const auto& c : cases) {
    std::wstring out = L"stale";
    EXPECT_EQ(cad::acedGetCName(c.name, out), c.code) << testing::PrintToString(std::wstring(c.name));
    EXPECT_EQ(out, c.out);
  }
}

class FindFileTest : public HostTest {};

TEST_F(FindFileTest, SearchesTheDrawingFolderThenTheSupportFolders) {
  ASSERT_TRUE(foundation::createDirectory(folder() + "/drawings", true).ok);
  ASSERT_TRUE(foundation::createDirectory(folder() + "/support1", true).ok);
  ASSERT_TRUE(foundation::createDirectory(folder() + "/support2", true).ok);
  writeFile("drawings/acad.pgp", "x");
  writeFile("support1/acad.pgp", "x");
  writeFile("support2/acadUser.pgp", "x");
  ASSERT_TRUE(foundation::createDirectory(folder() + "/support1/folder.pgp", true).ok);
  cad::setSupportFolders({folder() + "/support1", folder() + "/support2"});
  const std::wstring base(folder().begin(), folder().end());

  std::wstring found;
  ASSERT_EQ(cad::acedFindFile(L"acad.pgp", found), cad::RTNORM);
  EXPECT_EQ(found, base + L"/support1/acad.pgp");  // no drawing open
  openDrawing(base + L"/drawings/plan.dwg");
  ASSERT_EQ(cad::acedFindFile(L"acad.pgp", found), cad::RTNORM);
  EXPECT_EQ(found, base + L"/drawings/acad.pgp");
  ASSERT_EQ(cad::acedFindFile(L"acadUser.pgp", found), cad::RTNORM);
  EXPECT_EQ(found, base + L"/support2/acadUser.pgp");
  EXPECT_EQ(cad::acedFindFile(L"folder.pgp", found), cad::RTERROR);  // folders are not files
  EXPECT_EQ(cad::acedFindFile(L"missing.pgp", found), cad::RTERROR);
  EXPECT_TRUE(found.empty());
  ASSERT_EQ(cad::acedFindFile((base + L"/support2/acadUser.pgp").c_str(), found), cad::RTNORM);

  cad::findFileFaults().failing.insert(L"acad.pgp");
  EXPECT_EQ(cad::acedFindFile(L"acad.pgp", found), cad::RTERROR);
}

class LispSymbolsTest : public HostTest {};

TEST_F(LispSymbolsTest, DefinedUndefinedAndFailing) {
  cad::lispSymbols().define(L"C:MYCMD");
  cad::resbuf* value = nullptr;
  ASSERT_EQ(cad::acedGetSym(L"c:mycmd", &value), cad::RTNORM);
  ASSERT_NE(value, nullptr);
  EXPECT_NE(value->restype, cad::RTNIL);
  EXPECT_EQ(cad::acutRelRb(value), cad::RTNORM);

  ASSERT_EQ(cad::acedGetSym(L"C:OTHER", &value), cad::RTNORM);
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value->restype, cad::RTNIL);
  cad::acutRelRb(value);

  cad::lispSymbols().fail = true;
  EXPECT_EQ(cad::acedGetSym(L"C:MYCMD", &value), cad::RTERROR);
  EXPECT_EQ(value, nullptr);
  EXPECT_EQ(cad::HostAllocations::outstandingBuffers(), 0u);
  EXPECT_EQ(cad::HostAllocations::outstandingStrings(), 0u);
}

TEST(HostAllocationsTest, OnlyTheHostsOwnMemoryIsFreed) {
  const std::size_t before = cad::HostAllocations::outstandingStrings();
  wchar_t* s = cad::acutNewString(L"text");
  EXPECT_EQ(cad::HostAllocations::outstandingStrings(), before + 1);
  cad::acdbFree(s);
  EXPECT_EQ(cad::HostAllocations::outstandingStrings(), before);
  cad::resbuf local;  // not the host's
  EXPECT_EQ(cad::acutRelRb(&local), cad::RTERROR);
  wchar_t* t = cad::acutNewString(nullptr);
  EXPECT_STREQ(t, L"");
  cad::acutDelString(t);
  EXPECT_EQ(t, nullptr);
}

}  // namespace
