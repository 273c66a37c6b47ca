// One call puts the whole stand-in host back, so test fixtures need not reset its pieces one by one.

#include <gtest/gtest.h>

#include <string>

#include "cad/command_line.h"
#include "cad/command_loop.h"
#include "cad/command_names.h"
#include "cad/command_stack.h"
#include "cad/dynamic_linker.h"
#include "cad/editor_input.h"
#include "cad/host_reset.h"
#include "cad/layout_manager.h"
#include "cad/lisp_symbols.h"
#include "cad/registry.h"
#include "cad/sysvars.h"
#include "cad/temporary_vectors.h"
#include "cad/transient.h"
#include "cad/ucs.h"
#include "cad/window_commands.h"
#include "host_fixture.h"

namespace {

using cadtest::CommandStartLog;
using cadtest::HostTest;

class HostResetTest : public HostTest {};

TEST_F(HostResetTest, PutsBackEveryPieceTestsChange) {
  // Typed at the bare command line, unfinished, before any drawing is open.
  cad::commandLoop().type(L"ZOO");
  openDrawing();
  CommandStartLog log;
  cad::editorInput().push(L"1,1");
  std::wstring echoed;
  cad::commandLine().setEcho([&](const std::wstring& text) { echoed += text; });
  ASSERT_EQ(cad::commandStack().addCommand(L"GROUP", L"PROBE", L"PROBE", cad::ACRX_CMD_MODAL, [] {}), cad::eOk);
  cad::commandLoop().runTyped(L"PROBE", true);
  cad::commandNames().addAlias(L"PR", L"PROBE");
  cad::dynamicLinker().unlockApplication(&log);
  cad::dynamicLinker().faults.unlock = true;
  cad::acrxSysRegistry()->setAbsent(L"AcEditor", true);
  cad::systemVariables().setValue(L"FILEDIA", short{0});
  cad::systemVariables().faults.get.insert(L"CMDECHO");
  cad::layoutManager()->faults.setCurrent = true;
  cad::setLayoutManagerAbsent(true);
  cad::docManager().faults.close = true;
  cad::setDocManagerAbsent(true);
  cad::lispSymbols().define(L"probe");
  cad::lispSymbols().fail = true;
  cad::temporaryVectors().add({});
  cad::ucsState().current.rotation = 1;
  cad::setTransientManagerAbsent(true);
  cad::windowCommands().add("probe", [](const std::string&) { return std::string(); });

  cad::resetHostForTesting();

  EXPECT_EQ(cad::docManager().documentCount(), 0);
  EXPECT_TRUE(cad::docManager().currentInput().empty());
  EXPECT_EQ(cad::acDocManagerPtr(), &cad::docManager());
  EXPECT_FALSE(cad::docManager().faults.close);
  EXPECT_EQ(cad::acdbHostApplicationServices()->workingDatabase(), nullptr);
  EXPECT_EQ(cad::editor().reactorCount(), 0u);
  EXPECT_EQ(cad::editorInput().pendingAnswers(), 0u);
  EXPECT_TRUE(cad::editorInput().prompts.empty());
  EXPECT_TRUE(cad::commandStack().commands().empty());
  EXPECT_TRUE(cad::commandLoop().history.empty());
  EXPECT_FALSE(cad::commandNames().aliasTarget(L"PR"));
  EXPECT_TRUE(cad::dynamicLinker().unlocked.empty());
  EXPECT_FALSE(cad::dynamicLinker().faults.unlock);
  EXPECT_NE(cad::acrxSysRegistry()->at(L"AcEditor"), nullptr);
  cad::resbuf value;
  ASSERT_EQ(cad::acedGetVar(L"FILEDIA", value), cad::RTNORM);
  EXPECT_EQ(value.resval.rint, 1);
  EXPECT_EQ(cad::acedGetVar(L"CMDECHO", value), cad::RTNORM);
  ASSERT_NE(cad::layoutManager(), nullptr);
  EXPECT_FALSE(cad::layoutManager()->faults.setCurrent);
  EXPECT_FALSE(cad::lispSymbols().fail);
  cad::resbuf* symbol = nullptr;
  ASSERT_EQ(cad::acedGetSym(L"probe", &symbol), cad::RTNORM);
  EXPECT_EQ(symbol->restype, cad::RTNIL);
  cad::acutRelRb(symbol);
  EXPECT_TRUE(cad::temporaryVectors().shown().empty());
  EXPECT_EQ(cad::ucsState().current.rotation, 0);
  EXPECT_NE(cad::acgiGetTransientManager(), nullptr);
  EXPECT_TRUE(cad::windowCommands().empty());
  EXPECT_TRUE(cad::commandLine().transcript().empty());
  echoed.clear();
  cad::commandLine().print(L"after");
  EXPECT_TRUE(echoed.empty());
}

}  // namespace
