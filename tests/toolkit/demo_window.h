#pragma once
// A small window built only from the toolkit, with Chinese and English text: a count with a button that adds
// one, a reset behind an alert, a name field, a paper pop-up, a check box and a gauge that draws itself.
// Every change is reported through `report`, as a plug-in prints on the command line.

#include <functional>
#include <memory>
#include <string>

#include "toolkit/window.h"

namespace toolkit_demo {

using Report = std::function<void(const std::string&)>;

// The window's identifier is "demo"; its views' identifiers are "count", "add", "reset", "name", "paper",
// "overwrite" and "gauge".
std::shared_ptr<toolkit::Window> makeDemoWindow(Report report);

}  // namespace toolkit_demo
