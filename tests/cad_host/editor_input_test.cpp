// Scripted prompts, picks and selection sets, the UCS transform, nested command calls and screen vectors.

#include <gtest/gtest.h>

#include <cmath>
#include <cwctype>

#include "cad/command_call.h"
#include "cad/command_line.h"
#include "cad/command_loop.h"
#include "cad/command_stack.h"
#include "cad/editor.h"
#include "cad/editor_input.h"
#include "cad/sysvars.h"
#include "cad/temporary_vectors.h"
#include "cad/ucs.h"
#include "host_fixture.h"

namespace {

using cadtest::CommandStartLog;
using cadtest::HostTest;

class EditorInputTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    doc = openDrawing();
  }
  cad::Document* doc = nullptr;
  cad::EditorInput& input = cad::editorInput();
};

TEST_F(EditorInputTest, PointAnswersAndTheirCodes) {
  const struct {
    std::wstring answer;
    int code;
    double x, y, z;
  } cases[] = {
      {L"10,20", cad::RTNORM, 10, 20, 0},
      {L" -1.5 , 2e2 , 3 ", cad::RTNORM, -1.5, 200, 3},
      {L"", cad::RTNONE, 0, 0, 0},
      {L"*cancel*", cad::RTCAN, 0, 0, 0},
      {L"\x1b", cad::RTCAN, 0, 0, 0},
  };
  for (const auto& c : cases) {
    input.push(c.answer);
    cad::ads_point p = {0, 0, 0};
    EXPECT_EQ(cad::acedGetPoint(nullptr, L"Point: ", p), c.code) << testing::PrintToString(c.answer);
    if (c.code == cad::RTNORM) {
      EXPECT_DOUBLE_EQ(p[0], c.x);
      EXPECT_DOUBLE_EQ(p[1], c.y);
      EXPECT_DOUBLE_EQ(p[2], c.z);
    }
  }
}

TEST_F(EditorInputTest, InvalidPointsAreAskedAgainAndTheEndOfInputCancels) {
  input.push(L"ten,twenty");
  input.push(L"1,2,3,4");
  input.push(L"5,6");
  cad::ads_point p;
  EXPECT_EQ(cad::acedGetPoint(nullptr, L"First: ", p), cad::RTNORM);
  EXPECT_DOUBLE_EQ(p[0], 5);
  EXPECT_EQ(input.prompts.size(), 3u);
  EXPECT_NE(cad::commandLine().transcript().find(L"Invalid point."), std::wstring::npos);
  EXPECT_EQ(cad::acedGetPoint(nullptr, L"Again: ", p), cad::RTCAN);  // nothing left
}

TEST_F(EditorInputTest, CornersRecordTheirBaseAndRelativeAnswersUseIt) {
  input.push(L"1,1");
  input.push(L"@10,5");
  cad::ads_point first, second;
  ASSERT_EQ(cad::acedGetPoint(nullptr, L"指定打印范围第一个角点: ", first), cad::RTNORM);
  ASSERT_EQ(cad::acedGetCorner(first, L"指定打印范围对角点: ", second), cad::RTNORM);
  EXPECT_DOUBLE_EQ(second[0], 11);
  EXPECT_DOUBLE_EQ(second[1], 6);
  ASSERT_EQ(input.prompts.size(), 2u);
  EXPECT_EQ(input.prompts[0].kind, cad::PromptRecord::kPoint);
  EXPECT_EQ(input.prompts[0].prompt, L"指定打印范围第一个角点: ");
  EXPECT_FALSE(input.prompts[0].base);
  EXPECT_EQ(input.prompts[1].kind, cad::PromptRecord::kCorner);
  ASSERT_TRUE(input.prompts[1].base);
  EXPECT_DOUBLE_EQ(input.prompts[1].base->x, 1);
  // The command line shows prompt and answer as a user would see them.
  EXPECT_NE(cad::commandLine().transcript().find(L"\n指定打印范围对角点: @10,5"), std::wstring::npos);
}

