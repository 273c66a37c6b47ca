#pragma once
// The host commands of the plug-in: each name bound to its flags and handler, in registration order.

inline constexpr wchar_t kQuodlCommandGroup[] = L"QUODLINE_MAC";
// QUODL, the command the load message names, lives in a group of its own so the table stays the plug-in's
// 22 commands; it opens the panel exactly as DUZOZARED does.
inline constexpr wchar_t kQuodlOpenCommandGroup[] = L"QUODLINE_MAC_OPEN";
inline constexpr wchar_t kQuodlOpenCommand[] = L"QUODL";

// Adds the table's commands to the host's command stack in table order, looking the stack up for each one.
// A failed registration is not reported; the next one is tried regardless.
void registerCommands();
// Adds QUODL in its own group; called right after registerCommands.
void registerOpenCommand();
// Removes the plug-in's command group, then QUODL's.
void removeCommandGroups();
