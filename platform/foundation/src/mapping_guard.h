#pragma once
// Keeps a read-only file mapping from killing the process when the file is cut short under it (another program
// truncating or rewriting it in place): the pages past the new end read as zeros and the mapping is marked, so
// its reader can refuse what it read instead of dying of SIGBUS.
#include <cstddef>

namespace foundation::mapping_guard {

// A slot for the mapping at [begin, begin + size), or -1 when every slot is taken (the mapping then goes
// unguarded, as any other mapping).
int watch(const void* begin, std::size_t size);
void forget(int slot);
// Whether pages of the slot's mapping went missing since it was watched.
bool cutShort(int slot);

}  // namespace foundation::mapping_guard
