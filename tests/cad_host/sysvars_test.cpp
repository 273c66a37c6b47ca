#include <gtest/gtest.h>

#include "cad/command_line.h"
#include "cad/command_loop.h"
#include "cad/editor.h"
#include "cad/layout_manager.h"
#include "cad/result_buffer.h"
#include "cad/sysvars.h"
#include "host_fixture.h"

namespace {

using cadtest::HostTest;

// Reads a string variable and gives the host's string back, as callers must.
std::optional<std::wstring> readString(const wchar_t* name) {
  cad::resbuf rb;
  if (cad::acedGetVar(name, rb) != cad::RTNORM || rb.restype != cad::RTSTR || rb.resval.rstring == nullptr) {
    return std::nullopt;
  }
  std::wstring value = rb.resval.rstring;
  cad::acutDelString(rb.resval.rstring);
  return value;
}

std::optional<int> readShort(const wchar_t* name) {
  cad::resbuf rb;
  if (cad::acedGetVar(name, rb) != cad::RTNORM || rb.restype != cad::RTSHORT) return std::nullopt;
  return rb.resval.rint;
}

int setString(const wchar_t* name, const wchar_t* value) {
  cad::resbuf rb;
  rb.restype = cad::RTSTR;
  rb.resval.rstring = const_cast<wchar_t*>(value);
  return cad::acedSetVar(name, rb);
}

int setShort(const wchar_t* name, int value) {
  cad::resbuf rb;
  rb.restype = cad::RTSHORT;
  rb.resval.rint = static_cast<short>(value);
  return cad::acedSetVar(name, rb);
}

struct ChangeLog : cad::EditorReactor {
  std::vector<std::wstring> changed;
  void sysVarChanged(const wchar_t* name, bool success) override {
    changed.push_back(std::wstring(name) + (success ? L"" : L" failed"));
  }
};

class SysvarsTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    openDrawing();
    cad::editor().addReactor(&log);
  }
  ChangeLog log;
};

TEST_F(SysvarsTest, CtabIsSetIgnoringCaseAndReadsBackCanonically) {
  EXPECT_EQ(readString(L"CTAB"), L"Model");
  EXPECT_EQ(readShort(L"TILEMODE"), 1);
  EXPECT_EQ(readShort(L"CVPORT"), 2);

  ASSERT_EQ(setString(L"ctab", L"sheet a"), cad::RTNORM);
  EXPECT_EQ(readString(L"CTAB"), L"Sheet A");  // what a case-sensitive caller compares against
  EXPECT_EQ(readShort(L"TILEMODE"), 0);
  EXPECT_EQ(readShort(L"CVPORT"), 1);
  EXPECT_EQ(log.changed, (std::vector<std::wstring>{L"CTAB", L"TILEMODE", L"CVPORT"}));

  log.changed.clear();
  ASSERT_EQ(setString(L"CTAB", L"Layout1"), cad::RTNORM);  // paper to paper: only CTAB changes
  EXPECT_EQ(log.changed, std::vector<std::wstring>{L"CTAB"});
  EXPECT_EQ(cad::HostAllocations::outstandingStrings(), 0u);
}

TEST_F(SysvarsTest, UnknownLayoutsAndBadValuesAreRefusedWithoutChange) {
  EXPECT_EQ(setString(L"CTAB", L"No Such Layout"), cad::RTERROR);
  EXPECT_EQ(setString(L"CTAB", L""), cad::RTERROR);
  EXPECT_EQ(setShort(L"CTAB", 1), cad::RTERROR);
  cad::resbuf nullString;
  nullString.restype = cad::RTSTR;
  nullString.resval.rstring = nullptr;
  EXPECT_EQ(cad::acedSetVar(L"CTAB", nullString), cad::RTERROR);
  EXPECT_EQ(setShort(L"TILEMODE", 5), cad::RTERROR);
  EXPECT_EQ(setString(L"NOSUCHVAR", L"x"), cad::RTERROR);
  EXPECT_EQ(cad::acedGetVar(L"NOSUCHVAR", nullptr), cad::RTERROR);
  EXPECT_EQ(readString(L"CTAB"), L"Model");
  EXPECT_TRUE(log.changed.empty());
}

TEST_F(SysvarsTest, CvportFollowsViewportsAndThePaperSpaceSwitch) {
  EXPECT_EQ(setShort(L"CVPORT", 3), cad::RTERROR);  // the Model tab has only viewport 2
  EXPECT_EQ(cad::acedPspace(), cad::RTERROR);
  ASSERT_EQ(setString(L"CTAB", L"Sheet A"), cad::RTNORM);
  EXPECT_EQ(setShort(L"CVPORT", 7), cad::RTERROR);  // no such viewport
  log.changed.clear();
  ASSERT_EQ(cad::acedMspace(), cad::RTNORM);
  EXPECT_EQ(readShort(L"CVPORT"), 2);
  EXPECT_EQ(log.changed, std::vector<std::wstring>{L"CVPORT"});
  ASSERT_EQ(cad::acedPspace(), cad::RTNORM);
  EXPECT_EQ(readShort(L"CVPORT"), 1);

  // Each layout remembers its viewport.
  ASSERT_EQ(setShort(L"CVPORT", 2), cad::RTNORM);
  ASSERT_EQ(setString(L"CTAB", L"Model"), cad::RTNORM);
  EXPECT_EQ(readShort(L"CVPORT"), 2);
  ASSERT_EQ(setShort(L"TILEMODE", 0), cad::RTNORM);  // back to the first paper layout
  EXPECT_EQ(readString(L"CTAB"), L"Layout1");
  ASSERT_EQ(setString(L"CTAB", L"SHEET A"), cad::RTNORM);
  EXPECT_EQ(readShort(L"CVPORT"), 2);
  ASSERT_EQ(setString(L"CTAB", L"Layout1"), cad::RTNORM);
  EXPECT_EQ(cad::acedMspace(), cad::RTERROR);  // Layout1 has no viewport
}

