#pragma once
// Builds small drawings in memory for recognition tests: layers, blocks, layouts and the entities the scans
// look at, with access to every object's test hooks. The drawing becomes the working database for the
// fixture's lifetime.

#include <memory>
#include <string>
#include <vector>

#include "cad/database.h"

namespace recognition_test {

struct Corner {
  double x = 0;
  double y = 0;
};

class DrawingFixture {
 public:
  DrawingFixture();
  ~DrawingFixture();
  DrawingFixture(const DrawingFixture&) = delete;
  DrawingFixture& operator=(const DrawingFixture&) = delete;

  cad::Database& db() { return *db_; }
  cad::ObjectId modelSpace() const { return db_->modelSpaceId(); }

  // The layer's id, adding the layer when the drawing lacks it.
  cad::ObjectId layer(const std::wstring& name, bool plottable = true);
  cad::ObjectId block(const std::wstring& name, cad::Point3d origin = {});
  cad::ObjectId layout(const std::wstring& name, int tabOrder);
  // The block table record that holds a layout's paper space.
  cad::ObjectId layoutSpace(cad::ObjectId layoutId);

  // Entities are appended to `owner` (model space when null) on `layerName`.
  cad::ObjectId polyline(const std::vector<Corner>& points, bool closed, const std::wstring& layerName = L"0",
                         cad::ObjectId owner = {});
  cad::ObjectId rectangle(double minX, double minY, double maxX, double maxY, const std::wstring& layerName = L"0",
                          cad::ObjectId owner = {});
  // A rectangle of w × h turned by `degrees` about its first corner.
  cad::ObjectId turnedRectangle(double x, double y, double w, double h, double degrees,
                                const std::wstring& layerName = L"0", cad::ObjectId owner = {});
  cad::ObjectId legacyPolyline(const std::vector<Corner>& points, bool closed, const std::vector<double>& bulges = {},
                               const std::wstring& layerName = L"0", cad::ObjectId owner = {});
  cad::ObjectId line(double x1, double y1, double x2, double y2, const std::wstring& layerName = L"0",
                     cad::ObjectId owner = {});
  cad::ObjectId text(double x, double y, double height, const std::wstring& contents,
                     const std::wstring& layerName = L"0", cad::ObjectId owner = {});
  cad::ObjectId circle(double x, double y, double radius, const std::wstring& layerName = L"0",
                       cad::ObjectId owner = {});
  cad::ObjectId insert(cad::ObjectId blockId, double x, double y, double scale = 1.0,
                       const std::wstring& layerName = L"0", cad::ObjectId owner = {});
  cad::ObjectId viewport(cad::ObjectId layoutId, double centerX, double centerY, double width, double height,
                         bool on = true);

  // A title-block definition w × h from its origin: an outer border, a title strip with rules and texts.
  cad::ObjectId titleBlock(const std::wstring& name, double w, double h);
  // Content inside a box, as a sheet's drawing would have it: a few lines and a text.
  void content(double minX, double minY, double maxX, double maxY, cad::ObjectId owner = {});

  // The object behind an id, for its test hooks and fields.
  template <class T>
  T& object(cad::ObjectId id) {
    return dynamic_cast<T&>(*db_->objectAt(id));
  }

 private:
  cad::ObjectId append(cad::ObjectId owner, std::unique_ptr<cad::Entity> entity, const std::wstring& layerName);
  std::unique_ptr<cad::Database> db_;
};

}  // namespace recognition_test
