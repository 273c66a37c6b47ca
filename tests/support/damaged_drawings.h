#pragma once
// The kinds of damage a drawing file can come with, each with what the reader must make of it, for the tests
// that feed them to the reader, to cadhost and (as seeds) to the fuzz targets.

#include <functional>
#include <string>
#include <vector>

struct DamagedDrawing {
  std::string name;     // one word for the kind; the fuzz corpus holds it as damage-<name>.dxf
  std::string content;  // the file's bytes
  bool opens = false;   // read, with `message` among the warnings; otherwise refused with `message` as the error
  std::string message;
};

// Damaged text, some of it cut from the drawings in `samplesFolder`.
std::vector<DamagedDrawing> damagedDrawings(const std::string& samplesFolder);

// Ten references of each level to the one below, nine levels: a hundred million lines from a few kilobytes
// (block "B8" at the top).
std::string fanningOutDrawing();

// Something in a drawing's place that cannot be read as a file at all, and the reason the reader gives.
struct UnreadableItem {
  std::string name;
  // Makes the item at `path` (in a private folder) and gives the path to open, or "" where this machine or
  // user cannot have it (a file without read permission, for the superuser).
  std::function<std::string(const std::string& path)> make;
  std::string reason;
};

std::vector<UnreadableItem> unreadableItems();
