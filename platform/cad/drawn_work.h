#pragma once
// What drawing an entity costs, in drawn elements (characters, vertices, curve samples, pattern dashes), and the
// limits the renderer keeps each entity to. A drawing is refused when the work its references expand to is
// beyond what any real drawing asks, so that a plot ends in bounded time and memory.

#include <cstddef>

namespace cad {

class Entity;

// A text is drawn up to this many characters: one far longer would take minutes to lay out for a blank page.
inline constexpr std::size_t kMostTextCharacters = 20000;
// The most dashes one pattern hatch draws; past it the pattern is filled as the tone it makes.
inline constexpr std::size_t kMostPatternDashes = 200000;
// Points a spline is first drawn through between two knots; more where that leaves facets.
inline constexpr int kSplineSamplesPerSpan = 12;
// The work a drawing may expand to through its block references, arrays and nesting. Real drawings ask a
// few million at most; a page of this much text, the dearest kind to draw, takes under two gigabytes.
inline constexpr double kMostDrawnWork = 2e7;

// The elements drawing the entity itself takes: one, and its characters, vertices, spline samples or pattern
// dashes. A reference's block is not counted here; its attributes are.
double drawnWork(const Entity& entity);

}  // namespace cad
