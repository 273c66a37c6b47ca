#pragma once
// Who answers the uninstaller's alerts: a person typing at standard input, or a script. Each alert is printed
// as one line ("Alert: TITLE — TEXT [BUTTON]…"); the next input line answers it:
//   a button's title, or "#n" for the n-th button
//   an empty line      Return, as on the keyboard (the first button)
//   @render PATH.png [SCALE]   writes the alert as a PNG file, and the alert waits on
// Without a further line, an alert takes its first button: "取消" or "好".

#include <functional>
#include <optional>
#include <string>

using NextLine = std::function<std::optional<std::string>()>;
using Say = std::function<void(const std::string&)>;

// Every alert from now on is said and then answered from `nextLine`; `say` also tells why a line did nothing.
void answerAlertsFromLines(NextLine nextLine, Say say);
