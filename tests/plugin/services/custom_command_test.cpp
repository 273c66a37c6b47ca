// The custom start command: its name rule and alias-file scan, every path of a change with its rollback, and the
// host binding against the stand-in host (commands, aliases in acad.pgp and acadUser.pgp, LISP commands).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <tuple>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cad/command_names.h"
#include "cad/database.h"
#include "cad/doc_manager.h"
#include "cad/environment.h"
#include "cad/host_paths.h"
#include "cad/lisp_symbols.h"
#include "foundation/file_faults.h"
#include "host_fixture.h"
#include "services/command_alias.h"
#include "services/custom_command.h"
#include "temp_folder.h"

namespace {

TEST(CommandName, NormalisesAndRefusesAsTheRuleSays) {
  struct Case {
    std::string input;
    std::string out;
    bool valid;
  };
  const std::vector<Case> cases = {
      {"  quodlx\t", "QUODLX", false}, {"xquodl", "XQUODL", true},   {"DUZOZARED2", "DUZOZARED2", false},
      {"abcdefghijklmnop", "ABCDEFGHIJKLMNOP", true},                 {"abcdefghijklmnopq", "ABCDEFGHIJKLMNOPQ", false},
      {"1abc", "1ABC", false},         {"_abc", "_ABC", false},       {"ab-c", "AB-C", false},
      {"caf\xC3\xA9", "CAF\xC3\xA9", false},                          {"\t\r\n", "", true},
      {"", "", true},                  {"pp_2", "PP_2", true},        {"a b", "A B", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input);
    std::string out = "stale";
    EXPECT_EQ(qdl::normalizeCommand(c.input, out), c.valid);
    EXPECT_EQ(out, c.out);
  }
  EXPECT_EQ(qdl::upperCommand("a\xC3\xA4z"), "A\xC3\xA4Z");
  EXPECT_EQ(qdl::trimCommand(" \t x y \r\n"), "x y");
}

TEST(AliasFile, DefinesOnlyTheAliasesOfItsLines) {
  const std::string text = ";P,*PAN\nmc ,*MOVE\n";
  EXPECT_TRUE(qdl::pgpContainsCommand(text, "MC"));
  EXPECT_FALSE(qdl::pgpContainsCommand(text, "P"));
  EXPECT_FALSE(qdl::pgpContainsCommand(text, "MOVE"));
  EXPECT_FALSE(qdl::pgpContainsCommand("MC\n", "MC"));                      // no comma
  EXPECT_TRUE(qdl::pgpContainsCommand("\xEF\xBB\xBFMC,*MOVE", "MC"));       // a byte-order mark at the start
  EXPECT_FALSE(qdl::pgpContainsCommand("X,*Y\n\xEF\xBB\xBFMC,*MOVE", "MC"));  // only there
  EXPECT_TRUE(qdl::pgpContainsCommand("A,*ARC\r\n\r\n  zz ,*ZOOM\r\n", "ZZ"));
  EXPECT_FALSE(qdl::pgpContainsCommand("", "MC"));
  EXPECT_FALSE(qdl::pgpContainsCommand(std::string("\0\xff,\x01", 4), "MC"));  // damaged bytes define nothing
}

// A host that records every call and fails where told.
class FakeHost : public qdl::AliasHost {
 public:
  std::string saved;
  std::vector<std::string> registered;
  std::vector<std::string> taken;
  std::vector<std::string> unremovable;
  bool failAdd = false, failSave = false, failSaveOnce = false;
  std::string calls;

