#pragma once
// The per-user folders the system keeps its files in. Environment values are read at each call, so a test
// can point them elsewhere. Relative values in XDG variables are ignored, as the XDG base-directory rules say.

#include <string>

#include "foundation/files.h"

namespace foundation {

// $TMPDIR when it is an absolute path, else "/tmp"; without a trailing slash.
std::string temporaryDirectory();
// Where applications keep their own data: $XDG_DATA_HOME, else ~/.local/share. The plug-in keeps its files in
// a sub-folder of its own here.
std::string applicationSupportDirectory();
// Where settings live: $XDG_CONFIG_HOME, else ~/.config.
std::string configurationDirectory();
// The user's trash: Trash inside the application-support folder, with "files" and "info" inside.
std::string trashDirectory();
// Where running programs keep what lasts only while they run: $XDG_RUNTIME_DIR, else "quodline-runtime-<uid>"
// in the temporary folder. The folder may not exist yet; whoever makes it makes it private (0700).
std::string runtimeDirectory();
// The user's Desktop, Documents and Downloads folders: $XDG_DESKTOP_DIR, $XDG_DOCUMENTS_DIR and
// $XDG_DOWNLOAD_DIR when absolute, else Desktop, Documents and Downloads in the home folder. They may not exist.
std::string desktopDirectory();
std::string documentsDirectory();
std::string downloadsDirectory();

// A real folder (not a link) of this user that nobody else may enter.
bool isPrivateFolder(const std::string& path);
// A folder of the runtime folder, made private (0700) when missing; fails unless both are real folders of
// this user that nobody else may enter: in a shared temporary folder anyone could have made them.
FileResult privateRuntimeFolder(const std::string& name, std::string& path);

}  // namespace foundation
