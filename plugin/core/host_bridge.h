#pragma once
// The small functions through which the plug-in touches the host's state, the main thread and the full
// panel's status line. They hold no state; every other part of the plug-in uses them instead of calling the
// host for these things directly. All but runOnMainThread are called on the host's main thread.
//
// System strings are UTF-8 `std::string`s; a nil system string is the empty one (no function here tells them
// apart). Host texts are `std::wstring`s of UTF-32 code units.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// Host text of a system string, through UTF-32LE: one wide character per code point. Empty for an empty
// string and for text that is not valid UTF-8.
std::wstring vexBatchWideString(std::string_view text);
// System string of a host text, through UTF-32LE. Empty for an empty text and when a character is not a
// Unicode scalar value (a surrogate or above U+10FFFF): the whole text is then rejected.
std::string vexBatchNSString(const std::wstring& text);

// The full path of the MDI-active document as the host reports it; empty with no document manager, no
// active document or a document without a file name.
std::wstring vexBatchCurrentDrawingPath();
bool vexBatchHasActiveDocument();
// The identity of the working database: its file name; "unsaved-0x…" (its address) when it has none;
// "no-drawing" without a working database.
std::string vexBatchCurrentDrawingKey();
// The active layout of the working database; "Model" in model space; empty when it cannot be told.
std::wstring vexBatchCurrentLayoutName();
// Makes the layout current through CTAB and confirms it by reading CTAB back: true only when the host reads
// back exactly the name asked for (a name that differs only in case gives false).
[[nodiscard]] bool vexBatchActivateLayout(const std::wstring& name);
// 1 in model space (TILEMODE non-zero), 0 on a paper-space layout, -1 when TILEMODE cannot be read.
std::int64_t vexBatchPrintSourceForCurrentSpace();

// On the main thread runs the block at once; elsewhere dispatches it to the main queue and returns at once.
void runOnMainThread(std::function<void()> block);

// Queues the host command `name` for the MDI-active document as ESC ESC "_" name " ". Returns whether the
// host took it. Refused with the system beep: an empty name, a name other than [A-Za-z0-9_-]+, no document
// manager or no active document; a send the host refuses also prints
// "Ferrolin 批打工具无法启动命令：<command text>".
[[nodiscard]] bool queueCommand(std::string_view name);

// Writes the full panel's status line on the main thread; an empty text is ignored, and nothing happens
// while the panel does not exist (it is not created for this).
void vexBatchUpdatePanelStatus(std::string_view text);
// The full panel, which stands above core, installs the writer of its status line while its controller
// exists and clears it (an empty function) when the controller goes.
void vexBatchSetPanelStatusWriter(std::function<void(const std::string&)> writer);
