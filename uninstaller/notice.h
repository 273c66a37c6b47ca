#pragma once
// The uninstaller's one kind of window: a modal alert with a title and a text.

#include <optional>
#include <string>

// Without an action there is one button, "好" (1000); with one, "取消" (1000) and then the action (1001), so
// 1001 always means the action was chosen. Returns the pressed button's response.
long notice(const std::string& title, const std::string& text, const std::optional<std::string>& action = std::nullopt);
