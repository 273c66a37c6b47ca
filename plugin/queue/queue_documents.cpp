#include "queue/queue_documents.h"

#include <algorithm>
#include <cmath>

#include "cad/doc_manager.h"
#include "core/host_bridge.h"
#include "graphics/font.h"
#include "graphics/text_measurer.h"
#include "queue/dwg_discovery.h"
#include "queue/file_queue_panel.h"
#include "toolkit/alert.h"
#include "toolkit/event.h"
#include "toolkit/scroll_view.h"
#include "toolkit/text_field.h"
#include "ui/application_panel.h"
#include "ui/localisation.h"

cad::Document* vexBatchFindOpenFile(const std::string& path, cad::Document* document) {
  cad::DocManager* manager = cad::acDocManagerPtr();
  if (manager == nullptr) return nullptr;
  const std::string wanted = document == nullptr ? QDLQueueCanonicalPath(path) : std::string();
  std::string wantedIdentity;
  for (auto it = manager->newAcApDocumentIterator(); !it->done(); it->step()) {
    cad::Document* open = it->document();
    if (document != nullptr) {
      if (open == document) return open;
      continue;
    }
    const std::string name = vexBatchNSString(open->fileName());
    if (name.empty()) continue;
    const std::string canonical = QDLQueueCanonicalPath(name);
    if (canonical == wanted) return open;
    // The same file under another name: a hard link, or a path the canonical form does not reach.
    if (wantedIdentity.empty()) wantedIdentity = QDLQueueFileIdentity(wanted);
    if (QDLQueueFileIdentity(canonical) == wantedIdentity) return open;
  }
  return nullptr;
}

std::unique_ptr<toolkit::Alert> QDLQueueOpenFilesAlert(const std::vector<std::string>& paths) {
  auto alert = std::make_unique<toolkit::Alert>();
  alert->setAlertStyle(toolkit::AlertStyle::warning);
  alert->setMessageText(QDLT("请先关闭已打开的图纸"));
  alert->setInformativeText(
      QDLT("以下 DWG 正在 CAD 中打开。请保存并关闭这些图纸后重新开始；工具不会自动保存或关闭，已输出的 PDF 保留。"));

  std::string listed;
  for (const std::string& path : paths) {
    if (!listed.empty()) listed += "\n\n";
    listed += path;
  }
  auto scroll = std::make_shared<toolkit::ScrollView>(toolkit::Rect{0, 0, 500, 150});
  scroll->setIdentifier("openFiles");
  scroll->setHasVerticalScroller(true);
  scroll->setBorderType(toolkit::BorderType::bezelBorder);
  scroll->tile();
  // Read-only but selectable, as wide as the scroll view shows; it grows downwards with the paths.
  auto text = toolkit::TextField::wrappingLabelWithString(listed);
  text->setIdentifier("openFilesText");
  text->setFont(graphics::Font::system(12));
  text->setEditable(false);
  text->setSelectable(true);
  const double width = scroll->contentSize().width;
  const double height = graphics::textMeasurer().size(listed, text->font(), width - 4).height;
  text->setFrame({0, 0, width, std::max(scroll->contentSize().height, std::ceil(height))});
  text->setAutoresizingMask(toolkit::autoresizing::widthSizable);
  scroll->setDocumentView(text);
  alert->setAccessoryView(scroll);

  alert->addButtonWithTitle(QDLT("返回列表"))->setKeyEquivalent(toolkit::key::escape);
  return alert;
}

bool vexBatchQueueRequireClosedFiles(const std::vector<std::string>& paths) {
  std::vector<std::string> open;
  for (const std::string& path : paths) {
    if (vexBatchFindOpenFile(path, nullptr) != nullptr) open.push_back(path);
  }
  if (open.empty()) return true;
  if (gBatchFilePanel) gBatchFilePanel->panel()->makeKeyAndOrderFront();
  static_cast<void>(QDLQueueOpenFilesAlert(open)->runModal());
  return false;
}
