#include "file_tree.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace {

void makeParents(const std::string& path) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
}

void check(int status, const std::string& what) {
  if (status != 0) throw std::runtime_error("cannot make " + what);
}

}  // namespace

FileTree::FileTree() : root_(std::filesystem::canonical(temp_.path()).string()) {}

std::string FileTree::file(const std::string& relative, const std::string& text) const {
  const std::string path = *this / relative;
  makeParents(path);
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

std::string FileTree::folder(const std::string& relative) const {
  const std::string path = *this / relative;
  std::filesystem::create_directories(path);
  return path;
}

std::string FileTree::symlink(const std::string& relative, const std::string& target) const {
  const std::string path = *this / relative;
  makeParents(path);
  check(::symlink(target.c_str(), path.c_str()), path);
  return path;
}

std::string FileTree::hardLink(const std::string& relative, const std::string& existing) const {
  const std::string path = *this / relative;
  makeParents(path);
  check(::link(existing.c_str(), path.c_str()), path);
  return path;
}

std::string FileTree::fifo(const std::string& relative) const {
  const std::string path = *this / relative;
  makeParents(path);
  check(::mkfifo(path.c_str(), 0600), path);
  return path;
}
