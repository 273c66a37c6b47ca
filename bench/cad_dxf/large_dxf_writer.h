#pragma once
// Writes a large R2000 DXF drawing like a real plan: title-block frames as block references in model space
// with lines, polylines, circles and texts around them, and two paper layouts.

#include <cstdint>
#include <string>

// Writes at least `minimumBytes`; returns the size written, 0 on failure.
std::uintmax_t writeLargeDxf(const std::string& path, std::uintmax_t minimumBytes);
