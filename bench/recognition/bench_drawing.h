#pragma once
// Draws benchmark drawings straight into a database, every entity on layer "0".

#include <memory>
#include <string>

#include "cad/database.h"

class BenchDrawingBuilder {
 public:
  // Every text says `textContents`.
  BenchDrawingBuilder(cad::Database& db, std::wstring textContents);

  cad::ObjectId rectangle(cad::ObjectId owner, double x0, double y0, double x1, double y1);  // closed polyline
  cad::ObjectId line(cad::ObjectId owner, double x0, double y0, double x1, double y1);
  cad::ObjectId text(cad::ObjectId owner, double x, double y, double height);
  cad::ObjectId circle(cad::ObjectId owner, double x, double y, double radius);
  cad::ObjectId insert(cad::ObjectId owner, cad::ObjectId block, double x, double y, double scale = 1);
  cad::ObjectId viewport(cad::ObjectId owner, double centerX, double centerY, double width, double height);

  // A new block of a w × h sheet: its border, the drawing frame inside, and the title box at the lower right
  // with three row lines and one text.
  cad::ObjectId titleBlock(const std::wstring& name, double w, double h);

 private:
  cad::ObjectId add(cad::ObjectId owner, std::unique_ptr<cad::Entity> entity);

  cad::Database& db_;
  cad::ObjectId layer_;
  cad::Name layerName_;
  std::wstring textContents_;
};