TEST_F(SysvarsTest, PlainAndDrawingVariables) {
  EXPECT_EQ(readString(L"ACADVER"), L"25.0s");
  EXPECT_EQ(setString(L"ACADVER", L"99"), cad::RTERROR);  // read-only
  cad::systemVariables().setValue(L"ACADVER", std::wstring(L"26.0s"), true);
  EXPECT_EQ(readString(L"acadver"), L"26.0s");
  EXPECT_EQ(readShort(L"PSTYLEMODE"), 1);
  EXPECT_EQ(readString(L"DWGNAME"), L"plan.dwg");
  EXPECT_EQ(readString(L"DWGPREFIX"), L"/drawings/");
  EXPECT_EQ(readShort(L"DWGTITLED"), 1);
  EXPECT_EQ(setShort(L"BACKGROUNDPLOT", 0), cad::RTNORM);
  EXPECT_EQ(readShort(L"BACKGROUNDPLOT"), 0);
  EXPECT_EQ(setString(L"BACKGROUNDPLOT", L"0"), cad::RTERROR);

  auto named = drawing();
  named->headerVariables[L"$PSTYLEMODE"] = L"0";
  cad::docManager().addDocument(std::move(named));
  EXPECT_EQ(readShort(L"PSTYLEMODE"), 0);
  EXPECT_EQ(readShort(L"DWGTITLED"), 0);  // an unsaved drawing
}

TEST_F(SysvarsTest, FailureHooksAndNoDrawing) {
  cad::systemVariables().faults.get.insert(L"TILEMODE");
  cad::systemVariables().faults.set.insert(L"CTAB");
  EXPECT_EQ(readShort(L"TILEMODE"), std::nullopt);
  EXPECT_EQ(setString(L"CTAB", L"Layout1"), cad::RTERROR);
  EXPECT_EQ(readString(L"CTAB"), L"Model");

  cad::docManager().reset();
  EXPECT_EQ(readString(L"CTAB"), std::nullopt);
  EXPECT_EQ(readShort(L"CVPORT"), std::nullopt);
  EXPECT_EQ(readString(L"ACADVER"), L"25.0s");  // not a drawing's variable
}

TEST_F(SysvarsTest, AVariableNameTypedAsACommandShowsAndSetsIt) {
  cad::commandLoop().type(L"ctab layout1\n");
  EXPECT_EQ(readString(L"CTAB"), L"Layout1");
  EXPECT_NE(cad::commandLine().transcript().find(L"Enter new value for CTAB <\"Model\">: layout1"), std::wstring::npos);
  cad::commandLoop().type(L"SETVAR ctab model CVPORT x BACKGROUNDPLOT 0 ACADVER 1 TILEMODE\n\n");
  EXPECT_EQ(readString(L"CTAB"), L"Model");
  EXPECT_EQ(readShort(L"BACKGROUNDPLOT"), 0);
  EXPECT_EQ(readShort(L"TILEMODE"), 1);  // Enter keeps the value
  const std::wstring& t = cad::commandLine().transcript();
  EXPECT_NE(t.find(L"Requires an integer value."), std::wstring::npos);
  EXPECT_NE(t.find(L"The value was not accepted."), std::wstring::npos);  // ACADVER is read-only
}

TEST_F(SysvarsTest, LayoutManagerNamesTheActiveLayout) {
  cad::LayoutManager* layouts = cad::layoutManager();
  ASSERT_NE(layouts, nullptr);
  std::wstring name;
  EXPECT_EQ(layouts->getActiveLayoutName(name, true), cad::eOk);
  EXPECT_EQ(name, L"Model");
  EXPECT_NE(layouts->getActiveLayoutName(name, false), cad::eOk);
  EXPECT_EQ(layouts->setCurrentLayout(L"sheet a"), cad::eOk);
  EXPECT_EQ(layouts->getActiveLayoutName(name, false), cad::eOk);
  EXPECT_EQ(name, L"Sheet A");
  EXPECT_EQ(layouts->setCurrentLayout(L"nope"), cad::eKeyNotFound);
  layouts->faults.activeName = true;
  EXPECT_NE(layouts->getActiveLayoutName(name, true), cad::eOk);
  EXPECT_TRUE(name.empty());
  cad::setLayoutManagerAbsent(true);
  EXPECT_EQ(cad::layoutManager(), nullptr);
}

}  // namespace