TEST_F(EditorInputTest, EntityPicksByHandleIdOrPointInTheCurrentSpace) {
  cad::Database* db = doc->database();
  const cad::ObjectId rectangle = rectangleId(*db), line = lineId(*db);
  const std::wstring handle = db->objectAt(line)->handle();
  cad::ads_name name;
  cad::ads_point at;
  cad::ObjectId id;

  input.push(handle);
  ASSERT_EQ(cad::acedEntSel(L"Pick: ", name, at), cad::RTNORM);
  ASSERT_EQ(cad::acdbGetObjectId(id, name), cad::eOk);
  EXPECT_EQ(id, line);
  EXPECT_DOUBLE_EQ(at[0], 250);  // the middle of what was picked

  std::wstring typed = L"00" + handle;  // handles ignore case and leading zeros
  for (wchar_t& c : typed) c = static_cast<wchar_t>(std::towlower(c));
  input.push(typed);
  ASSERT_EQ(cad::acedEntSel(L"Pick: ", name, at), cad::RTNORM);

  input.push(L"#" + std::to_wstring(rectangle.value));
  ASSERT_EQ(cad::acedEntSel(L"Pick: ", name, at), cad::RTNORM);
  cad::acdbGetObjectId(id, name);
  EXPECT_EQ(id, rectangle);

  input.push(L"50,25");  // inside the rectangle
  ASSERT_EQ(cad::acedEntSel(L"Pick: ", name, at), cad::RTNORM);
  cad::acdbGetObjectId(id, name);
  EXPECT_EQ(id, rectangle);

  for (const wchar_t* miss : {L"FFFFF", L"#1", L"900,900", L""}) {
    input.push(miss);
    EXPECT_EQ(cad::acedEntSel(L"Pick: ", name, at), cad::RTERROR) << testing::PrintToString(std::wstring(miss));
  }
  input.push(L"*CANCEL*");
  EXPECT_EQ(cad::acedEntSel(L"Pick: ", name, at), cad::RTCAN);

  // In a layout's paper space the model's entities cannot be picked.
  cad::resbuf ctab;
  ctab.restype = cad::RTSTR;
  ctab.resval.rstring = const_cast<wchar_t*>(L"Sheet A");
  ASSERT_EQ(cad::acedSetVar(L"CTAB", ctab), cad::RTNORM);
  input.push(handle);
  EXPECT_EQ(cad::acedEntSel(L"Pick: ", name, at), cad::RTERROR);
  ASSERT_EQ(cad::acedMspace(), cad::RTNORM);  // through a viewport they can
  input.push(handle);
  EXPECT_EQ(cad::acedEntSel(L"Pick: ", name, at), cad::RTNORM);
}

TEST_F(EditorInputTest, SelectionSetsKeepOrderAndRepeatsAndMustBeFreed) {
  cad::Database* db = doc->database();
  const std::wstring r = db->objectAt(rectangleId(*db))->handle(), l = db->objectAt(lineId(*db))->handle();
  input.push(l + L" " + r + L"  " + l + L" NOPE");
  cad::ads_name set;
  ASSERT_EQ(cad::acedSSGet(nullptr, nullptr, nullptr, nullptr, set), cad::RTNORM);
  std::int32_t length = 0;
  ASSERT_EQ(cad::acedSSLength(set, &length), cad::RTNORM);
  ASSERT_EQ(length, 3);
  cad::ads_name member;
  cad::ObjectId id;
  ASSERT_EQ(cad::acedSSName(set, 2, member), cad::RTNORM);
  cad::acdbGetObjectId(id, member);
  EXPECT_EQ(id, lineId(*db));
  EXPECT_EQ(cad::acedSSName(set, 3, member), cad::RTERROR);
  EXPECT_EQ(cad::acedSSName(set, -1, member), cad::RTERROR);
  EXPECT_NE(cad::commandLine().transcript().find(L"NOPE: not found"), std::wstring::npos);
  EXPECT_EQ(input.liveSelectionSets(), 1u);

  input.faults.ssLength = true;
  input.faults.ssName = {1};
  EXPECT_EQ(cad::acedSSLength(set, &length), cad::RTERROR);
  EXPECT_EQ(cad::acedSSName(set, 1, member), cad::RTERROR);
  EXPECT_EQ(cad::acedSSName(set, 0, member), cad::RTNORM);
  EXPECT_EQ(cad::acedSSFree(set), cad::RTNORM);
  EXPECT_EQ(cad::acedSSFree(set), cad::RTERROR);
  EXPECT_EQ(input.liveSelectionSets(), 0u);

  // An entity name is not a selection set, and nothing found is no set.
  cad::ads_name entity = {static_cast<std::int64_t>(lineId(*db).value), 0};
  EXPECT_EQ(cad::acedSSLength(entity, &length), cad::RTERROR);
  input.push(L"NOPE");
  EXPECT_EQ(cad::acedSSGet(nullptr, nullptr, nullptr, nullptr, set), cad::RTERROR);
  input.push(L"");
  EXPECT_EQ(cad::acedSSGet(nullptr, nullptr, nullptr, nullptr, set), cad::RTERROR);
  input.push(L"*CANCEL*");
  EXPECT_EQ(cad::acedSSGet(nullptr, nullptr, nullptr, nullptr, set), cad::RTCAN);
  EXPECT_EQ(input.liveSelectionSets(), 0u);
}

