#include "test_files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

std::vector<std::string> fileLines(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return linesOf(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
}

Leftover removeLeftover(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) return Leftover::gone;
  if (info.st_uid != ::geteuid()) return Leftover::anotherUsers;
  return ::unlink(path.c_str()) == 0 ? Leftover::gone : Leftover::notRemovable;
}

std::vector<CommandOutput> outputByCommand(const std::string& output) {
  std::vector<CommandOutput> commands{{"", {}}};
  for (const std::string& line : linesOf(output)) {
    if (line.rfind("Command: ", 0) == 0) {
      commands.push_back({line.substr(9), {}});
    } else if (!line.empty()) {
      commands.back().second.push_back(line);
    }
  }
  return commands;
}

std::pair<unsigned, unsigned> pngSize(const std::string& png) {
  if (png.size() < 24 || png.compare(1, 3, "PNG") != 0) return {0, 0};
  auto be32 = [&](std::size_t at) {
    unsigned v = 0;
    for (int i = 0; i < 4; ++i) v = (v << 8) | static_cast<unsigned char>(png[at + i]);
    return v;
  };
  return {be32(16), be32(20)};
}

std::vector<std::vector<std::string>> rowsIn(const std::string& output) {
  std::vector<std::vector<std::string>> rows;
  for (std::size_t at = output.find("\nrow "); at != std::string::npos; at = output.find("\nrow ", at + 1)) {
    const std::size_t colon = output.find(": ", at);
    const std::string line = output.substr(colon + 2, output.find('\n', colon) - colon - 2);
    std::vector<std::string> cells;
    std::size_t start = 0;
    for (std::size_t bar; (bar = line.find(" | ", start)) != std::string::npos; start = bar + 3) {
      cells.push_back(line.substr(start, bar - start));
    }
    cells.push_back(line.substr(start));
    rows.push_back(cells);
  }
  return rows;
}
