#include "fixture.h"

#include <cmath>
#include <numbers>

#include "recognition/recognition_state.h"

namespace recognition_test {

DrawingFixture::DrawingFixture() : db_(cad::Database::createDefault()) {
  cad::acdbHostApplicationServices()->setWorkingDatabase(db_.get());
}

DrawingFixture::~DrawingFixture() {
  if (cad::acdbHostApplicationServices()->workingDatabase() == db_.get()) {
    cad::acdbHostApplicationServices()->setWorkingDatabase(nullptr);
  }
}

cad::ObjectId DrawingFixture::layer(const std::wstring& name, bool plottable) {
  cad::ObjectId id = db_->layerId(name);
  if (id.isNull()) return db_->addLayer(name, plottable);
  object<cad::LayerTableRecord>(id).plottable = plottable;
  return id;
}

cad::ObjectId DrawingFixture::block(const std::wstring& name, cad::Point3d origin) {
  return db_->addBlock(name, origin);
}

cad::ObjectId DrawingFixture::layout(const std::wstring& name, int tabOrder) { return db_->addLayout(name, tabOrder); }

cad::ObjectId DrawingFixture::layoutSpace(cad::ObjectId layoutId) {
  return object<cad::Layout>(layoutId).getBlockTableRecordId();
}

cad::ObjectId DrawingFixture::append(cad::ObjectId owner, std::unique_ptr<cad::Entity> entity,
                                     const std::wstring& layerName) {
  cad::ObjectId layerId = db_->layerId(layerName);
  if (layerId.isNull()) layerId = db_->addLayer(layerName);
  entity->setLayer(layerName, layerId);
  return db_->appendEntity(owner.isNull() ? modelSpace() : owner, std::move(entity));
}

cad::ObjectId DrawingFixture::polyline(const std::vector<Corner>& points, bool closed, const std::wstring& layerName,
                                       cad::ObjectId owner) {
  auto entity = std::make_unique<cad::Polyline>();
  for (const Corner& p : points) entity->vertices.push_back({{p.x, p.y}});
  entity->closed = closed;
  return append(owner, std::move(entity), layerName);
}

cad::ObjectId DrawingFixture::rectangle(double minX, double minY, double maxX, double maxY,
                                        const std::wstring& layerName, cad::ObjectId owner) {
  return polyline({{minX, minY}, {maxX, minY}, {maxX, maxY}, {minX, maxY}}, true, layerName, owner);
}

cad::ObjectId DrawingFixture::turnedRectangle(double x, double y, double w, double h, double degrees,
                                              const std::wstring& layerName, cad::ObjectId owner) {
  double a = degrees * std::numbers::pi / 180.0;
  double ux = std::cos(a), uy = std::sin(a);
  Corner p0{x, y};
  Corner p1{x + w * ux, y + w * uy};
  Corner p2{p1.x - h * uy, p1.y + h * ux};
  Corner p3{x - h * uy, y + h * ux};
  return polyline({p0, p1, p2, p3}, true, layerName, owner);
}

cad::ObjectId DrawingFixture::legacyPolyline(const std::vector<Corner>& points, bool closed,
                                             const std::vector<double>& bulges, const std::wstring& layerName,
                                             cad::ObjectId owner) {
  auto entity = std::make_unique<cad::Polyline2d>();
  entity->closed = closed;
  cad::ObjectId id = append(owner, std::move(entity), layerName);
  auto& polyline = object<cad::Polyline2d>(id);
  for (std::size_t i = 0; i < points.size(); ++i) {
    auto vertex = std::make_unique<cad::Vertex2d>();
    vertex->position = {points[i].x, points[i].y, 0};
    vertex->bulge_ = i < bulges.size() ? bulges[i] : 0.0;
    polyline.vertexIds.push_back(db_->addObject(std::move(vertex), id));
  }
  return id;
}

cad::ObjectId DrawingFixture::line(double x1, double y1, double x2, double y2, const std::wstring& layerName,
                                   cad::ObjectId owner) {
  auto entity = std::make_unique<cad::Line>();
  entity->start = {x1, y1, 0};
  entity->end = {x2, y2, 0};
  return append(owner, std::move(entity), layerName);
}

cad::ObjectId DrawingFixture::text(double x, double y, double height, const std::wstring& contents,
                                   const std::wstring& layerName, cad::ObjectId owner) {
  auto entity = std::make_unique<cad::Text>();
  entity->position = {x, y, 0};
  entity->alignment = {x, y, 0};
  entity->height = height;
  entity->contents = contents;
  return append(owner, std::move(entity), layerName);
}

cad::ObjectId DrawingFixture::circle(double x, double y, double radius, const std::wstring& layerName,
                                     cad::ObjectId owner) {
  auto entity = std::make_unique<cad::Circle>();
  entity->center = {x, y, 0};
  entity->radius = radius;
  return append(owner, std::move(entity), layerName);
}

cad::ObjectId DrawingFixture::insert(cad::ObjectId blockId, double x, double y, double scale,
                                     const std::wstring& layerName, cad::ObjectId owner) {
  auto entity = std::make_unique<cad::BlockReference>();
  entity->blockId = blockId;
  entity->position_ = {x, y, 0};
  entity->scale = {scale, scale, scale};
  return append(owner, std::move(entity), layerName);
}

cad::ObjectId DrawingFixture::viewport(cad::ObjectId layoutId, double centerX, double centerY, double width,
                                       double height, bool on) {
  auto entity = std::make_unique<cad::Viewport>();
  entity->center = {centerX, centerY, 0};
  entity->width_ = width;
  entity->height_ = height;
  entity->on = on;
  cad::ObjectId id = append(layoutSpace(layoutId), std::move(entity), L"0");
  db_->renumberViewports();
  return id;
}

cad::ObjectId DrawingFixture::titleBlock(const std::wstring& name, double w, double h) {
  cad::ObjectId id = block(name);
  rectangle(0, 0, w, h, L"0", id);
  // Title strip in the lower right corner: rules and texts, as a title block has them.
  double stripW = std::min(180.0, w * 0.4);
  double stripH = std::min(56.0, h * 0.2);
  double x0 = w - 10 - stripW;
  line(x0, 10, x0, 10 + stripH, L"0", id);
  line(x0, 10 + stripH, w - 10, 10 + stripH, L"0", id);
  line(x0, 10 + stripH / 2, w - 10, 10 + stripH / 2, L"0", id);
  text(x0 + 5, 15, 5, L"设计", L"0", id);
  text(x0 + 5, 15 + stripH / 2, 5, L"图名", L"0", id);
  return id;
}

void DrawingFixture::content(double minX, double minY, double maxX, double maxY, cad::ObjectId owner) {
  double w = maxX - minX, h = maxY - minY;
  line(minX + 0.2 * w, minY + 0.3 * h, minX + 0.7 * w, minY + 0.3 * h, L"0", owner);
  line(minX + 0.2 * w, minY + 0.3 * h, minX + 0.2 * w, minY + 0.8 * h, L"0", owner);
  circle(minX + 0.5 * w, minY + 0.6 * h, 0.1 * std::min(w, h), L"0", owner);
  text(minX + 0.3 * w, minY + 0.5 * h, 0.02 * h, L"平面图", L"0", owner);
}

}  // namespace recognition_test