TEST_F(EditorInputTest, AnswersComeFromTypedInputThenQueuedAnswersThenTheProvider) {
  std::vector<std::wstring> provided = {L"7,7"};
  input.provider = [&]() -> std::optional<std::wstring> {
    if (provided.empty()) return std::nullopt;
    std::wstring next = provided.front();
    provided.erase(provided.begin());
    return next;
  };
  input.push(L"2,2");
  std::vector<double> xs;
  cad::commandStack().addCommand(L"T", L"THREEPOINTS", L"THREEPOINTS", 0, [&] {
    for (int i = 0; i < 4; ++i) {
      cad::ads_point p;
      xs.push_back(cad::acedGetPoint(nullptr, L"P: ", p) == cad::RTNORM ? p[0] : -1);
    }
  });
  cad::commandLoop().type(L"THREEPOINTS 1,1\n");
  EXPECT_EQ(xs, (std::vector<double>{1, 2, 7, -1}));
}

TEST_F(EditorInputTest, TransBetweenWorldUcsAndDisplay) {
  cad::ucsState().current = {{100, 50, 0}, std::acos(-1.0) / 2};  // origin (100, 50), X along world Y
  auto trans = [](std::array<double, 3> p, int from, int to, int displacement = 0) {
    cad::resbuf f, t;
    f.restype = t.restype = cad::RTSHORT;
    f.resval.rint = static_cast<short>(from);
    t.resval.rint = static_cast<short>(to);
    cad::ads_point in = {p[0], p[1], p[2]}, out = {0, 0, 0};
    const int code = cad::acedTrans(in, &f, &t, displacement, out);
    return std::make_pair(code, std::array<double, 3>{out[0], out[1], out[2]});
  };
  auto [code, w] = trans({10, 0, 0}, 1, 0);
  ASSERT_EQ(code, cad::RTNORM);
  EXPECT_NEAR(w[0], 100, 1e-9);
  EXPECT_NEAR(w[1], 60, 1e-9);
  auto [code2, u] = trans({100, 60, 0}, 0, 1);
  ASSERT_EQ(code2, cad::RTNORM);
  EXPECT_NEAR(u[0], 10, 1e-9);
  EXPECT_NEAR(u[1], 0, 1e-9);
  auto [code3, d] = trans({10, 0, 0}, 1, 0, 1);  // a displacement ignores the origin
  ASSERT_EQ(code3, cad::RTNORM);
  EXPECT_NEAR(d[0], 0, 1e-9);
  EXPECT_NEAR(d[1], 10, 1e-9);

  doc->view().target = {5, 5, 0};
  auto [code4, dcs] = trans({15, 25, 0}, 0, 2);
  ASSERT_EQ(code4, cad::RTNORM);
  EXPECT_NEAR(dcs[0], 10, 1e-9);
  EXPECT_NEAR(dcs[1], 20, 1e-9);

  EXPECT_EQ(trans({0, 0, 0}, 0, 4).first, cad::RTERROR);
  cad::ucsState().faults.trans = true;
  EXPECT_EQ(trans({0, 0, 0}, 1, 0).first, cad::RTERROR);
}

