#pragma once
// cadhost's "@" lines, which act on the windows of the toolkit as a person would:
//   @click WINDOW VIEW [cmd|shift]  click a view (a button, a check box, a table cell…) by its identifier,
//                                 holding Command or Shift
//   @type WINDOW FIELD TEXT…      type the rest of the line into a text field and press Return
//   @choose WINDOW VIEW ITEM…     choose a pop-up item or a segment by its title, or "#n" by position; or
//                                 click a view that shows a menu and pick "ITEM > ITEM…" (titles or identifiers)
//   @alert BUTTON…                press the button (title or "#n") of the alert showing, else of the next one
//   @file [PATH…]                 choose files or folders in the open or save panel showing, else in the next
//                                 one; without a path, cancel it
//   @key [WINDOW] KEY             press a key ("Escape", "Return", "cmd+d"…) in the window, else the key window
//   @scroll WINDOW VIEW DY        turn the wheel over a view by DY points (positive: towards the top)
//   @render WINDOW PATH.png [SCALE]   write the window as a PNG file
//   @read WINDOW VIEW             print what the view shows (a table row by row), its tooltip and its label
//   @wait WINDOW VIEW TEXT        wait until the view's text (a field's, a button's title) contains TEXT
//   @activate DRAWING             click an open drawing's window, bringing the drawing to the front
//   @close DRAWING                press the close button of an open drawing's window
// WINDOW is a window's identifier or its title (matched loosely when no title is equal); DRAWING an open
// drawing's path or file name. Words with blanks go in double quotes. A window or view that is not there is
// answered with the names that are.
//
// While a command of a script runs, its next "@" lines act whenever the command pumps the toolkit's events (as
// a plot does for its progress window); "@wait" holds itself and the lines after it until a pump finds the text.
//
// While an alert or a file panel waits for an answer that no line gave ahead, the lines after the command are
// read one at a time: "@" lines act on it, until it is answered or the script ends (its default answer then; a
// window shown again after that is closed unanswered).

#include <functional>
#include <optional>
#include <string>

namespace cadhost {

using NextLine = std::function<std::optional<std::string>()>;
using Say = std::function<void(const std::string&)>;

// Registers the verbs with the host's window commands; `nextLine` reads the script while a window is modal,
// `say` prints on the command line.
void installWindowLines(NextLine nextLine, Say say);

}  // namespace cadhost
