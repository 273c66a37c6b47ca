#pragma once
// The queue run and the drawings open in the host: finding a queued drawing among them, and refusing to go on
// while the user has one open, with an alert that lists them. The run never saves or closes a drawing the user
// opened. Main thread only.

#include <memory>
#include <string>
#include <vector>

namespace cad {
class Document;
}
namespace toolkit {
class Alert;
}

// With a document: that document while it is still open, else null (path ignored). Without one: the first open
// drawing whose file is `path`, by canonical path or else by file identity; null when none is.
cad::Document* vexBatchFindOpenFile(const std::string& path, cad::Document* document);

// True when none of the paths is open in the host; otherwise brings the queue panel forward, shows the
// open-files alert modally and answers false.
bool vexBatchQueueRequireClosedFiles(const std::vector<std::string>& paths);

// The warning that lists the open drawings, a blank line between paths, with one button ("Back to list",
// answering Escape); not shown.
std::unique_ptr<toolkit::Alert> QDLQueueOpenFilesAlert(const std::vector<std::string>& paths);
