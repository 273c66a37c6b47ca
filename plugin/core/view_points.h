#pragma once
// Points between the plug-in, which keeps its boxes in world coordinates, and the host, which takes and gives
// points at its prompts in the current UCS; and the zoom of the host's view to a world box.

#include <optional>

#include "cad/geometry.h"

// A point picked at a host prompt (current UCS) in world coordinates; nullopt when the host cannot convert it
// or the result is not finite.
std::optional<cad::Point3d> worldPointOfPick(const double ucs[3]);
// A world point as the host takes it at its prompts; the world point itself when the host cannot convert it.
cad::Point3d ucsPointOf(const cad::Point3d& world);
// Runs "_.ZOOM" "_W" synchronously on the window around the world box, its result not examined. Under a
// turned UCS the window is the one that holds all four corners of the box.
void zoomToWorldWindow(double minX, double minY, double maxX, double maxY);
