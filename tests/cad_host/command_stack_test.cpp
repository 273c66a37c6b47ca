#include <gtest/gtest.h>

#include "cad/command_stack.h"
#include "cad/dynamic_linker.h"
#include "cad/editor.h"
#include "cad/registry.h"
#include "host_fixture.h"

namespace {

using cadtest::HostTest;

void nothing() {}

cad::CommandStack* stackFromRegistry() {
  return dynamic_cast<cad::CommandStack*>(cad::acrxSysRegistry()->at(L"ACAD_REGISTERED_COMMANDS"));
}

class CommandStackTest : public HostTest {};

TEST_F(CommandStackTest, RegistryHoldsTheServicesAndCanLoseEach) {
  ASSERT_NE(stackFromRegistry(), nullptr);
  EXPECT_NE(dynamic_cast<cad::DynamicLinker*>(cad::acrxSysRegistry()->at(L"DynamicLinker")), nullptr);
  EXPECT_NE(dynamic_cast<cad::Editor*>(cad::acrxSysRegistry()->at(L"AcEditor")), nullptr);
  EXPECT_EQ(cad::acrxSysRegistry()->at(L"NoSuchService"), nullptr);
  EXPECT_EQ(cad::acrxSysRegistry()->at(nullptr), nullptr);

  cad::acrxSysRegistry()->setAbsent(L"ACAD_REGISTERED_COMMANDS", true);
  EXPECT_EQ(stackFromRegistry(), nullptr);
  EXPECT_NE(cad::acrxSysRegistry()->at(L"AcEditor"), nullptr);
  cad::acrxSysRegistry()->setAbsent(L"ACAD_REGISTERED_COMMANDS", false);
  EXPECT_NE(stackFromRegistry(), nullptr);
}

TEST_F(CommandStackTest, KeepsGroupsAndCommandsInRegistrationOrderWithTheirFlags) {
  cad::CommandStack& stack = *stackFromRegistry();
  cad::Command* returned = nullptr;
  ASSERT_EQ(stack.addCommand(L"G1", L"FIRST", L"FIRST", cad::ACRX_CMD_MODAL, nothing), cad::eOk);
  ASSERT_EQ(stack.addCommand(L"G2", L"SECOND", L"ZWEITE", cad::ACRX_CMD_SESSION, nothing, nullptr, -1,
                             cad::ResourceInstance::empty(), &returned),
            cad::eOk);
  ASSERT_EQ(stack.addCommand(L"G1", L"THIRD", L"THIRD", cad::ACRX_CMD_MODAL, nothing), cad::eOk);

  EXPECT_EQ(stack.groups(), (std::vector<std::wstring>{L"G1", L"G2"}));
  std::vector<std::wstring> names;
  for (const cad::Command* c : stack.commands()) names.push_back(c->globalName());
  EXPECT_EQ(names, (std::vector<std::wstring>{L"FIRST", L"SECOND", L"THIRD"}));
  EXPECT_EQ(stack.commandsOf(L"G1").size(), 2u);
  ASSERT_NE(returned, nullptr);
  EXPECT_EQ(returned->localName(), L"ZWEITE");
  EXPECT_TRUE(returned->isSession());
  EXPECT_EQ(returned->commandFlags(), 0x200000);
  EXPECT_FALSE(stack.lookupGlobalCmd(L"FIRST")->isSession());
}

TEST_F(CommandStackTest, RefusesDuplicatesEmptyNamesAndMissingHandlers) {
  cad::CommandStack& stack = cad::commandStack();
  ASSERT_EQ(stack.addCommand(L"G", L"ONE", L"UNO", 0, nothing), cad::eOk);
  EXPECT_EQ(stack.addCommand(L"G", L"one", L"other", 0, nothing), cad::eDuplicateKey);     // global, any case
  EXPECT_EQ(stack.addCommand(L"H", L"TWO", L"uno", 0, nothing), cad::eDuplicateKey);       // local, other group
  EXPECT_EQ(stack.addCommand(L"H", L"", L"X", 0, nothing), cad::eInvalidInput);
  EXPECT_EQ(stack.addCommand(L"", L"X", L"X", 0, nothing), cad::eInvalidInput);
  EXPECT_EQ(stack.addCommand(L"H", L"X", L"X", 0, nullptr), cad::eInvalidInput);
  EXPECT_EQ(stack.commands().size(), 1u);
}

TEST_F(CommandStackTest, LookupsIgnoreCaseAndUnderscoreAsksForTheGlobalName) {
  cad::CommandStack& stack = cad::commandStack();
  ASSERT_EQ(stack.addCommand(L"G", L"PLOTALL", L"ALLESPLOTTEN", 0, nothing), cad::eOk);
  EXPECT_NE(stack.lookupGlobalCmd(L"plotall"), nullptr);
  EXPECT_EQ(stack.lookupGlobalCmd(L"ALLESPLOTTEN"), nullptr);
  EXPECT_NE(stack.lookupLocalCmd(L"allesplotten"), nullptr);
  EXPECT_EQ(stack.lookupLocalCmd(L"PLOTALL"), nullptr);
  EXPECT_NE(stack.lookupTyped(L"allesplotten"), nullptr);
  EXPECT_NE(stack.lookupTyped(L"PlotAll"), nullptr);  // a local lookup falls back to the global name
  EXPECT_NE(stack.lookupTyped(L"_plotall"), nullptr);
  EXPECT_EQ(stack.lookupTyped(L"_ALLESPLOTTEN"), nullptr);
  EXPECT_EQ(stack.lookupTyped(L""), nullptr);
}

TEST_F(CommandStackTest, RemovesOneCommandOrAWholeGroup) {
  cad::CommandStack& stack = cad::commandStack();
  stack.addCommand(L"G", L"A", L"A", 0, nothing);
  stack.addCommand(L"G", L"B", L"B", 0, nothing);
  stack.addCommand(L"OTHER", L"C", L"C", 0, nothing);

  EXPECT_EQ(stack.removeCmd(L"OTHER", L"A"), cad::eKeyNotFound);  // wrong group
  EXPECT_EQ(stack.removeCmd(L"G", L"a"), cad::eOk);
  EXPECT_EQ(stack.lookupGlobalCmd(L"A"), nullptr);
  EXPECT_EQ(stack.removeGroup(L"G"), cad::eOk);
  EXPECT_EQ(stack.lookupGlobalCmd(L"B"), nullptr);
  EXPECT_NE(stack.lookupGlobalCmd(L"C"), nullptr);
  EXPECT_EQ(stack.removeGroup(L"G"), cad::eKeyNotFound);
  // A removed name can be registered again.
  EXPECT_EQ(stack.addCommand(L"G", L"A", L"A", 0, nothing), cad::eOk);
}

TEST_F(CommandStackTest, FailureHooks) {
  cad::CommandStack& stack = cad::commandStack();
  stack.faults.addCommand.insert(L"BROKEN");
  EXPECT_NE(stack.addCommand(L"G", L"broken", L"broken", 0, nothing), cad::eOk);
  EXPECT_EQ(stack.addCommand(L"G", L"FINE", L"FINE", 0, nothing), cad::eOk);
  stack.faults.removeCmd = true;
  stack.faults.removeGroup = true;
  EXPECT_NE(stack.removeCmd(L"G", L"FINE"), cad::eOk);
  EXPECT_NE(stack.removeGroup(L"G"), cad::eOk);
  EXPECT_NE(stack.lookupGlobalCmd(L"FINE"), nullptr);
  stack.faults.addAll = true;
  EXPECT_NE(stack.addCommand(L"G", L"MORE", L"MORE", 0, nothing), cad::eOk);
}

TEST_F(CommandStackTest, DynamicLinkerRecordsItsCalls) {
  auto* linker = dynamic_cast<cad::DynamicLinker*>(cad::acrxSysRegistry()->at(L"DynamicLinker"));
  int app = 0;
  EXPECT_TRUE(linker->unlockApplication(&app));
  EXPECT_TRUE(linker->registerAppMDIAware(&app));
  linker->faults.mdiAware = true;
  EXPECT_FALSE(linker->registerAppMDIAware(&app));
  EXPECT_EQ(linker->unlocked, std::vector<void*>{&app});
  EXPECT_EQ(linker->mdiAware.size(), 2u);
}

}  // namespace
