#pragma once
// A drawing open in the stand-in host for core's drawing commands, with the subsystems above core linked in
// as the module links them, user defaults in a private folder, and the commands' requests and the
// recognition settings back at their load-time values.
//
// The drawing: layers "0", "FRAME" and "NOPLOT" (not plotted); blocks "TK-A3" (a 420 × 297 border) and
// "TK-DYN" with an anonymous representation "*U1"; layouts "Model", "Layout1" and "Sheet B" (each with its
// own viewport and one onto model space). Layout1 is current, in paper space.

#include <functional>
#include <string>
#include <vector>

#include "cad/database.h"
#include "cad/doc_manager.h"
#include "core/host_bridge.h"
#include "host_fixture.h"
#include "temp_folder.h"

namespace core_test {

struct Point {
  double x = 0;
  double y = 0;
};

class DrawingCommandTest : public HostTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  cad::Database& db() { return *document_->database(); }
  cad::Document* document() { return document_; }
  // The block table record of a layout's paper space, or of model space for "Model".
  cad::ObjectId space(const std::wstring& layout);
  cad::ObjectId polyline(const std::wstring& layout, const std::vector<Point>& points, bool closed,
                         const std::wstring& layer = L"FRAME");
  cad::ObjectId rectangle(const std::wstring& layout, double minX, double minY, double maxX, double maxY,
                          const std::wstring& layer = L"FRAME");
  cad::ObjectId circle(const std::wstring& layout, double x, double y, double radius);
  cad::ObjectId line(const std::wstring& layout, double x1, double y1, double x2, double y2);
  cad::ObjectId insert(const std::wstring& layout, const std::wstring& block, double x, double y,
                       const std::wstring& layer = L"0");
  // The handle a user would type for the entity.
  std::wstring handle(cad::ObjectId id);
  template <class T>
  T& object(cad::ObjectId id) {
    return dynamic_cast<T&>(*db().objectAt(id));
  }

  // Runs the work as a host command of the current drawing, with the answers queued for its prompts.
  void runCommand(const std::function<void()>& work, const std::vector<std::wstring>& answers = {});
  // The transcript's lines, without empty ones.
  static std::vector<std::wstring> lines();
  static std::wstring ctab();

 private:
  cad::Document* document_ = nullptr;
  TempFolder folder_{"quodl-core"};
};

}  // namespace core_test
