#include "queue/queue_rows.h"

#include <algorithm>
#include <utility>

#include "foundation/paths.h"
#include "foundation/string_values.h"
#include "foundation/transforms.h"
#include "ui/localisation.h"

QDLQueueRow QDLQueueNewRow(const std::string& path) { return QDLQueueNewRow(path, QDLT(qdl_queue_state::pending)); }

QDLQueueRow QDLQueueNewRow(const std::string& path, const std::string& pendingText) {
  auto row = std::make_shared<QDLQueueItem>();
  row->path = path;
  row->state = pendingText;
  row->message = path;
  return row;
}

bool QDLQueueStateIs(const QDLQueueItem& row, const char* stateKey) { return QDLT(row.state) == QDLT(stateKey); }

void QDLQueueSetState(QDLQueueItem& row, const char* stateKey) { row.state = QDLT(stateKey); }

std::string QDLQueueEffectiveStyle(const QDLQueueItem& row, const std::string& uniformStyle) {
  return row.styleOverride ? *row.styleOverride : uniformStyle;
}

void QDLQueueSortRows(std::vector<QDLQueueRow>& rows, long fileOrder) {
  if (fileOrder != 1 && fileOrder != 2) return;
  const bool descending = fileOrder == 2;
  auto compare = [](const QDLQueueRow& a, const QDLQueueRow& b) {
    const int byName =
        foundation::naturalCompare(foundation::lastPathComponent(a->path), foundation::lastPathComponent(b->path));
    if (byName != 0) return byName;
    return a->path.compare(b->path) < 0 ? -1 : (a->path == b->path ? 0 : 1);
  };
  std::stable_sort(rows.begin(), rows.end(), [&](const QDLQueueRow& a, const QDLQueueRow& b) {
    const int c = compare(a, b);
    return descending ? c > 0 : c < 0;
  });
}

std::set<long> QDLQueueMoveRows(std::vector<QDLQueueRow>& rows, const std::set<long>& selection, bool down) {
  std::set<long> moved = selection;
  const long count = static_cast<long>(rows.size());
  auto exchange = [&](long i, long j) {
    std::swap(rows[static_cast<std::size_t>(i)], rows[static_cast<std::size_t>(j)]);
    moved.erase(i);
    moved.insert(j);
  };
  if (down) {
    for (auto it = selection.rbegin(); it != selection.rend(); ++it) {
      const long i = *it;
      if (i >= 0 && i + 1 < count && moved.count(i + 1) == 0) exchange(i, i + 1);
    }
  } else {
    for (const long i : selection) {
      if (i > 0 && i < count && moved.count(i - 1) == 0) exchange(i, i - 1);
    }
  }
  return moved;
}

std::optional<std::int64_t> QDLQueueParseScale(const std::string& text) {
  const std::optional<std::int64_t> value = foundation::scanInteger(text);
  if (!value || *value < 1 || *value > 100) return std::nullopt;
  return value;
}
