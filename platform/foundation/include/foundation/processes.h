#pragma once
// Whether a process still runs. A pid with the start time it had names one process for good: a pid given to a
// new process since no longer counts as the one that was recorded.

#include <cstdint>
#include <optional>

namespace foundation {

// Clock ticks after boot at which the process started; nullopt when there is no such process.
std::optional<std::uint64_t> processStartTime(int pid);
// Whether the process runs (a zombie has ended). Without a start time any process with that pid counts.
bool processStillRuns(int pid, std::optional<std::uint64_t> startTime);

}  // namespace foundation
