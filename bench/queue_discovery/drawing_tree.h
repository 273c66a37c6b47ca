#pragma once
// A folder tree such as a project server holds: 100,000 files in 1,000 folders, 900 of them drawings, with what a
// search must not be caught by: hidden folders, a package folder, a symbolic-link loop and a FIFO.

#include <string>
#include <vector>

struct DrawingTree {
  std::string root;
  int files = 0;                       // every file written, the drawings included
  std::vector<std::string> drawings;   // those a search must find
  std::vector<std::string> vanishing;  // drawings a bench may remove during a search and put back after
};

DrawingTree writeDrawingTree(const std::string& root);
