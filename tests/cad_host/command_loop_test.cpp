#include <gtest/gtest.h>

#include <stdexcept>

#include "cad/command_line.h"
#include "cad/command_loop.h"
#include "cad/command_names.h"
#include "cad/command_stack.h"
#include "cad/doc_manager.h"
#include "cad/editor.h"
#include "cad/typed_input.h"
#include "host_fixture.h"

namespace {

using cad::TypedToken;
using cadtest::CommandStartLog;
using cadtest::HostTest;

std::vector<TypedToken> tokens(const std::wstring& text) {
  cad::TypedInput input;
  input.append(text, false);
  std::vector<TypedToken> out;
  while (auto token = input.next()) out.push_back(*token);
  return out;
}

TypedToken word(const std::wstring& text) { return {TypedToken::kWord, text, false}; }
const TypedToken kCancel{TypedToken::kCancel, L"", false};
const TypedToken kEnter{TypedToken::kEnter, L"", false};

TEST(TypedInputTest, ReadsEscapesWordsAndEnters) {
  const struct {
    std::wstring text;
    std::vector<TypedToken> expected;
  } cases[] = {
      {L"\x1b\x1b_DUZOZAREDEXEC ", {kCancel, kCancel, word(L"_DUZOZAREDEXEC")}},
      {L"_DUZOZAREDFILEEXEC ", {word(L"_DUZOZAREDFILEEXEC")}},
      {L"QUODL ", {word(L"QUODL")}},
      {L"QUODL", {}},  // not entered yet
      {L"ZOOM W 0,0 10,10\n", {word(L"ZOOM"), word(L"W"), word(L"0,0"), word(L"10,10")}},
      {L"A\r\nB\n", {word(L"A"), word(L"B")}},
      {L" \n", {kEnter, kEnter}},
      {L"\r\n", {kEnter}},
      {L"HALF\x1bLINE ", {kCancel, word(L"LINE")}},  // ESC throws the half-typed word away
      {L"", {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(tokens(c.text), c.expected) << "input: " << testing::PrintToString(c.text);
  }
}

TEST(TypedInputTest, AWordWaitsForItsEnterAcrossAppends) {
  cad::TypedInput input;
  input.append(L"QUO", true);
  EXPECT_FALSE(input.next());
  input.append(L"DL ", false);
  auto token = input.next();
  ASSERT_TRUE(token);
  EXPECT_EQ(token->text, L"QUODL");
  EXPECT_TRUE(token->echo);  // echo follows the word's first character
  EXPECT_TRUE(input.empty());
}

class CommandLoopTest : public HostTest {
 protected:
  void add(const wchar_t* name, int flags, std::function<void()> handler) {
    ASSERT_EQ(cad::commandStack().addCommand(L"TEST", name, name, flags, std::move(handler)), cad::eOk);
  }
  std::vector<std::wstring> ran;
};

TEST_F(CommandLoopTest, SentStringsRunAfterTheCallerReturnsInTheFormsThePlugInUses) {
  cad::Document* doc = openDrawing();
  add(L"DUZOZAREDEXEC", cad::ACRX_CMD_MODAL, [&] { ran.push_back(L"exec"); });
  add(L"DUZOZAREDFILEEXEC", cad::ACRX_CMD_MODAL, [&] { ran.push_back(L"fileexec"); });
  add(L"DUZOZARED", cad::ACRX_CMD_MODAL, [&] { ran.push_back(L"panel"); });
  cad::commandNames().addAlias(L"QUODL", L"DUZOZARED");
  cad::DocManager& docs = cad::docManager();

  EXPECT_EQ(docs.sendStringToExecute(doc, L"\x1b\x1b_DUZOZAREDEXEC ", true, false, false), cad::eOk);
  EXPECT_EQ(docs.sendStringToExecute(doc, L"_DUZOZAREDFILEEXEC ", true, false, false), cad::eOk);
  EXPECT_EQ(docs.sendStringToExecute(doc, L"QUODL ", true, false, false), cad::eOk);
  EXPECT_TRUE(ran.empty());  // nothing runs inside the call
  drain();
  EXPECT_EQ(ran, (std::vector<std::wstring>{L"exec", L"fileexec", L"panel"}));
  EXPECT_EQ(cad::commandLoop().cancels, 2);

  ASSERT_EQ(docs.sendStringCalls.size(), 3u);
  EXPECT_EQ(docs.sendStringCalls[0].text, L"\x1b\x1b_DUZOZAREDEXEC ");
  EXPECT_EQ(docs.sendStringCalls[0].document, doc);
  EXPECT_TRUE(docs.sendStringCalls[0].activate);
  EXPECT_FALSE(docs.sendStringCalls[0].echo);
  // Echo off: the command line shows no "Command:" line for them.
  EXPECT_EQ(cad::commandLine().transcript().find(L"Command:"), std::wstring::npos);
}

TEST_F(CommandLoopTest, ModalCommandsRunInTheirDocumentAndSessionCommandsInTheApplication) {
  cad::Document* doc = openDrawing();
  cad::DocManager& docs = cad::docManager();
  bool modalSawApplication = true, sessionSawApplication = false;
  cad::Database* working = nullptr;
  add(L"MODAL", cad::ACRX_CMD_MODAL, [&] {
    modalSawApplication = docs.isApplicationContext();
    working = cad::acdbHostApplicationServices()->workingDatabase();
  });
  add(L"SESSION", cad::ACRX_CMD_SESSION, [&] { sessionSawApplication = docs.isApplicationContext(); });

  cad::commandLoop().type(L"MODAL\nSESSION\n");
  EXPECT_FALSE(modalSawApplication);
  EXPECT_EQ(working, doc->database());
  EXPECT_TRUE(sessionSawApplication);
  const auto& history = cad::commandLoop().history;
  ASSERT_EQ(history.size(), 2u);
  EXPECT_EQ(history[0].context, cad::CommandContext::kDocument);
  EXPECT_EQ(history[0].document, doc);
  EXPECT_EQ(history[1].context, cad::CommandContext::kApplication);
  EXPECT_EQ(history[1].document, nullptr);
  EXPECT_NE(cad::commandLine().transcript().find(L"\nCommand: MODAL"), std::wstring::npos);
}

TEST_F(CommandLoopTest, ACommandQueuedByARunningCommandWaitsForItToReturn) {
  cad::Document* doc = openDrawing();
  add(L"SECOND", 0, [&] { ran.push_back(L"second"); });
  add(L"FIRST", 0, [&] {
    cad::docManager().sendStringToExecute(doc, L"\x1b\x1b_SECOND ", true, false, false);
    drain();  // even a nested run of the main queue must not start it
    ran.push_back(L"first done");
  });
  cad::commandLoop().type(L"FIRST ");
  drain();
  EXPECT_EQ(ran, (std::vector<std::wstring>{L"first done", L"second"}));
}

TEST_F(CommandLoopTest, InputForABackgroundDocumentWaitsUntilItIsActive) {
  cad::Document* first = openDrawing(L"/d/first.dwg");
  cad::Document* second = openDrawing(L"/d/second.dwg");
  ASSERT_EQ(cad::docManager().mdiActiveDocument(), second);
  cad::Document* ranIn = nullptr;
  add(L"WHERE", 0, [&] { ranIn = cad::docManager().curDocument(); });

  ASSERT_EQ(cad::docManager().sendStringToExecute(first, L"WHERE ", false, false, false), cad::eOk);
  drain();
  EXPECT_EQ(ranIn, nullptr);
  cad::docManager().activateDocument(first);
  drain();
  EXPECT_EQ(ranIn, first);
}

TEST_F(CommandLoopTest, RefusedOrBadSendsQueueNothingAndAreRecorded) {
  cad::Document* doc = openDrawing();
  add(L"X", 0, [&] { ran.push_back(L"x"); });
  cad::DocManager& docs = cad::docManager();
  docs.faults.sendString = true;
  EXPECT_NE(docs.sendStringToExecute(doc, L"X ", true, false, false), cad::eOk);
  docs.faults.sendString = false;
  EXPECT_NE(docs.sendStringToExecute(nullptr, L"X ", true, false, false), cad::eOk);
  EXPECT_NE(docs.sendStringToExecute(doc, nullptr, true, false, false), cad::eOk);
  drain();
  EXPECT_TRUE(ran.empty());
  ASSERT_EQ(docs.sendStringCalls.size(), 3u);
  EXPECT_NE(docs.sendStringCalls[0].result, cad::eOk);
}

TEST_F(CommandLoopTest, NamesResolveThroughPrefixesAliasesAndBuiltIns) {
  openDrawing();
  CommandStartLog commands;
  add(L"MINE", 0, [&] { ran.push_back(L"mine"); });
  cad::commandNames().addAlias(L"MI", L"MINE");
  cad::commandNames().addAlias(L"RE", L"REGEN");

  cad::commandLoop().type(L"mi _mine 're RE\n");
  EXPECT_EQ(ran, (std::vector<std::wstring>{L"mine", L"mine"}));
  EXPECT_EQ(commands.started, (std::vector<std::wstring>{L"MINE", L"MINE", L"REGEN", L"REGEN"}));
  commands.stop();

  cad::commandLoop().type(L"_MI NOSUCH LINE\n");  // an alias has no global name
  const std::wstring& t = cad::commandLine().transcript();
  EXPECT_NE(t.find(L"Unknown command \"_MI\"."), std::wstring::npos);
  EXPECT_NE(t.find(L"Unknown command \"NOSUCH\"."), std::wstring::npos);
  EXPECT_NE(t.find(L"LINE is not available in this host."), std::wstring::npos);
}

TEST_F(CommandLoopTest, AFailingHandlerIsReportedAndTheLoopGoesOn) {
  openDrawing();
  add(L"BAD", 0, [] { throw std::runtime_error("broken handler"); });
  add(L"GOOD", 0, [&] { ran.push_back(L"good"); });
  cad::commandLoop().type(L"BAD GOOD ");
  EXPECT_EQ(ran, std::vector<std::wstring>{L"good"});
  EXPECT_NE(cad::commandLine().transcript().find(L"BAD failed: broken handler"), std::wstring::npos);
  EXPECT_FALSE(cad::commandLoop().isCommandActive());
  EXPECT_TRUE(cad::docManager().isApplicationContext());
}

TEST_F(CommandLoopTest, ApplicationContextWorkRunsLaterAndNotInsideACommand) {
  openDrawing();
  static std::vector<std::wstring>* log;
  log = &ran;
  static bool sawApplication;
  sawApplication = false;
  auto callback = [](void* data) {
    log->push_back(static_cast<const wchar_t*>(data));
    sawApplication = cad::docManager().isApplicationContext();
  };
  add(L"DEFER", 0, [&] {
    EXPECT_EQ(cad::docManager().beginExecuteInApplicationContext(callback, const_cast<wchar_t*>(L"deferred")),
              cad::eOk);
    drain();
    ran.push_back(L"command done");
  });
  cad::commandLoop().type(L"DEFER ");
  drain();
  EXPECT_EQ(ran, (std::vector<std::wstring>{L"command done", L"deferred"}));
  EXPECT_TRUE(sawApplication);

  cad::docManager().faults.beginExecute = true;
  EXPECT_NE(cad::docManager().beginExecuteInApplicationContext(callback, nullptr), cad::eOk);
  EXPECT_NE(cad::docManager().beginExecuteInApplicationContext(nullptr, nullptr), cad::eOk);
  EXPECT_EQ(cad::docManager().beginExecuteCalls, 3);
}

TEST_F(CommandLoopTest, WithoutADocumentModalCommandsStillRunOnTheBareCommandLine) {
  cad::Document* seen = reinterpret_cast<cad::Document*>(1);
  add(L"BARE", 0, [&] { seen = cad::docManager().curDocument(); });
  cad::commandLoop().type(L"BARE\n");
  EXPECT_EQ(seen, nullptr);
  ASSERT_EQ(cad::commandLoop().history.size(), 1u);
  EXPECT_EQ(cad::commandLoop().history[0].document, nullptr);
}

}  // namespace
