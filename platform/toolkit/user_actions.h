#pragma once
// What a person does to windows, for tests and for cadhost's "@" lines: clicks and keys go through the event
// queue and the pump, as a person's would. Each action returns an empty string when done, else why it could not
// be done (nothing is then changed).
//
// The post… forms act while the program is busy: the events wait in the queue until the program's next pump.

#include <cstdint>
#include <string>

namespace toolkit {

class PopUpButton;
class SegmentedControl;
class TextField;
class View;
class Window;

// A window by its identifier, else by its title; nullptr when none has it.
Window* findWindow(const std::string& name);
// A view of the window by identifier (the title-bar buttons included).
View* findView(Window& window, const std::string& identifier);

// Clicks the middle of the view. Refused when its window is not visible, the view is hidden, or another view
// covers that point.
std::string clickView(View& view, int clickCount = 1, std::uint64_t modifierFlags = 0);
// Types the text into the field and commits it, as Return would.
std::string typeInto(TextField& field, const std::string& text);
// Picks an item from the pop-up's menu by title, or by position as "#1", "#2"….
std::string chooseItem(PopUpButton& popUp, const std::string& item);
// Clicks the segment with that label, or at that position as "#1"….
std::string chooseSegment(SegmentedControl& control, const std::string& segment);
// A key press in the window, or in the key window when `window` is nullptr: a character or a key name (Escape,
// Return, Tab, Space, Delete), after modifiers joined with "+" (cmd, shift, option, ctrl), as in "cmd+d".
std::string pressKey(Window* window, const std::string& key);
// Scrolls the wheel over the middle of the view by `deltaY` points (positive: towards the top).
std::string scrollOver(View& view, double deltaY, double deltaX = 0);
// A click on the window's close button.
std::string pressCloseButton(Window& window);

// As clickView, pressKey and pressCloseButton, with the events left in the queue.
std::string postClick(View& view);
std::string postKey(Window* window, const std::string& key);
std::string postCloseButtonClick(Window& window);

}  // namespace toolkit
