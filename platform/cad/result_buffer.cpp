#include "cad/result_buffer.h"

#include <cstdlib>
#include <cwchar>
#include <mutex>
#include <unordered_set>

namespace cad {

namespace {

// Live allocations by address, so acdbFree can tell a host string from anything else and a double free is
// caught instead of corrupting the heap.
struct Ledger {
  std::mutex mutex;
  std::unordered_set<const void*> strings;
  std::unordered_set<const void*> buffers;
};

Ledger& ledger() {
  static Ledger* instance = new Ledger;  // outlives plug-ins' static destructors
  return *instance;
}

bool forgetString(void* memory) {
  Ledger& l = ledger();
  std::lock_guard lock(l.mutex);
  return l.strings.erase(memory) == 1;
}

}  // namespace

wchar_t* acutNewString(const wchar_t* text) {
  if (text == nullptr) text = L"";
  const std::size_t length = std::wcslen(text);
  auto* copy = static_cast<wchar_t*>(std::malloc((length + 1) * sizeof(wchar_t)));
  if (copy == nullptr) return nullptr;
  std::wmemcpy(copy, text, length + 1);
  Ledger& l = ledger();
  std::lock_guard lock(l.mutex);
  l.strings.insert(copy);
  return copy;
}

void acutDelString(wchar_t*& text) {
  if (text == nullptr) return;
  if (forgetString(text)) std::free(text);
  text = nullptr;
}

void acdbFree(void* memory) {
  if (memory == nullptr) return;
  // Only what the host allocated is released; anything else is left alone rather than freed twice.
  if (forgetString(memory)) std::free(memory);
}

resbuf* acutNewRb(int type) {
  auto* rb = new resbuf;
  rb->restype = static_cast<short>(type);
  Ledger& l = ledger();
  std::lock_guard lock(l.mutex);
  l.buffers.insert(rb);
  return rb;
}

int acutRelRb(resbuf* chain) {
  while (chain != nullptr) {
    {
      Ledger& l = ledger();
      std::lock_guard lock(l.mutex);
      if (l.buffers.erase(chain) != 1) return RTERROR;  // not the host's: never freed here
    }
    resbuf* next = chain->rbnext;
    if (chain->restype == RTSTR) acutDelString(chain->resval.rstring);
    delete chain;
    chain = next;
  }
  return RTNORM;
}

std::size_t HostAllocations::outstandingStrings() {
  Ledger& l = ledger();
  std::lock_guard lock(l.mutex);
  return l.strings.size();
}

std::size_t HostAllocations::outstandingBuffers() {
  Ledger& l = ledger();
  std::lock_guard lock(l.mutex);
  return l.buffers.size();
}

}  // namespace cad
