#pragma once
// A fresh stand-in host per test: documents, commands, records and faults reset; the main queue emptied;
// per-user folders in a temporary folder of the test's own.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "cad/database.h"
#include "cad/doc_manager.h"
#include "cad/editor.h"

namespace cadtest {

class HostTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Runs what is due on the main queue: queued input, application-context work.
  void drain();
  // A drawing with the layouts "Model", "Layout1" (no viewport) and "Sheet A" (its own viewport and one
  // more, number 2), and in model space a closed 100 × 50 polyline and a line.
  static std::unique_ptr<cad::Database> drawing();
  cad::Document* openDrawing(const std::wstring& name = L"/drawings/plan.dwg");
  // Writes a file under the test's folder; returns its path.
  std::string writeFile(const std::string& name, const std::string& content);
  const std::string& folder() const { return folder_; }

  // Ids of the entities drawing() puts in model space.
  static cad::ObjectId rectangleId(const cad::Database& db);
  static cad::ObjectId lineId(const cad::Database& db);

 private:
  std::string folder_;
};

// The names of the commands that start while it listens to the editor, from its making until stop().
class CommandStartLog : public cad::EditorReactor {
 public:
  CommandStartLog();
  ~CommandStartLog() override;
  CommandStartLog(const CommandStartLog&) = delete;
  CommandStartLog& operator=(const CommandStartLog&) = delete;

  void stop();
  void commandWillStart(const wchar_t* name) override;

  std::vector<std::wstring> started;

 private:
  bool listening_ = true;
};

// A small ASCII DXF (R12) with one line in model space.
std::string minimalDxf();

}  // namespace cadtest
