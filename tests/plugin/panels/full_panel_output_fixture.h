#pragma once
// The full panel with a private data and temporary folder (the pending-job snapshot and the preview PDFs go
// there) and a private Desktop, Documents and Downloads, for the output, preflight and staging tests.

#include <cstdlib>
#include <string>

#include "cad/doc_manager.h"
#include "foundation/files.h"
#include "foundation/text.h"
#include "full_panel_fixture.h"
#include "plot/print_jobs.h"
#include "toolkit/modal_responder.h"
#include "toolkit/pop_up_button.h"

namespace panels_test {

class FullPanelOutputTest : public FullPanelTest {
 protected:
  void SetUp() override {
    FullPanelTest::SetUp();
    for (const char* name : {"data", "tmp", "Desktop", "Documents", "Downloads", "out"}) {
      ASSERT_TRUE(foundation::createDirectory(folder_ / name, true));
    }
    setenv("XDG_DATA_HOME", (folder_ / "data").c_str(), 1);
    setenv("TMPDIR", (folder_ / "tmp").c_str(), 1);
    setenv("XDG_DESKTOP_DIR", (folder_ / "Desktop").c_str(), 1);
    setenv("XDG_DOCUMENTS_DIR", (folder_ / "Documents").c_str(), 1);
    setenv("XDG_DOWNLOAD_DIR", (folder_ / "Downloads").c_str(), 1);
    gBatchPrintPendingJob = {};
    gBatchPrintPreviewJob = {};
    toolkit::ModalResponder::shared().reset();
  }

  void TearDown() override {
    gBatchPrintPendingJob = {};
    gBatchPrintPreviewJob = {};
    toolkit::ModalResponder::shared().reset();
    FullPanelTest::TearDown();
    for (const char* name : {"XDG_DATA_HOME", "TMPDIR", "XDG_DESKTOP_DIR", "XDG_DOCUMENTS_DIR", "XDG_DOWNLOAD_DIR"}) {
      unsetenv(name);
    }
  }

  // The "Custom folder" location with this path in the field, as browsing to it leaves it.
  static void useCustomPath(const std::string& path) {
    ASSERT_TRUE(panel().outputLocationMode()->userSelectItem(5));
    panel().outputPath()->setStringValue(path);
    panel().refreshResolvedOutputPath();
  }

  // What the panel left for the host's command line to run.
  static std::string queued() {
    return foundation::utf8FromWideLossy(cad::docManager().currentInput().pending());
  }

  std::string out() const { return folder_ / "out"; }
};

}  // namespace panels_test
