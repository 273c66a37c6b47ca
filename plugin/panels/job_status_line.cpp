#include "panels/job_status_line.h"

#include <vector>

#include "core/host_bridge.h"
#include "foundation/format.h"
#include "plot/print_jobs.h"
#include "ui/localisation.h"

namespace {

bool endsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// A reason from the plot pipeline comes without a full stop; a sentence that has one keeps it.
std::string sentence(const std::string& text) {
  for (const char* end : {"。", ".", "！", "!", "？", "?", "…"}) {
    if (endsWith(text, end)) return text;
  }
  return text + QDLL("。", ".", "。");
}

}  // namespace

std::string vexBatchJobStatusLine(const std::string& outcome, const VexBatchPrintPendingJob* left) {
  std::vector<std::string> parts;
  if (!outcome.empty()) parts.push_back(sentence(outcome));
  if (left != nullptr && !left->blockedReason.empty()) {
    parts.push_back(foundation::format(QDLT("未完成任务无法完成：%@。点击“继续未完成任务”可放弃或重试。"),
                                       vexBatchNSString(left->blockedReason)));
  } else if (left != nullptr) {
    parts.push_back(foundation::format(QDLT("发现未完成任务：已完成 %ld / %ld 页，剩余 %ld 页。可点击“继续未完成任务”。"),
                                       static_cast<long>(left->completedPageCount),
                                       static_cast<long>(left->totalPageCount), static_cast<long>(left->pages.size())));
  }
  std::string line;
  for (const std::string& part : parts) line += (line.empty() ? "" : QDLL("", " ", "")) + part;
  return line;
}
