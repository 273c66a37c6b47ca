// Entities beyond the basic kinds: ellipses, splines, 3D polylines, solids and traces, dimensions and
// attribute definitions.
#include <cmath>

#include "cad/annotation_entities.h"
#include "cad/curve_entities.h"
#include "cad/solid_entities.h"
#include "loader.h"

namespace cad::dxf {

namespace {

std::unique_ptr<Entity> readEllipse(const std::vector<Group>& fields, Scanner& s) {
  auto ellipse = std::make_unique<Ellipse>();
  Vector3d major{1, 0, 0};
  double end = 2 * std::numbers::pi;
  for (const Group& g : fields) {
    switch (g.code) {
      case 40: ellipse->radiusRatio = s.real(g); break;
      case 41: ellipse->startParam = s.real(g); break;
      case 42: end = s.real(g); break;
      default:
        coordinate(g, 10, ellipse->center, s) || coordinate(g, 11, major, s) || coordinate(g, 210, ellipse->normal, s);
        break;
    }
  }
  ellipse->majorAxis = major;
  ellipse->endParam = end;
  // A ratio beyond (0, 1] is not an ellipse the format allows; it is kept inside it.
  if (!(ellipse->radiusRatio > 0)) ellipse->radiusRatio = 1e-6;
  if (ellipse->radiusRatio > 1) ellipse->radiusRatio = 1;
  return ellipse;
}

std::unique_ptr<Entity> readSpline(const std::vector<Group>& fields, Scanner& s) {
  auto spline = std::make_unique<Spline>();
  int flags = 0;
  for (const Group& g : fields) {
    Point3d* control = spline->controlPoints.empty() ? nullptr : &spline->controlPoints.back();
    Point3d* fit = spline->fitPoints.empty() ? nullptr : &spline->fitPoints.back();
    switch (g.code) {
      case 70: flags = s.integer(g); break;
      case 71: spline->degree = s.integer(g); break;
      case 40: spline->knots.push_back(s.real(g)); break;
      case 41: spline->weights.push_back(s.real(g)); break;
      case 10: spline->controlPoints.push_back({s.real(g), 0, 0}); break;
      case 20: if (control) control->y = s.real(g); break;
      case 30: if (control) control->z = s.real(g); break;
      case 11: spline->fitPoints.push_back({s.real(g), 0, 0}); break;
      case 21: if (fit) fit->y = s.real(g); break;
      case 31: if (fit) fit->z = s.real(g); break;
      default: break;
    }
  }
  spline->closed = (flags & 1) != 0;
  spline->periodic = (flags & 2) != 0;
  spline->rational = (flags & 4) != 0;
  if (!spline->rational) spline->weights.clear();
  return spline;
}

std::unique_ptr<Entity> readSolid(const std::vector<Group>& fields, Scanner& s, bool trace) {
  std::unique_ptr<Solid> solid = trace ? std::make_unique<Trace>() : std::make_unique<Solid>();
  Point3d corners[4];
  bool fourth = false;
  for (const Group& g : fields) {
    if (coordinate(g, 13, corners[3], s)) fourth = true;
    else coordinate(g, 10, corners[0], s) || coordinate(g, 11, corners[1], s) || coordinate(g, 12, corners[2], s) ||
        coordinate(g, 210, solid->normal, s);
  }
  // Without a fourth corner the solid is the triangle of the first three.
  if (!fourth) corners[3] = corners[2];
  for (int i = 0; i < 4; ++i) {
    // Every corner lies in the plane of the first (its z is the solid's elevation).
    corners[i].z = corners[0].z;
    solid->corners[i] = toWorld(corners[i], solid->normal);
  }
  return solid;
}

std::unique_ptr<Entity> readDimension(const std::vector<Group>& fields, Scanner& s, TextDecoder& decoder,
                                      std::wstring& blockName) {
  auto dimension = std::make_unique<Dimension>();
  Point3d textPosition, insertion;
  for (const Group& g : fields) {
    switch (g.code) {
      case 2: blockName = decoder.decode(g.value); break;
      case 3: dimension->styleName = decoder.decode(g.value); break;
      case 1: dimension->textOverride = decoder.decode(g.value); break;
      case 42: dimension->measurement = s.real(g); break;
      case 70: dimension->dimensionType = s.integer(g) & 0x0F; break;
      default:
        coordinate(g, 10, dimension->dimLinePoint, s) || coordinate(g, 11, textPosition, s) ||
            coordinate(g, 12, insertion, s) || coordinate(g, 13, dimension->defPoint1, s) ||
            coordinate(g, 14, dimension->defPoint2, s) || coordinate(g, 15, dimension->defPoint3, s) ||
            coordinate(g, 16, dimension->defPoint4, s) || coordinate(g, 210, dimension->normal, s);
        break;
    }
  }
  dimension->textPosition = toWorld(textPosition, dimension->normal);
  dimension->blockInsertion = insertion;
  return dimension;
}

std::unique_ptr<Entity> readAttributeDefinition(const std::vector<Group>& fields, Scanner& s, TextDecoder& decoder) {
  auto definition = std::make_unique<AttributeDefinition>();
  readTextFields(fields, s, decoder, *definition, true);
  for (const Group& g : fields) {
    switch (g.code) {
      case 2: definition->tag = decoder.decode(g.value); break;
      case 3: definition->prompt = decoder.decode(g.value); break;
      case 70: {
        const int flags = s.integer(g);
        definition->invisible = (flags & 1) != 0;
        definition->constant = (flags & 2) != 0;
        break;
      }
      default: break;
    }
  }
  return definition;
}

}  // namespace

std::unique_ptr<Entity> Loader::makeOtherEntity(const Record& record, const std::vector<Group>& fields,
                                                PendingEntity& pending) {
  const std::string_view type = record.type;
  if (sameWord(type, "ELLIPSE")) return readEllipse(fields, scanner_);
  if (sameWord(type, "SPLINE")) return readSpline(fields, scanner_);
  if (sameWord(type, "SOLID")) return readSolid(fields, scanner_, false);
  if (sameWord(type, "TRACE")) return readSolid(fields, scanner_, true);
  if (sameWord(type, "DIMENSION")) return readDimension(fields, scanner_, decoder_, pending.blockName);
  if (sameWord(type, "ATTDEF")) return readAttributeDefinition(fields, scanner_, decoder_);
  if (sameWord(type, "POLYLINE")) {
    auto pline = std::make_unique<Polyline3d>();
    for (const Group& g : fields) {
      if (g.code == 70) pline->closed = (scanner_.integer(g) & 1) != 0;
    }
    return pline;  // its vertices follow
  }
  return makePlanEntity(record, fields);  // null for kinds the database does not hold
}

void Loader::resolveDimensions() {
  // A dimension whose block the file lacks keeps a null block and is drawn by nothing.
  std::size_t missing = 0, line = 0;
  for (const ReferenceRecord& record : dimensions_) {
    auto* dimension = static_cast<Dimension*>(db_->objectAt(record.reference));
    const ObjectId block = record.blockName.empty() ? ObjectId{} : blockRecordNamed(record.blockName);
    // A layout's own block is no dimension's drawing: a damaged file that names one would draw a space in itself.
    auto* definition = static_cast<BlockTableRecord*>(db_->objectAt(block));
    if (definition != nullptr && !definition->isLayout()) dimension->blockId = block;
    if (dimension->blockId.isNull() && missing++ == 0) line = record.line;
  }
  if (missing > 0) {
    warn(line, missing == 1 ? "a dimension has no block to draw it; it shows nothing"
                            : std::to_string(missing) + " dimensions have no block to draw them; they show nothing");
  }
}

}  // namespace cad::dxf
