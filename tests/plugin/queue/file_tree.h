#pragma once
// Small folder trees for the queue's tests: files, folders, links, FIFOs made in one call each, paths relative to
// a private folder whose own path holds no symbolic link.

#include <string>

#include "temp_folder.h"

class FileTree {
 public:
  FileTree();
  // The folder's canonical path, and a path inside it.
  const std::string& root() const { return root_; }
  std::string operator/(const std::string& relative) const { return root_ + "/" + relative; }

  // A file (its folders made first) holding `text`; returns its path.
  std::string file(const std::string& relative, const std::string& text = "0\nSECTION\n0\nENDSEC\n0\nEOF\n") const;
  std::string folder(const std::string& relative) const;
  std::string symlink(const std::string& relative, const std::string& target) const;
  std::string hardLink(const std::string& relative, const std::string& existing) const;
  std::string fifo(const std::string& relative) const;

 private:
  TempFolder temp_{"quodl-queue"};
  std::string root_;
};
