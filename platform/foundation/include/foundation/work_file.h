#pragma once
// Work items: what a program makes outside its own folders while it works (a file beside its output, a folder
// of pages in the temporary folder, an atomic write's temporary). Each is listed under the process in the
// runtime folder while it may exist, so that a later start removes what a killed process left behind, and
// nothing of a process that runs. The owner removes its item through the folder it made it in, held open, so
// that a folder renamed meanwhile still loses the item; a later start honours a record only for the folder it
// names (the same folder, reached without a symbolic link) and only once the process (pid and start time) is
// gone.
//
// A WorkFile is the one way a file replaces another: written beside its target under a work name, put in the
// target's place in one rename once complete, removed on every other way out. The earlier file stays whole
// until then.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "foundation/files.h"

namespace foundation {

// The record of one work item; the item itself is removed by its owner (remove) or a later start.
class WorkItem {
 public:
  WorkItem() = default;
  // Records `path` (nothing when it is empty, or when its folder cannot be opened or the runtime folder cannot
  // take the record: then a killed run leaves the item as it would without records).
  explicit WorkItem(std::string path);
  // Records the folder at `path`, which this process has just made for its outputs, to be removed only while it
  // is empty: by remove() or, after a kill, by a later start. What it holds is never touched.
  static WorkItem emptyFolder(std::string path);
  // Drops the record, not the item.
  ~WorkItem();
  WorkItem(WorkItem&& other) noexcept;
  WorkItem& operator=(WorkItem&& other) noexcept;
  WorkItem(const WorkItem&) = delete;
  WorkItem& operator=(const WorkItem&) = delete;

  const std::string& path() const { return path_; }
  bool empty() const { return path_.empty(); }
  // Removes the item (a file or a folder tree, never what a link in it points to; an empty-folder item only while
  // it is empty) if present, then the record.
  void remove();
  // The item is no longer a work item (it took another's place): only the record goes.
  void release();

 private:
  WorkItem(std::string path, bool onlyWhileEmpty);

  std::string path_;
  std::string record_;
  int folder_ = -1;  // the folder the item is made in
  bool onlyWhileEmpty_ = false;
};

// "<prefix><UUID><suffix>" in `folder` ("." when empty).
std::string workItemPath(const std::string& folder, std::string_view prefix, std::string_view suffix);
// Whether a name is "<prefix><UUID><suffix>" with an upper-case UUID as makeUuid writes it.
bool isWorkItemName(std::string_view name, std::string_view prefix, std::string_view suffix);

// Whether a name is an atomic write's temporary (writeFileAtomically), which every cleaner below removes.
bool isAtomicWriteTemporaryName(std::string_view name);

// Removes the items recorded by processes that no longer run whose last path component `isWorkName` accepts
// (or that are atomic-write temporaries, or empty folders recorded as such, once nothing recorded in them is
// left), and their records; other records are left for the program whose
// names they hold. An item is removed only when it is a file or folder of this user in the very folder its
// record names, reached without a symbolic link, and the record is a regular file of this user. Answers the
// items removed.
std::vector<std::string> removeAbandonedWorkItems(const std::function<bool(std::string_view name)>& isWorkName);

// `text` with every mention of the work item `workPath` naming `output` instead: the user knows the output,
// never a work file.
std::string namingOutput(std::string text, const std::string& workPath, const std::string& output);

class WorkFile {
 public:
  WorkFile() = default;
  // A work file named "<prefix><UUID><suffix>" in the target's folder; nothing is created yet.
  WorkFile(std::string target, std::string_view prefix, std::string_view suffix);
  ~WorkFile() { discard(); }
  WorkFile(WorkFile&&) noexcept = default;
  WorkFile& operator=(WorkFile&& other) noexcept;
  WorkFile(const WorkFile&) = delete;
  WorkFile& operator=(const WorkFile&) = delete;

  const std::string& path() const { return item_.path(); }
  const std::string& target() const { return target_; }
  bool empty() const { return item_.empty(); }

  // Writes the whole work file; a failure (a full disk) leaves no work file and the target as it was.
  FileResult write(std::string_view data);
  // Puts the work file in the target's place. Only a regular file is ever replaced: anything else there (a
  // folder, a pipe, a link) refuses the commit, as does a failed rename; the work file then stays for the
  // destructor and the target stays as it was.
  FileResult commit();
  // Puts the work file at `path` (in the target's folder) without replacing anything: EEXIST when the name is
  // taken, whenever it was taken. The work file then stays as it was.
  FileResult commitWithoutReplacing(const std::string& path);
  // Removes the work file now.
  void discard() { item_.remove(); }

 private:
  std::string target_;
  WorkItem item_;
};

}  // namespace foundation
