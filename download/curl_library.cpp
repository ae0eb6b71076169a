// libcurl, loaded by dlopen when the first download starts. Linked in, it
// and the libraries it needs (OpenSSL, HTTP/2, SSH, LDAP, Kerberos...) would
// be loaded at every start of orbivane-cli, some 15 ms, which is most of the
// time of a short conversion that never downloads anything. The functions
// below stand in for libcurl's own under their names, so the transport is
// written against the plain libcurl API; each forwards to the loaded library.
#define CURL_DISABLE_TYPECHECK  // the type-checking macros would hide the names defined here
#include <curl/curl.h>
#include <dlfcn.h>

#include <cstdarg>
#include <mutex>
#include <string>

#include "curl_library.h"

namespace {

struct Library {
  decltype(&::curl_global_init) global_init = nullptr;
  decltype(&::curl_global_cleanup) global_cleanup = nullptr;
  decltype(&::curl_easy_init) easy_init = nullptr;
  decltype(&::curl_easy_cleanup) easy_cleanup = nullptr;
  decltype(&::curl_easy_setopt) easy_setopt = nullptr;
  decltype(&::curl_easy_getinfo) easy_getinfo = nullptr;
  decltype(&::curl_easy_strerror) easy_strerror = nullptr;
  decltype(&::curl_multi_init) multi_init = nullptr;
  decltype(&::curl_multi_cleanup) multi_cleanup = nullptr;
  decltype(&::curl_multi_add_handle) multi_add_handle = nullptr;
  decltype(&::curl_multi_remove_handle) multi_remove_handle = nullptr;
  decltype(&::curl_multi_perform) multi_perform = nullptr;
  decltype(&::curl_multi_poll) multi_poll = nullptr;
  decltype(&::curl_multi_info_read) multi_info_read = nullptr;
  decltype(&::curl_slist_append) slist_append = nullptr;
  decltype(&::curl_slist_free_all) slist_free_all = nullptr;
  std::string failure;
  bool loaded = false;
};

template <typename Function>
bool Find(void* handle, const char* name, Function& function) {
  function = reinterpret_cast<Function>(dlsym(handle, name));
  return function != nullptr;
}

Library& Curl() {
  static Library library;
  static std::once_flag once;
  std::call_once(once, [] {
    Library& l = library;
    // The library of Debian's libcurl4 (OpenSSL), whose API the transport is built against.
    void* handle = dlopen("libcurl.so.4", RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
      l.failure = dlerror();
      return;
    }
    l.loaded = Find(handle, "curl_global_init", l.global_init) &&
               Find(handle, "curl_global_cleanup", l.global_cleanup) &&
               Find(handle, "curl_easy_init", l.easy_init) && Find(handle, "curl_easy_cleanup", l.easy_cleanup) &&
               Find(handle, "curl_easy_setopt", l.easy_setopt) && Find(handle, "curl_easy_getinfo", l.easy_getinfo) &&
               Find(handle, "curl_easy_strerror", l.easy_strerror) && Find(handle, "curl_multi_init", l.multi_init) &&
               Find(handle, "curl_multi_cleanup", l.multi_cleanup) &&
               Find(handle, "curl_multi_add_handle", l.multi_add_handle) &&
               Find(handle, "curl_multi_remove_handle", l.multi_remove_handle) &&
               Find(handle, "curl_multi_perform", l.multi_perform) && Find(handle, "curl_multi_poll", l.multi_poll) &&
               Find(handle, "curl_multi_info_read", l.multi_info_read) &&
               Find(handle, "curl_slist_append", l.slist_append) &&
               Find(handle, "curl_slist_free_all", l.slist_free_all);
    if (!l.loaded) l.failure = std::string("libcurl.so.4 lacks a function of libcurl 7.85: ") + dlerror();
  });
  return library;
}

}  // namespace

const char* orbivane::CurlLoadFailure() { return Curl().loaded ? nullptr : Curl().failure.c_str(); }

// Each stand-in does nothing when the library is missing: the transport asks
// CurlLoadFailure() first and reports it.
extern "C" {

CURLcode curl_global_init(long flags) { return Curl().loaded ? Curl().global_init(flags) : CURLE_FAILED_INIT; }
void curl_global_cleanup() {
  if (Curl().loaded) Curl().global_cleanup();
}
CURL* curl_easy_init() { return Curl().loaded ? Curl().easy_init() : nullptr; }
void curl_easy_cleanup(CURL* easy) {
  if (Curl().loaded) Curl().easy_cleanup(easy);
}

// The one value after the option has the type the option's number says.
CURLcode curl_easy_setopt(CURL* easy, CURLoption option, ...) {
  if (!Curl().loaded) return CURLE_FAILED_INIT;
  va_list args;
  va_start(args, option);
  CURLcode code;
  if (option < CURLOPTTYPE_OBJECTPOINT) {
    code = Curl().easy_setopt(easy, option, va_arg(args, long));
  } else if (option >= CURLOPTTYPE_OFF_T && option < CURLOPTTYPE_BLOB) {
    code = Curl().easy_setopt(easy, option, va_arg(args, curl_off_t));
  } else {
    code = Curl().easy_setopt(easy, option, va_arg(args, void*));  // data and function pointers alike
  }
  va_end(args);
  return code;
}

CURLcode curl_easy_getinfo(CURL* easy, CURLINFO info, ...) {
  if (!Curl().loaded) return CURLE_FAILED_INIT;
  va_list args;
  va_start(args, info);
  const CURLcode code = Curl().easy_getinfo(easy, info, va_arg(args, void*));
  va_end(args);
  return code;
}

const char* curl_easy_strerror(CURLcode code) {
  return Curl().loaded ? Curl().easy_strerror(code) : "libcurl is not loaded";
}
CURLM* curl_multi_init() { return Curl().loaded ? Curl().multi_init() : nullptr; }
CURLMcode curl_multi_cleanup(CURLM* multi) {
  return Curl().loaded ? Curl().multi_cleanup(multi) : CURLM_INTERNAL_ERROR;
}
CURLMcode curl_multi_add_handle(CURLM* multi, CURL* easy) {
  return Curl().loaded ? Curl().multi_add_handle(multi, easy) : CURLM_INTERNAL_ERROR;
}
CURLMcode curl_multi_remove_handle(CURLM* multi, CURL* easy) {
  return Curl().loaded ? Curl().multi_remove_handle(multi, easy) : CURLM_INTERNAL_ERROR;
}
CURLMcode curl_multi_perform(CURLM* multi, int* running) {
  return Curl().loaded ? Curl().multi_perform(multi, running) : CURLM_INTERNAL_ERROR;
}
CURLMcode curl_multi_poll(CURLM* multi, curl_waitfd* fds, unsigned count, int timeoutMs, int* ready) {
  return Curl().loaded ? Curl().multi_poll(multi, fds, count, timeoutMs, ready) : CURLM_INTERNAL_ERROR;
}
CURLMsg* curl_multi_info_read(CURLM* multi, int* left) {
  return Curl().loaded ? Curl().multi_info_read(multi, left) : nullptr;
}
curl_slist* curl_slist_append(curl_slist* list, const char* text) {
  return Curl().loaded ? Curl().slist_append(list, text) : nullptr;
}
void curl_slist_free_all(curl_slist* list) {
  if (Curl().loaded) Curl().slist_free_all(list);
}

}  // extern "C"
