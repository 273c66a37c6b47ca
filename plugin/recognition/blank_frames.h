#pragma once
// How many distinct blank frames a scan left out, on one layout or inside one window.

#include <cstdint>
#include <string>
#include <vector>

#include "recognition/records.h"

// An empty `layoutName` counts every layout and model space. With `window`, only frames of the window's
// layout that lie inside it grown by 0.5 count. Frames of one layout whose coordinates all differ by less
// than 0.01 count once. Layout names compare exactly.
[[nodiscard]] std::uint64_t QDLCountExcludedBlankFrames(const std::vector<QDLExcludedBlankFrame>& frames,
                                                        const std::wstring& layoutName,
                                                        const QDLExcludedBlankFrame* window);
