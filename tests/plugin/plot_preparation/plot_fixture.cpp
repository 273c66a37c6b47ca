#include "plot_fixture.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "cad/doc_manager.h"
#include "cad/dxf_reader.h"
#include "cad/environment.h"
#include "cad/plot/plot_config_manager.h"
#include "cad/plot/plot_style_table.h"
#include "cad/result_buffer.h"
#include "cad/sysvars.h"
#include "foundation/files.h"
#include "foundation/text.h"
#include "plot/last_result.h"
#include "plot/plot_style_selection.h"
#include "recognition/recognition_state.h"

namespace plot_test {

void PlotPipelineTest::SetUp() {
  HostTest::SetUp();
  folder_ = std::make_unique<TempFolder>("quodl-plot-prep");
  setenv("XDG_CONFIG_HOME", (*folder_ / "config").c_str(), 1);
  setenv("XDG_DATA_HOME", (*folder_ / "data").c_str(), 1);
  cad::resetHostForTesting();
  stylesFolder_ = *folder_ / "Plot Styles";
  ASSERT_TRUE(foundation::createDirectory(stylesFolder_, true));
  ASSERT_EQ(cad::acedSetEnv(L"PrinterStyleSheetDir", foundation::wideFromUtf8Lossy(stylesFolder_).c_str()),
            cad::RTNORM);
  for (const std::string& name : kUsualStyleTables) addStyleTable(name);
  vexBatchResetRecognitionStateForTesting();
  gBatchPrintLastError.clear();
  gBatchLiteFixedStyle = false;
}

void PlotPipelineTest::TearDown() {
  gBatchLiteFixedStyle = false;
  gBatchPrintLastError.clear();
  vexBatchResetRecognitionStateForTesting();
  db_ = nullptr;
  HostTest::TearDown();
  folder_.reset();
  unsetenv("XDG_CONFIG_HOME");
  unsetenv("XDG_DATA_HOME");
}

cad::Database& PlotPipelineTest::open(std::unique_ptr<cad::Database> db, const std::wstring& path) {
  db->filename = path;
  cad::Document* doc = cad::docManager().addDocument(std::move(db), path);
  if (doc == nullptr) throw std::runtime_error("the drawing did not open");
  db_ = doc->database();
  return *db_;
}

cad::Database& PlotPipelineTest::openSample(const std::string& fileName) {
  const std::string path = std::string(QUODL_SAMPLES_DIR) + "/" + fileName;
  cad::DxfReadResult read = cad::readDxfFile(path);
  if (read.database == nullptr) throw std::runtime_error(fileName + ": " + read.error);
  return open(std::move(read.database), foundation::wideFromUtf8Lossy(path));
}

cad::Layout& PlotPipelineTest::layout(const std::wstring& name) {
  auto* found = dynamic_cast<cad::Layout*>(db().objectAt(db().layoutId(name)));
  if (found == nullptr) throw std::runtime_error("no such layout");
  return *found;
}

void PlotPipelineTest::addStyleTable(const std::string& name) const {
  const bool named = name.ends_with(".stb") || name.ends_with(".STB");
  const cad::PlotStyleTable table =
      named ? cad::PlotStyleTable::named(L"test") : cad::PlotStyleTable::colorDependent(L"test");
  ASSERT_TRUE(cad::writePlotStyleTable(table, stylesFolder_ + "/" + name));
}

void PlotPipelineTest::removeStyleTables() const {
  for (const auto& entry : std::filesystem::directory_iterator(stylesFolder_)) std::filesystem::remove(entry.path());
}

cad::PlotDevice& PlotPipelineTest::pdfDevice() {
  cad::PlotDevice* device = cad::acplPlotConfigManagerPtr()->pdfDevice();
  if (device == nullptr) throw std::runtime_error("no PDF device");
  return *device;
}

std::vector<std::wstring> PlotPipelineTest::traceLines(const std::wstring& tag) {
  std::vector<std::wstring> lines;
  const std::wstring& text = transcript();
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find(L'\n', start);
    if (end == std::wstring::npos) end = text.size();
    const std::wstring line = text.substr(start, end - start);
    if (line.starts_with(tag)) lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

std::wstring PlotPipelineTest::ctab() {
  cad::resbuf value;
  if (cad::acedGetVar(L"CTAB", &value) != cad::RTNORM) return L"?";
  std::wstring name = value.resval.rstring != nullptr ? value.resval.rstring : L"";
  cad::acutDelString(value.resval.rstring);
  return name;
}

}  // namespace plot_test
