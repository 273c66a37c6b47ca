#pragma once
// Private to foundation: libcurl, opened when the first request is made rather than when the process starts.
// Opening it brings some twenty libraries (TLS, Kerberos, LDAP, SSH, …) that a host which plots and makes no
// request never needs, and loading them was a large part of every start.

#include <curl/curl.h>

#include <string>

namespace foundation {

struct CurlLibrary {
  CURL* (*easy_init)();
  CURLcode (*easy_setopt)(CURL*, CURLoption, ...);
  CURLcode (*easy_getinfo)(CURL*, CURLINFO, ...);
  const char* (*easy_strerror)(CURLcode);
  void (*easy_cleanup)(CURL*);
  CURLM* (*multi_init)();
  CURLMcode (*multi_add_handle)(CURLM*, CURL*);
  CURLMcode (*multi_remove_handle)(CURLM*, CURL*);
  CURLMcode (*multi_perform)(CURLM*, int*);
  CURLMsg* (*multi_info_read)(CURLM*, int*);
  CURLMcode (*multi_poll)(CURLM*, curl_waitfd*, unsigned, int, int*);
  CURLMcode (*multi_wakeup)(CURLM*);
  CURLMcode (*multi_cleanup)(CURLM*);
  curl_slist* (*slist_append)(curl_slist*, const char*);
  void (*slist_free_all)(curl_slist*);
};

// The library, opened and initialised once for the process; null when it cannot be, with `error` saying why.
const CurlLibrary* curlLibrary(std::string& error);

}  // namespace foundation
