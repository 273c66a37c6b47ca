#include "cad/names.h"

namespace cad {
namespace {

struct SharedPool {
  std::mutex mutex;
  NamePool pool;
};

// Never destroyed: names in it may be read by objects in static storage that outlive any static registry.
SharedPool& sharedPool() {
  static SharedPool* instance = new SharedPool;
  return *instance;
}

}  // namespace

Name::Name() {
  static const Name empty = NamePool::internShared(L"");
  text_ = empty.text_;
}

Name::Name(const wchar_t* text) : Name(NamePool::internShared(text)) {}

Name::Name(const std::wstring& text) : Name(NamePool::internShared(text)) {}

Name NamePool::intern(std::wstring_view text) {
  auto found = names_.find(text);
  if (found == names_.end()) found = names_.emplace(text).first;
  return Name(&*found);
}

Name NamePool::internShared(std::wstring_view text) {
  SharedPool& shared = sharedPool();
  std::lock_guard lock(shared.mutex);
  return shared.pool.intern(text);
}

}  // namespace cad
