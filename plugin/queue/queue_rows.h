#pragma once
// The queue's rows: one record per DWG file, shared by the panel and the run and found again by identity (the
// same object), the state names, and the orderings of rows. Main thread only.

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

// A row. "state" holds the translated state name of the language at the time it was set; compare it through
// QDLQueueStateIs, which translates both sides.
struct QDLQueueItem {
  std::string path;  // canonical, never changed
  std::string state;
  std::string message;
  std::vector<std::string> outputs;
  std::optional<long> expectedPages;   // the run's own
  std::optional<long> completedPages;  // the run's own
  // Absent: follow the panel's shared style; empty: the drawing's own styles; else a plot-style file name.
  std::optional<std::string> styleOverride;
};
using QDLQueueRow = std::shared_ptr<QDLQueueItem>;

// The state names, as their catalogue keys.
namespace qdl_queue_state {
inline constexpr char pending[] = "待处理";
inline constexpr char printing[] = "正在打印";
inline constexpr char complete[] = "完成";
inline constexpr char partial[] = "部分完成";
inline constexpr char failed[] = "失败";
inline constexpr char cancelled[] = "已取消";
inline constexpr char notRun[] = "未执行";
inline constexpr char awaitingMerge[] = "等待合并";
inline constexpr char skipped[] = "已跳过";
}  // namespace qdl_queue_state

// A new row: pending (the translated state, when the caller has it already), its path as its message, no outputs.
QDLQueueRow QDLQueueNewRow(const std::string& path);
QDLQueueRow QDLQueueNewRow(const std::string& path, const std::string& pendingText);
// Whether the row's stored state is `stateKey` in whichever language it was stored.
bool QDLQueueStateIs(const QDLQueueItem& row, const char* stateKey);
// Stores the state in the interface language of the moment.
void QDLQueueSetState(QDLQueueItem& row, const char* stateKey);

// The row's own style when it has one (the empty one included), else the shared style.
std::string QDLQueueEffectiveStyle(const QDLQueueItem& row, const std::string& uniformStyle);

// File order 1 (by name ascending) or 2 (descending): file names in a file browser's order, ties broken by the
// full paths' byte order; descending reverses both. Order 0 changes nothing.
void QDLQueueSortRows(std::vector<QDLQueueRow>& rows, long fileOrder);

// Moves the selected rows one place up or down; a block of selected rows at the edge stays. Returns the new
// selection.
std::set<long> QDLQueueMoveRows(std::vector<QDLQueueRow>& rows, const std::set<long>& selection, bool down);

// The scale as typed: one whole number from 1 to 100, white space around it and a sign allowed.
std::optional<std::int64_t> QDLQueueParseScale(const std::string& text);
