// Points, wipeouts, construction lines, shapes and the kinds drawn as their wire in plan: 3D faces, leaders,
// multileaders, multilines, helixes and meshes. Their wire is worked out here, once, in world coordinates.
#include "cad/plan_entities.h"

#include <cmath>

#include "cad/curve_entities.h"
#include "foundation/text.h"
#include "loader.h"

namespace cad::dxf {
namespace {

using Path = WireEntity::Path;

// Beyond these, a damaged or hostile count is not followed further.
constexpr std::size_t kMostMeshVertices = 1u << 22;

std::unique_ptr<Entity> readPoint(const std::vector<Group>& fields, Scanner& s) {
  auto point = std::make_unique<PointEntity>();
  for (const Group& g : fields) {
    if (g.code == 50) point->rotation = s.real(g) * kDegrees;
    else coordinate(g, 10, point->position, s);
  }
  return point;
}

std::unique_ptr<Entity> readFace(const std::vector<Group>& fields, Scanner& s) {
  auto face = std::make_unique<Face3d>();
  Point3d corners[4];
  bool fourth = false;
  int hidden = 0;
  for (const Group& g : fields) {
    if (g.code == 70) hidden = s.integer(g);
    else if (coordinate(g, 13, corners[3], s)) fourth = true;
    else coordinate(g, 10, corners[0], s) || coordinate(g, 11, corners[1], s) || coordinate(g, 12, corners[2], s);
  }
  if (!fourth) corners[3] = corners[2];
  // Flag bit k hides the edge from corner k to the next; visible edges in a row make one path.
  Path path;
  for (int k = 0; k < 4; ++k) {
    if ((hidden & (1 << k)) != 0) {
      if (path.points.size() >= 2) face->paths.push_back(std::move(path));
      path = {};
      continue;
    }
    if (path.points.empty()) path.points.push_back(corners[k]);
    path.points.push_back(corners[(k + 1) % 4]);
  }
  if (path.points.size() >= 2) face->paths.push_back(std::move(path));
  return face;
}

// A closed arrowhead at `tip`, pointing away from `from`, `size` long and a third as wide.
void addArrowhead(WireEntity& entity, const Point3d& tip, const Point3d& from, double size) {
  const double dx = tip.x - from.x, dy = tip.y - from.y, length = std::hypot(dx, dy);
  if (!(length > 0) || !(size > 0)) return;
  const double ux = dx / length, uy = dy / length;
  const Point3d base{tip.x - ux * size, tip.y - uy * size, tip.z};
  const double half = size / 6;
  Path head;
  head.points = {tip, {base.x - uy * half, base.y + ux * half, tip.z}, {base.x + uy * half, base.y - ux * half, tip.z}};
  head.closed = true;
  head.filled = true;
  entity.paths.push_back(std::move(head));
}

std::unique_ptr<Entity> readXline(const std::vector<Group>& fields, Scanner& s, bool ray) {
  std::unique_ptr<Xline> line = ray ? std::make_unique<Ray>() : std::make_unique<Xline>();
  for (const Group& g : fields) coordinate(g, 10, line->basePoint, s) || coordinate(g, 11, line->direction, s);
  return line;
}

std::unique_ptr<Entity> readWipeout(const std::vector<Group>& fields, Scanner& s) {
  auto wipeout = std::make_unique<Wipeout>();
  Point3d insert;
  Vector3d u{1, 0, 0}, v{0, 1, 0};
  Point2d size{1, 1};
  int boundaryType = 1;
  std::vector<Point2d> clip;
  for (const Group& g : fields) {
    switch (g.code) {
      case 13: size.x = s.real(g); break;
      case 23: size.y = s.real(g); break;
      case 71: boundaryType = s.integer(g); break;
      case 14: clip.push_back({s.real(g), 0}); break;
      case 24: if (!clip.empty()) clip.back().y = s.real(g); break;
      default: coordinate(g, 10, insert, s) || coordinate(g, 11, u, s) || coordinate(g, 12, v, s); break;
    }
  }
  // A rectangle comes as two opposite corners; without a boundary the whole image is masked.
  if (clip.size() < 2) clip = {{-0.5, -0.5}, {size.x - 0.5, size.y - 0.5}};
  if (boundaryType == 1 || clip.size() == 2) {
    const Point2d a = clip.front(), b = clip[1];
    clip = {a, {b.x, a.y}, b, {a.x, b.y}};
  }
  // Boundary points are in pixels from the image's top-left pixel centre, y down.
  for (const Point2d& p : clip) {
    const double x = p.x + 0.5, y = size.y - 0.5 - p.y;
    wipeout->boundary.push_back({insert.x + u.x * x + v.x * y, insert.y + u.y * x + v.y * y, insert.z + u.z * x + v.z * y});
  }
  if (wipeout->boundary.size() > 1) {
    const Point3d &first = wipeout->boundary.front(), &last = wipeout->boundary.back();
    if (first.x == last.x && first.y == last.y && first.z == last.z) wipeout->boundary.pop_back();
  }
  return wipeout;
}

std::unique_ptr<Entity> readShape(const std::vector<Group>& fields, Scanner& s, TextDecoder& decoder) {
  auto shape = std::make_unique<Shape>();
  for (const Group& g : fields) {
    if (g.code == 40) shape->size = s.real(g);
    else if (g.code == 2) shape->name = decoder.decode(g.value);
    else coordinate(g, 10, shape->position, s);
  }
  return shape;
}

std::unique_ptr<Entity> readMLine(const std::vector<Group>& fields, Scanner& s) {
  auto mline = std::make_unique<MLine>();
  struct Vertex {
    Point3d at;
    Vector3d miter;
    std::vector<double> offsets;  // one an element: the first parameter of its run, along the miter
  };
  std::vector<Vertex> vertices;
  bool closed = false;
  bool firstParameter = false;
  for (const Group& g : fields) {
    switch (g.code) {
      case 71: closed = (s.integer(g) & 2) != 0; break;
      case 11: vertices.push_back({{s.real(g), 0, 0}, {}, {}}); break;
      case 21: if (!vertices.empty()) vertices.back().at.y = s.real(g); break;
      case 31: if (!vertices.empty()) vertices.back().at.z = s.real(g); break;
      case 13: if (!vertices.empty()) vertices.back().miter.x = s.real(g); break;
      case 23: if (!vertices.empty()) vertices.back().miter.y = s.real(g); break;
      case 33: if (!vertices.empty()) vertices.back().miter.z = s.real(g); break;
      case 74:
        // An element's parameters at this vertex follow; the first is its offset along the miter.
        firstParameter = s.integer(g) > 0;
        if (!vertices.empty()) vertices.back().offsets.push_back(0);
        break;
      case 41:
        if (firstParameter && !vertices.empty() && !vertices.back().offsets.empty()) {
          vertices.back().offsets.back() = s.real(g);
        }
        firstParameter = false;
        break;
      default: break;
    }
  }
  if (vertices.size() < 2) return mline;
  std::size_t elements = vertices.front().offsets.size();
  for (const Vertex& v : vertices) elements = std::min(elements, v.offsets.size());
  for (std::size_t e = 0; e < elements; ++e) {
    Path path;
    path.closed = closed;
    for (const Vertex& v : vertices) {
      const double k = v.offsets[e];
      path.points.push_back({v.at.x + v.miter.x * k, v.at.y + v.miter.y * k, v.at.z + v.miter.z * k});
    }
    mline->paths.push_back(std::move(path));
  }
  return mline;
}

std::unique_ptr<Entity> readHelix(const std::vector<Group>& fields, Scanner& s) {
  auto helix = std::make_unique<Helix>();
  // The curve is the spline before the helix's own subclass; its axis and turns only describe it.
  std::vector<Group> curve;
  for (const Group& g : fields) {
    if (g.code == 100 && trim(g.value) == "AcDbHelix") break;
    curve.push_back(g);
  }
  Spline spline;
  int flags = 0;
  for (const Group& g : curve) {
    Point3d* control = spline.controlPoints.empty() ? nullptr : &spline.controlPoints.back();
    switch (g.code) {
      case 70: flags = s.integer(g); break;
      case 71: spline.degree = s.integer(g); break;
      case 40: spline.knots.push_back(s.real(g)); break;
      case 41: spline.weights.push_back(s.real(g)); break;
      case 10: spline.controlPoints.push_back({s.real(g), 0, 0}); break;
      case 20: if (control) control->y = s.real(g); break;
      case 30: if (control) control->z = s.real(g); break;
      default: break;
    }
  }
  spline.rational = (flags & 4) != 0;
  if (!spline.rational) spline.weights.clear();
  Path path;
  path.points = spline.sampled(24);
  if (path.points.size() >= 2) helix->paths.push_back(std::move(path));
  return helix;
}

std::unique_ptr<Entity> readMesh(const std::vector<Group>& fields, Scanner& s) {
  auto mesh = std::make_unique<SubDMesh>();
  std::vector<Point3d> vertices;
  std::vector<long long> faceList;
  enum class List { kNone, kFaces, kEdges } list = List::kNone;
  for (const Group& g : fields) {
    switch (g.code) {
      case 10: if (vertices.size() < kMostMeshVertices) vertices.push_back({s.real(g), 0, 0}); break;
      case 20: if (!vertices.empty()) vertices.back().y = s.real(g); break;
      case 30: if (!vertices.empty()) vertices.back().z = s.real(g); break;
      case 93: list = List::kFaces; break;
      case 94: list = List::kEdges; break;
      case 95: list = List::kNone; break;
      case 90: if (list == List::kFaces && faceList.size() < kMostMeshVertices) faceList.push_back(s.integer(g)); break;
      default: break;
    }
  }
  // Each face: its vertex count, then that many vertex numbers.
  for (std::size_t i = 0; i < faceList.size();) {
    const long long count = faceList[i++];
    if (count < 2 || i + static_cast<std::size_t>(count) > faceList.size()) break;
    Path face;
    face.closed = true;
    for (long long k = 0; k < count; ++k) {
      const long long index = faceList[i++];
      if (index >= 0 && static_cast<std::size_t>(index) < vertices.size()) face.points.push_back(vertices[index]);
    }
    if (face.points.size() >= 2) mesh->paths.push_back(std::move(face));
  }
  return mesh;
}

}  // namespace

std::unique_ptr<Entity> Loader::readLeader(const std::vector<Group>& fields) {
  auto leader = std::make_unique<Leader>();
  Path path;
  bool arrow = true;
  for (const Group& g : fields) {
    switch (g.code) {
      case 71: arrow = scanner_.integer(g) != 0; break;
      case 10: path.points.push_back({scanner_.real(g), 0, 0}); break;
      case 20: if (!path.points.empty()) path.points.back().y = scanner_.real(g); break;
      case 30: if (!path.points.empty()) path.points.back().z = scanner_.real(g); break;
      default: break;
    }
  }
  if (path.points.size() < 2) return leader;
  const Point3d tip = path.points[0], next = path.points[1];
  leader->paths.push_back(std::move(path));
  if (arrow) addArrowhead(*leader, tip, next, arrowSize());
  return leader;
}

double Loader::arrowSize() const {
  // The drawing's dimension arrow size at its dimension scale; a metric drawing's 2.5 when it says none.
  const auto real = [&](const wchar_t* name, double fallback) {
    auto it = db_->headerVariables.find(name);
    if (it == db_->headerVariables.end()) return fallback;
    double value = 0;
    return parseReal(foundation::utf8FromWideLossy(it->second), value) && value > 0 ? value : fallback;
  };
  return real(L"$DIMASZ", 2.5) * real(L"$DIMSCALE", 1);
}

std::unique_ptr<Entity> Loader::readMLeader(const std::vector<Group>& fields) {
  auto mleader = std::make_unique<MLeader>();
  Scanner& s = scanner_;
  // The context data nests leaders, which nest leader lines, each a bracketed run whose codes repeat.
  enum class Part { kEntity, kContext, kLeader, kLine } part = Part::kEntity;
  double arrow = 0, textHeight = 0, textWidth = 0, doglegLength = 0;
  int attachment = 1;
  bool hasText = false, hasBlock = false, dogleg = false;
  std::string contents;
  Point3d textAt, blockAt, lastPoint;
  Vector3d textDirection{1, 0, 0}, blockScale{1, 1, 1}, doglegVector{1, 0, 0};
  double blockRotation = 0;
  std::string_view blockHandle;
  std::vector<Point3d> line;
  struct LeaderPath {
    std::vector<Point3d> points;
  };
  std::vector<LeaderPath> paths;
  const auto endLeader = [&]() {
    // Each of its lines runs on to the leader's last point and its dogleg.
    for (LeaderPath& p : paths) {
      p.points.push_back(lastPoint);
      if (dogleg && doglegLength != 0) {
        p.points.push_back({lastPoint.x + doglegVector.x * doglegLength, lastPoint.y + doglegVector.y * doglegLength,
                            lastPoint.z + doglegVector.z * doglegLength});
      }
      Path wire;
      wire.points = std::move(p.points);
      if (wire.points.size() >= 2) {
        const Point3d tip = wire.points[0], next = wire.points[1];
        mleader->paths.push_back(std::move(wire));
        addArrowhead(*mleader, tip, next, arrow > 0 ? arrow : arrowSize());
      }
    }
    paths.clear();
  };
  for (const Group& g : fields) {
    const std::string_view value = trim(g.value);
    if (g.code == 300 && value == "CONTEXT_DATA{") { part = Part::kContext; continue; }
    if (g.code == 302 && value == "LEADER{") { part = Part::kLeader; dogleg = false; continue; }
    if (g.code == 304 && value == "LEADER_LINE{") { part = Part::kLine; line.clear(); continue; }
    if (g.code == 305 && part == Part::kLine) { paths.push_back({std::move(line)}); line.clear(); part = Part::kLeader; continue; }
    if (g.code == 303 && part == Part::kLeader) { endLeader(); part = Part::kContext; continue; }
    if (g.code == 301 && part == Part::kContext) { part = Part::kEntity; continue; }
    switch (part) {
      case Part::kContext:
        switch (g.code) {
          case 140: arrow = s.real(g); break;
          case 41: textHeight = s.real(g); break;
          case 43: textWidth = s.real(g); break;
          case 171: attachment = s.integer(g); break;
          case 290: hasText = s.integer(g) != 0; break;
          case 296: hasBlock = s.integer(g) != 0; break;
          case 304: contents += g.value; break;
          case 341: blockHandle = value; break;
          case 46: blockRotation = s.real(g); break;
          default:
            coordinate(g, 12, textAt, s) || coordinate(g, 13, textDirection, s) || coordinate(g, 15, blockAt, s) ||
                coordinate(g, 16, blockScale, s);
            break;
        }
        break;
      case Part::kLeader:
        if (g.code == 291) dogleg = s.integer(g) != 0;
        else if (g.code == 40) doglegLength = s.real(g);
        else coordinate(g, 10, lastPoint, s) || coordinate(g, 11, doglegVector, s);
        break;
      case Part::kLine:
        if (g.code == 10) line.push_back({s.real(g), 0, 0});
        else if (g.code == 20 && !line.empty()) line.back().y = s.real(g);
        else if (g.code == 30 && !line.empty()) line.back().z = s.real(g);
        break;
      case Part::kEntity: break;
    }
  }
  if (hasText && !trim(contents).empty()) {
    auto text = std::make_unique<MText>();
    text->location = textAt;
    text->textHeight = textHeight > 0 ? textHeight : 2.5;
    text->width = textWidth;
    text->attachment = attachment >= 1 && attachment <= 9 ? attachment : 1;
    text->rotation = std::atan2(textDirection.y, textDirection.x);
    text->contents = decoder_.decode(contents);
    mleader->text = std::move(text);
  }
  if (hasBlock) {
    const ObjectId block = idOfHandle(blockHandle);
    if (BlockTableRecord::cast(db_->objectAt(block)) != nullptr) {
      mleader->blockId = block;
      const double c = std::cos(blockRotation), sn = std::sin(blockRotation);
      Matrix3d rotation;
      rotation.m[0][0] = c;
      rotation.m[0][1] = -sn;
      rotation.m[1][0] = sn;
      rotation.m[1][1] = c;
      const Point3d origin = static_cast<BlockTableRecord*>(db_->objectAt(block))->origin();
      mleader->blockTransform = Matrix3d::translation({blockAt.x, blockAt.y, blockAt.z}) * rotation *
                                Matrix3d::scaling(blockScale.x, blockScale.y, blockScale.z) *
                                Matrix3d::translation({-origin.x, -origin.y, -origin.z});
    }
  }
  return mleader;
}

std::unique_ptr<Entity> Loader::makePlanEntity(const Record& record, const std::vector<Group>& fields) {
  const std::string_view type = record.type;
  if (sameWord(type, "POINT")) return readPoint(fields, scanner_);
  if (sameWord(type, "3DFACE")) return readFace(fields, scanner_);
  if (sameWord(type, "LEADER")) return readLeader(fields);
  if (sameWord(type, "MULTILEADER") || sameWord(type, "MLEADER")) return readMLeader(fields);
  if (sameWord(type, "MLINE")) return readMLine(fields, scanner_);
  if (sameWord(type, "WIPEOUT")) return readWipeout(fields, scanner_);
  if (sameWord(type, "XLINE")) return readXline(fields, scanner_, false);
  if (sameWord(type, "RAY")) return readXline(fields, scanner_, true);
  if (sameWord(type, "HELIX")) return readHelix(fields, scanner_);
  if (sameWord(type, "MESH")) return readMesh(fields, scanner_);
  if (sameWord(type, "SHAPE")) return readShape(fields, scanner_, decoder_);
  return nullptr;
}

}  // namespace cad::dxf
