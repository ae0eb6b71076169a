// One HTTP GET over the system's HTTP stack: libcurl on Linux
// (http_transport_curl.cpp), WinHTTP on Windows (http_transport_winhttp.cpp),
// exactly one of them compiled, as the inflater is. Everything the download
// decides (resume, the unchanged check, the check of the body, the replace)
// lies above this interface, written once for both.
//
// The transport's own rules, the same on both systems:
// - only http:// and https:// addresses; TLS certificates verified against
//   the system's trust store (or against `caFile` when one is given);
// - redirects followed, at most kMaxRedirects of them, only to http and
//   https addresses, and never from an https address to an http one (also
//   not in the middle of a chain);
// - the body of the final response only is handed to the sink; a body longer
//   than its Content-Length is read only up to that length;
// - Linux honours https_proxy/http_proxy/no_proxy, Windows the system's proxy;
// - sink.OnTick runs at least every 200 ms while the request lasts, so a
//   cancel or the stall rule above acts within half a second.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orbivane {

inline constexpr int kMaxRedirects = 5;

struct HttpRequest {
  std::string url;
  // Sent as they are, e.g. {"Range", "bytes=100-"}, {"If-Range", date},
  // {"If-Modified-Since", date}.
  std::vector<std::pair<std::string, std::string>> headers;
  // A PEM file of the certificates to trust instead of the system's; empty for
  // the system's store. Only the tests' throw-away CA is given this way.
  std::string caFile;
};

// The final response (after redirects), handed to the sink before its body.
struct HttpResponse {
  int status = 0;              // 200, 206, 304, 404, ...
  std::string reason;          // "Not Found"; may be empty (HTTP/2 has none)
  std::int64_t contentLength = -1;  // of this body; -1 when not announced
  std::string lastModified;    // the Last-Modified header as sent; empty when absent
  std::string contentRange;    // the Content-Range header as sent; empty when absent
};

class HttpSink {
 public:
  virtual ~HttpSink() = default;
  // The final response's status and headers; false ends the request (kCancelled).
  virtual bool OnResponse(const HttpResponse& response) = 0;
  // Bytes of its body as they arrive; false ends the request (kCancelled).
  virtual bool OnBody(const char* data, std::size_t size) = 0;
  // At least every 200 ms, whether bytes come or not; false ends the request (kCancelled).
  virtual bool OnTick() = 0;
};

// Why a request did not complete. The text the user reads is made above the
// transport from this kind, so it is the same on every system; `detail` adds
// the system's own words where they help (a TLS failure, kOther).
enum class TransportError {
  kNone,              // the whole response arrived (any status)
  kCancelled,         // a sink call returned false
  kHostNotFound,      // DNS failure or no network
  kConnectionRefused, // or the host cannot be reached
  kTls,               // untrusted certificate, name mismatch, handshake failure
  kTooManyRedirects,  // more than kMaxRedirects
  kInsecureRedirect,  // a redirect from https to http, refused
  kRedirectNotHttp,   // a redirect to an address that is neither http nor https (ftp:, file:), refused
  kBadAddress,        // not an http:// or https:// address, or malformed
  kCut,               // the connection ended before the body was complete
  kOther,             // anything else; see detail
};

struct TransportResult {
  TransportError error = TransportError::kNone;
  std::string detail;
};

class HttpTransport {
 public:
  virtual ~HttpTransport() = default;
  // Runs one GET to its end on the calling thread.
  virtual TransportResult Get(const HttpRequest& request, HttpSink& sink) = 0;
};

// The transport this program was built with.
std::unique_ptr<HttpTransport> MakeHttpTransport();

// Schemes and header names are compared without case.
inline bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(text[i]) != lower(prefix[i])) return false;
  }
  return true;
}

}  // namespace orbivane