  std::string load() override { return saved; }
  bool occupied(const std::string& name) override {
    calls += "occupied " + name + ";";
    return std::find(taken.begin(), taken.end(), name) != taken.end();
  }
  bool add(const std::string& name) override {
    calls += "add " + name + ";";
    if (failAdd) return false;
    registered.push_back(name);
    return true;
  }
  bool remove(const std::string& name) override {
    calls += "remove " + name + ";";
    if (std::find(unremovable.begin(), unremovable.end(), name) != unremovable.end()) return false;
    std::erase(registered, name);
    return true;
  }
  bool save(const std::string& name) override {
    calls += "save " + name + ";";
    if (failSave || failSaveOnce) {
      failSaveOnce = false;
      return false;
    }
    saved = name;
    return true;
  }
};

TEST(CommandAliasModel, EveryPathOfAChangeEndsWithOneConsistentRegistration) {
  using R = qdl::AliasResult;
  struct Case {
    const char* name;
    std::string active;    // registered and saved before the change
    std::string request;
    void (*fault)(FakeHost&);
    R result;
    std::string calls;
    std::string activeAfter, savedAfter;
    std::vector<std::string> registeredAfter;
  };
  auto none = [](FakeHost&) {};
  const std::vector<Case> cases = {
      {"to a new name", "OLD", "new", none, R::Ok, "occupied NEW;add NEW;save NEW;remove OLD;", "NEW", "NEW", {"NEW"}},
      {"from none", "", "pp", none, R::Ok, "occupied PP;add PP;save PP;", "PP", "PP", {"PP"}},
      {"to none", "OLD", " ", none, R::Ok, "save ;remove OLD;", "", "", {}},
      {"none to none", "", "", none, R::Ok, "save ;", "", "", {}},
      {"the same name, even when taken now", "OLD", "old", [](FakeHost& h) { h.taken = {"OLD"}; }, R::Ok,
       "save OLD;", "OLD", "OLD", {"OLD"}},
      {"the same name, not saved", "OLD", "OLD", [](FakeHost& h) { h.failSave = true; }, R::SaveFailed, "save OLD;",
       "OLD", "OLD", {"OLD"}},
      {"an invalid name", "OLD", "QUODLX", none, R::InvalidName, "", "OLD", "OLD", {"OLD"}},
      {"a taken name", "OLD", "move", [](FakeHost& h) { h.taken = {"MOVE"}; }, R::Occupied, "occupied MOVE;", "OLD",
       "OLD", {"OLD"}},
      {"not registered", "OLD", "new", [](FakeHost& h) { h.failAdd = true; }, R::RegisterFailed,
       "occupied NEW;add NEW;", "OLD", "OLD", {"OLD"}},
      {"not saved, withdrawn", "OLD", "new", [](FakeHost& h) { h.failSaveOnce = true; }, R::SaveFailed,
       "occupied NEW;add NEW;save NEW;remove NEW;", "OLD", "OLD", {"OLD"}},
      {"not saved, not withdrawn", "OLD", "new",
       [](FakeHost& h) {
         h.failSave = true;
         h.unremovable = {"NEW"};
       },
       R::RollbackFailed, "occupied NEW;add NEW;save NEW;remove NEW;", "OLD", "OLD", {"OLD", "NEW"}},
      {"the old one stays, rolled back", "OLD", "new", [](FakeHost& h) { h.unremovable = {"OLD"}; }, R::RolledBack,
       "occupied NEW;add NEW;save NEW;remove OLD;save OLD;remove NEW;", "OLD", "OLD", {"OLD"}},
      {"the old one stays, the new one too", "OLD", "new", [](FakeHost& h) { h.unremovable = {"OLD", "NEW"}; },
       R::RollbackFailed, "occupied NEW;add NEW;save NEW;remove OLD;save OLD;remove NEW;", "OLD", "OLD",
       {"OLD", "NEW"}},
      {"to none, the old one stays", "OLD", "", [](FakeHost& h) { h.unremovable = {"OLD"}; }, R::RolledBack,
       "save ;remove OLD;save OLD;", "OLD", "OLD", {"OLD"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeHost host;
    host.saved = c.active;
    qdl::CommandAlias alias(host);
    ASSERT_EQ(alias.restore(), R::Ok);
    ASSERT_EQ(alias.active(), c.active);
    host.calls.clear();
    c.fault(host);
    EXPECT_EQ(alias.change(c.request), c.result);
    EXPECT_EQ(host.calls, c.calls);
    EXPECT_EQ(alias.active(), c.activeAfter);
    EXPECT_EQ(host.saved, c.savedAfter);
    // Only a failed rollback leaves two registrations, which its message asks the user to check.
    EXPECT_EQ(host.registered, c.registeredAfter);
  }
}

TEST(CommandAliasModel, RestoreRegistersAFreeSavedNameOnly) {
  using R = qdl::AliasResult;
  FakeHost host;
  host.saved = " pp ";
  qdl::CommandAlias alias(host);
  EXPECT_EQ(alias.restore(), R::Ok);
  EXPECT_EQ(alias.active(), "PP");
  EXPECT_EQ(alias.restore(), R::Ok);  // once active, nothing more
  EXPECT_EQ(host.registered, std::vector<std::string>{"PP"});

  for (auto [saved, fault, result] : {std::tuple{"quodl2", 0, R::InvalidName}, std::tuple{"MOVE", 1, R::Occupied},
                                      std::tuple{"XX", 2, R::RegisterFailed}, std::tuple{"", 0, R::Ok}}) {
    FakeHost other;
    other.saved = saved;
    if (fault == 1) other.taken = {"MOVE"};
    other.failAdd = fault == 2;
    qdl::CommandAlias model(other);
    EXPECT_EQ(model.restore(), result) << saved;
    EXPECT_EQ(model.active(), "");
    EXPECT_EQ(other.saved, saved);  // a failed restore keeps the saved value
  }
}

// The host binding against the stand-in host, its settings and support folders in a private folder.
class CustomCommandHostTest : public HostTest {
 protected:
  void SetUp() override {
    setenv("XDG_CONFIG_HOME", (folder_ / "config").c_str(), 1);
    setenv("XDG_DATA_HOME", (folder_ / "data").c_str(), 1);
    HostTest::SetUp();
    std::filesystem::create_directories(folder_ / "host");
    std::filesystem::create_directories(folder_ / "user");
    cad::setSupportFolders({folder_ / "host", folder_ / "user"});
    write("host/acad.pgp", "; host aliases\nC,*CIRCLE\nMC,*MOVE\n");
  }
  void TearDown() override {
    foundation::clearFileFaults();
    alias.reset();
    HostTest::TearDown();
  }
  void write(const std::string& name, const std::string& text) { std::ofstream(folder_ / name) << text; }

  TempFolder folder_{"quodl-custom-command"};
};

TEST_F(CustomCommandHostTest, ANameIsTakenByAnyCommandAliasOrLispCommandTheHostKnows) {
  AutoCADAliasHost& host = customCommandHost();
  cad::commandStack().addCommand(L"OTHER", L"GLOBALONE", L"LOCALONE", 0, [] {});
  cad::lispSymbols().define(L"C:LISPY");
  cad::lispSymbols().define(L"NOTACOMMAND");
  write("user/acadUser.pgp", "\xEF\xBB\xBFmine,*LINE\r\n");
  for (const char* name : {"GLOBALONE", "LOCALONE", "LINE", "CIRCLE", "LISPY", "MC", "MINE"}) {
    EXPECT_TRUE(host.occupied(name)) << name;
  }
  for (const char* name : {"FREE", "NOTACOMMAND", "C", "CIRCLEX"}) {
    EXPECT_EQ(host.occupied(name), std::string(name) == "C") << name;  // C is an alias of acad.pgp
  }

  // A missing acadUser.pgp takes nothing; an empty one neither; one that cannot be read takes every name.
  std::filesystem::remove(folder_ / "user/acadUser.pgp");
  EXPECT_FALSE(host.occupied("FREE"));
  write("user/acadUser.pgp", "");
  EXPECT_FALSE(host.occupied("FREE"));
  foundation::failNextFileOperation(foundation::FileOperation::read, EIO, 1, 1);  // acad.pgp reads, then not
  EXPECT_TRUE(host.occupied("FREE"));
  std::filesystem::resize_file(folder_ / "user/acadUser.pgp", 5u << 20);  // no alias file is that large
  EXPECT_TRUE(host.occupied("FREE"));
}

TEST_F(CustomCommandHostTest, LoadRestoresTheSavedCommandWhichForwardsToQuodl) {
  ASSERT_EQ(cad::acedSetEnv(L"NUVOLK_QUODL_CUSTOM_COMMAND", L" pp "), cad::RTNORM);
  qdl_command_settings_initialize();
  ASSERT_TRUE(alias);
  EXPECT_EQ(alias->active(), "PP");
  const cad::Command* command = cad::commandStack().lookupGlobalCmd(L"PP");
  ASSERT_NE(command, nullptr);
  EXPECT_EQ(command->groupName(), kCustomCommandGroup);
  EXPECT_EQ(command->localName(), L"PP");
  EXPECT_EQ(command->commandFlags(), cad::ACRX_CMD_MODAL);
  EXPECT_EQ(transcript().find(L"自定义命令未启用"), std::wstring::npos);

  // Without a drawing it does nothing; with one it sends QUODL as typed.
  command->functionAddr()();
  EXPECT_TRUE(cad::docManager().sendStringCalls.empty());
  cad::Document* doc = cad::docManager().addDocument(cad::Database::createDefault(), L"/drawings/a.dwg");
  command->functionAddr()();
  ASSERT_EQ(cad::docManager().sendStringCalls.size(), 1u);
  const auto& call = cad::docManager().sendStringCalls[0];
  EXPECT_EQ(call.document, doc);
  EXPECT_EQ(call.text, L"QUODL ");
  EXPECT_TRUE(call.activate);
  EXPECT_FALSE(call.wrapUpInactiveDoc);
  EXPECT_FALSE(call.echo);

  // Unload removes the group whatever its name and keeps the saved value.
  qdl_command_settings_shutdown();
  EXPECT_FALSE(alias);
  EXPECT_EQ(cad::commandStack().lookupGlobalCmd(L"PP"), nullptr);
  std::wstring saved;
  EXPECT_EQ(cad::acedGetEnv(L"NUVOLK_QUODL_CUSTOM_COMMAND", saved), cad::RTNORM);
  EXPECT_EQ(saved, L" pp ");
}

TEST_F(CustomCommandHostTest, ASavedNameNowTakenIsNotRegisteredAndSaysSoOnLoad) {
  ASSERT_EQ(cad::acedSetEnv(L"NUVOLK_QUODL_CUSTOM_COMMAND", L"mc"), cad::RTNORM);
  qdl_command_settings_initialize();
  EXPECT_EQ(alias->active(), "");
  EXPECT_TRUE(cad::commandStack().commandsOf(kCustomCommandGroup).empty());
  EXPECT_NE(transcript().find(L"\nFerrolin 批打工具：自定义命令未启用，请使用 QUODL 打开启动命令设置。"), std::wstring::npos);
  std::wstring saved;
  EXPECT_EQ(cad::acedGetEnv(L"NUVOLK_QUODL_CUSTOM_COMMAND", saved), cad::RTNORM);
  EXPECT_EQ(saved, L"mc");
}

TEST_F(CustomCommandHostTest, EveryResultHasItsMessage) {
  EXPECT_EQ(errorMessage(qdl::AliasResult::Ok), "");
  EXPECT_EQ(errorMessage(static_cast<qdl::AliasResult>(7)), "");
  for (int value = 1; value <= 6; ++value) EXPECT_NE(errorMessage(static_cast<qdl::AliasResult>(value)), "");
}

}  // namespace
