#pragma once
// The few host commands the stand-in really runs: ZOOM (window, extents), REGEN/REDRAW (clear temporary
// vectors), PSPACE, MSPACE, SETVAR and PLOT (plot/plot_command.h), and a system variable's name typed as a command
// (shows the value and asks for a new one, as SETVAR does). The host program adds its own (QUIT, UNLOAD, …).

#include <functional>
#include <map>
#include <string>

namespace cad {

// The commands the command loop starts with, by upper-case name.
std::map<std::wstring, std::function<void()>> builtInCommands();
// The command a system variable's name stands for; empty when no variable has the name.
std::function<void()> systemVariableCommand(const std::wstring& name);

}  // namespace cad
