#include "curl_library.h"

#include <dlfcn.h>

#include <mutex>

namespace foundation {

namespace {

template <typename Function>
bool find(void* library, const char* name, Function& function) {
  function = reinterpret_cast<Function>(dlsym(library, name));
  return function != nullptr;
}

}  // namespace

const CurlLibrary* curlLibrary(std::string& error) {
  static std::once_flag once;
  static CurlLibrary curl{};
  static const CurlLibrary* opened = nullptr;
  static std::string failure;
  std::call_once(once, [] {
    // Never closed: its threads and handles may outlive any one session.
    void* library = dlopen("libcurl.so.4", RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
      const char* reason = dlerror();
      failure = "HTTPS requests are not available: ";
      failure += reason != nullptr ? reason : "libcurl cannot be loaded";
      return;
    }
    CURLcode (*globalInit)(long) = nullptr;
    const bool found =
        find(library, "curl_global_init", globalInit) && find(library, "curl_easy_init", curl.easy_init) &&
        find(library, "curl_easy_setopt", curl.easy_setopt) && find(library, "curl_easy_getinfo", curl.easy_getinfo) &&
        find(library, "curl_easy_strerror", curl.easy_strerror) &&
        find(library, "curl_easy_cleanup", curl.easy_cleanup) && find(library, "curl_multi_init", curl.multi_init) &&
        find(library, "curl_multi_add_handle", curl.multi_add_handle) &&
        find(library, "curl_multi_remove_handle", curl.multi_remove_handle) &&
        find(library, "curl_multi_perform", curl.multi_perform) &&
        find(library, "curl_multi_info_read", curl.multi_info_read) &&
        find(library, "curl_multi_poll", curl.multi_poll) && find(library, "curl_multi_wakeup", curl.multi_wakeup) &&
        find(library, "curl_multi_cleanup", curl.multi_cleanup) &&
        find(library, "curl_slist_append", curl.slist_append) &&
        find(library, "curl_slist_free_all", curl.slist_free_all);
    if (!found) {
      failure = "HTTPS requests are not available: libcurl lacks the functions they need";
      return;
    }
    if (globalInit(CURL_GLOBAL_DEFAULT) != CURLE_OK) {
      failure = "HTTPS requests are not available: libcurl cannot be initialised";
      return;
    }
    opened = &curl;
  });
  if (opened == nullptr) error = failure;
  return opened;
}

}  // namespace foundation