TEST_F(EditorInputTest, NestedZoomWindowRecordsTheWorldWindowAndTellsReactors) {
  CommandStartLog commands;
  cad::ucsState().current.origin = {1000, 0, 0};
  int result = 0;
  cad::commandStack().addCommand(L"T", L"FOCUS", L"FOCUS", 0, [&] {
    const cad::ads_point a = {-10, -20, 0}, b = {110, 70, 0};
    result = cad::acedCommandS(cad::RTSTR, L"_.ZOOM", cad::RTSTR, L"_W", cad::RT3DPOINT, a, cad::RT3DPOINT, b,
                               cad::RTNONE);
  });
  cad::commandLoop().type(L"FOCUS ");
  commands.stop();

  EXPECT_EQ(result, cad::RTNORM);
  EXPECT_EQ(commands.started, (std::vector<std::wstring>{L"FOCUS", L"ZOOM"}));
  ASSERT_EQ(doc->view().zooms().size(), 1u);
  const cad::ViewWindow& view = doc->view().zooms()[0];
  EXPECT_EQ(view.layout, L"Model");
  EXPECT_DOUBLE_EQ(view.min.x, 990);
  EXPECT_DOUBLE_EQ(view.max.y, 70);
  ASSERT_EQ(cad::commandCalls().calls.size(), 1u);
  EXPECT_EQ(cad::commandCalls().calls[0].arguments.size(), 4u);
  EXPECT_TRUE(cad::commandLoop().history.back().nested);
}

TEST_F(EditorInputTest, NestedCallsAnswerOnlyFromTheirArguments) {
  input.push(L"5,5");  // must not be taken by the nested ZOOM
  int missing = 0, unknown = 0;
  cad::commandStack().addCommand(L"T", L"CALLS", L"CALLS", 0, [&] {
    missing = cad::acedCommandS(cad::RTSTR, L"_.ZOOM", cad::RTSTR, L"_W", cad::RTNONE);
    unknown = cad::acedCommandS(cad::RTSTR, L"_NOSUCH", cad::RTNONE);
  });
  cad::commandLoop().type(L"CALLS ");
  EXPECT_EQ(missing, cad::RTCAN);
  EXPECT_EQ(unknown, cad::RTERROR);
  EXPECT_EQ(input.pendingAnswers(), 1u);
  EXPECT_TRUE(doc->view().zooms().empty());
  // Outside a document's command the call is refused.
  EXPECT_EQ(cad::acedCommandS(cad::RTSTR, L"_.ZOOM", cad::RTNONE), cad::RTREJ);
}

TEST_F(EditorInputTest, TypedZoomWindowAndScreenVectorsUntilRegen) {
  const cad::ads_point a = {0, 0, 0}, b = {10, 0, 0};
  EXPECT_EQ(cad::acedGrDraw(a, b, 1, 1), cad::RTNORM);
  ASSERT_EQ(cad::temporaryVectors().shown().size(), 1u);
  EXPECT_TRUE(cad::temporaryVectors().shown()[0].highlight);
  cad::commandLoop().type(L"ZOOM W 0,0 40,30\n");
  ASSERT_EQ(doc->view().zooms().size(), 1u);
  EXPECT_DOUBLE_EQ(doc->view().zooms()[0].max.x, 40);
  EXPECT_EQ(cad::temporaryVectors().shown().size(), 1u);  // a zoom keeps them
  cad::commandLoop().type(L"REGEN\n");
  EXPECT_TRUE(cad::temporaryVectors().shown().empty());
  cad::temporaryVectors().faults.draw = true;
  EXPECT_EQ(cad::acedGrDraw(a, b, 1, 0), cad::RTERROR);
}

}  // namespace
