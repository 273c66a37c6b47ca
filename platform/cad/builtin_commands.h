#pragma once
// The few host commands the stand-in really runs: ZOOM (window, extents), REGEN/REDRAW (clear temporary
// vectors), PSPACE and MSPACE. The host program adds its own (QUIT, UNLOAD, …).

namespace cad {

class CommandLoop;

void installBuiltInCommands(CommandLoop& loop);

}  // namespace cad
