#pragma once
// How cadhost's "@" lines name windows and views for a person: a window by its title as copied from a picture,
// and, when a name matches nothing, the names there are.

#include <string>

namespace toolkit {
class Window;
}

namespace cadhost {

// The one window whose title matches `name` with letter case, runs of blanks and look-alike middle dots and
// bullets set aside; null when none or several do.
toolkit::Window* windowByLooseTitle(const std::string& name);
// "The windows: ID ("TITLE"), …." with "(not showing)" for those ordered out; "No window is open." for none.
std::string windowNames();
// "Its views: …." in the order they stand, a table's cells once as "NAME-N" for row N.
std::string viewNames(toolkit::Window& window);

}  // namespace cadhost
