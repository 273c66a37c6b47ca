#include "bench_drawing.h"

#include <utility>

BenchDrawingBuilder::BenchDrawingBuilder(cad::Database& db, std::wstring textContents)
    : db_(db), layer_(db.layerId(L"0")), layerName_(db.names().intern(L"0")), textContents_(std::move(textContents)) {}

cad::ObjectId BenchDrawingBuilder::rectangle(cad::ObjectId owner, double x0, double y0, double x1, double y1) {
  auto p = std::make_unique<cad::Polyline>();
  p->vertices = {{{x0, y0}}, {{x1, y0}}, {{x1, y1}}, {{x0, y1}}};
  p->closed = true;
  return add(owner, std::move(p));
}

cad::ObjectId BenchDrawingBuilder::line(cad::ObjectId owner, double x0, double y0, double x1, double y1) {
  auto l = std::make_unique<cad::Line>();
  l->start = {x0, y0, 0};
  l->end = {x1, y1, 0};
  return add(owner, std::move(l));
}

cad::ObjectId BenchDrawingBuilder::text(cad::ObjectId owner, double x, double y, double height) {
  auto t = std::make_unique<cad::Text>();
  t->position = t->alignment = {x, y, 0};
  t->height = height;
  t->contents = textContents_;
  return add(owner, std::move(t));
}

cad::ObjectId BenchDrawingBuilder::circle(cad::ObjectId owner, double x, double y, double radius) {
  auto c = std::make_unique<cad::Circle>();
  c->center = {x, y, 0};
  c->radius = radius;
  return add(owner, std::move(c));
}

cad::ObjectId BenchDrawingBuilder::insert(cad::ObjectId owner, cad::ObjectId block, double x, double y,
                                          double scale) {
  auto b = std::make_unique<cad::BlockReference>();
  b->blockId = block;
  b->position_ = {x, y, 0};
  b->scale = {scale, scale, scale};
  return add(owner, std::move(b));
}

cad::ObjectId BenchDrawingBuilder::viewport(cad::ObjectId owner, double centerX, double centerY, double width,
                                            double height) {
  auto v = std::make_unique<cad::Viewport>();
  v->center = {centerX, centerY, 0};
  v->width_ = width;
  v->height_ = height;
  return add(owner, std::move(v));
}

cad::ObjectId BenchDrawingBuilder::titleBlock(const std::wstring& name, double w, double h) {
  cad::ObjectId block = db_.addBlock(name);
  rectangle(block, 0, 0, w, h);
  rectangle(block, 25, 5, w - 5, h - 5);
  const double left = w - 185;
  rectangle(block, left, 5, w - 5, 61);
  for (int k = 1; k < 4; ++k) line(block, left, 5 + 14 * k, w - 5, 5 + 14 * k);
  text(block, left + 3, 9, 3.5);
  return block;
}

cad::ObjectId BenchDrawingBuilder::add(cad::ObjectId owner, std::unique_ptr<cad::Entity> entity) {
  entity->setLayer(layerName_, layer_);
  return db_.appendEntity(owner, std::move(entity));
}
