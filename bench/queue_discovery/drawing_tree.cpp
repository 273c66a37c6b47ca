#include "drawing_tree.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

namespace {

void touch(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd >= 0) ::close(fd);
}

}  // namespace

DrawingTree writeDrawingTree(const std::string& root) {
  DrawingTree tree;
  tree.root = root;
  std::filesystem::create_directories(root);
  constexpr int kTop = 100, kSub = 10, kPerFolder = 100;
  int drawing = 0;
  for (int t = 0; t < kTop; ++t) {
    for (int s = 0; s < kSub; ++s) {
      const std::string folder = root + "/project " + std::to_string(t) + "/part " + std::to_string(s);
      std::filesystem::create_directories(folder);
      for (int f = 0; f < kPerFolder; ++f) {
        const int n = (t * kSub + s) * kPerFolder + f;
        // One drawing in each folder but every tenth, half of them named in upper case.
        const bool isDrawing = s != 9 && f == 50;
        const std::string name = isDrawing ? "sheet " + std::to_string(n) + (t % 2 ? ".DWG" : ".dwg")
                                           : "note " + std::to_string(n) + (f % 3 ? ".txt" : ".dxf");
        touch(folder + "/" + name);
        ++tree.files;
        if (isDrawing) {
          tree.drawings.push_back(folder + "/" + name);
          if (++drawing % 45 == 0) tree.vanishing.push_back(folder + "/" + name);
        }
      }
    }
  }
  // What a search passes over; their files replace plain ones so that the count stays at 100,000.
  for (const char* hidden : {"/.cache", "/project 3/.git", "/project 7/part 2/Viewer.app/Contents"}) {
    std::filesystem::create_directories(root + hidden);
    for (int i = 0; i < 10; ++i) touch(root + hidden + "/skip " + std::to_string(i) + ".dwg");
  }
  touch(root + "/project 5/.hidden.dwg");
  ::mkfifo((root + "/project 9/pipe.dwg").c_str(), 0600);
  std::filesystem::create_directory_symlink("..", root + "/project 1/part 1/loop");
  std::filesystem::create_directory_symlink(root, root + "/project 2/back to top");
  tree.files += 32;  // the FIFO counts as one
  for (int i = 0; i < 32; ++i, --tree.files)
    std::remove((root + "/project 99/part 9/note " + std::to_string(99900 + i) + (i % 3 ? ".txt" : ".dxf")).c_str());
  return tree;
}
