// The HTTP transport on Windows: WinHTTP, the system's own HTTP stack (its
// certificate store, its proxy settings). It runs WinHTTP asynchronously and
// waits for each step in slices of 100 ms, so that the sink's ticks go on
// while the server is silent and a cancel closes the request at once; a
// synchronous WinHTTP call could not be interrupted. Redirects are followed
// here, not by WinHTTP, so that their limit and the https-to-http refusal
// give the same error kinds as on Linux.
#include <windows.h>
#include <winhttp.h>

#include <atomic>
#include <cstdlib>
#include <cwchar>

#include "http_transport.h"

namespace orbivane {

namespace {

constexpr DWORD kSliceMs = 100;    // the longest wait between two looks at the sink
constexpr ULONGLONG kTickMs = 100;
// WinHTTP's own limits only back up the downloader's stall rule (60 s without
// data), which acts through the ticks; they must not end a request first.
constexpr int kBackstopMs = 120000;
constexpr DWORD kBodyPiece = 64 * 1024;

std::wstring Widen(const std::string& text) {
  if (text.empty()) return std::wstring();
  const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
  return wide;
}

std::string Narrow(const std::wstring& wide) {
  if (wide.empty()) return std::string();
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr,
                                    nullptr);
  std::string text(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(), n, nullptr, nullptr);
  return text;
}

// Windows' own words for the errors a download meets, for a system whose
// winhttp.dll has no texts of its own (Wine's).
const char* KnownErrorText(DWORD error) {
  switch (error) {
    case ERROR_WINHTTP_TIMEOUT: return "The operation timed out";
    case ERROR_WINHTTP_NAME_NOT_RESOLVED: return "The server name or address could not be resolved";
    case ERROR_WINHTTP_CANNOT_CONNECT: return "A connection with the server could not be established";
    case ERROR_WINHTTP_CONNECTION_ERROR: return "The connection with the server was terminated abnormally";
    case ERROR_WINHTTP_INVALID_SERVER_RESPONSE: return "The server returned an invalid or unrecognized response";
    case ERROR_WINHTTP_SECURE_FAILURE: return "A security error occurred";
    case ERROR_WINHTTP_SECURE_CHANNEL_ERROR: return "An error occurred in the secure channel support";
    case ERROR_WINHTTP_SECURE_INVALID_CA: return "The certificate authority is invalid or incorrect";
    case ERROR_WINHTTP_SECURE_CERT_CN_INVALID: return "The certificate's host name does not match";
    case ERROR_WINHTTP_SECURE_CERT_DATE_INVALID: return "The certificate date is invalid";
    default: return nullptr;
  }
}

// The system's text for a WinHTTP error (winhttp.dll holds them), else the
// Windows one, else the number.
std::string ErrorText(DWORD error) {
  wchar_t* text = nullptr;
  DWORD n = 0;
  const DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS;
  if (error >= WINHTTP_ERROR_BASE && error <= WINHTTP_ERROR_LAST) {
    n = FormatMessageW(flags | FORMAT_MESSAGE_FROM_HMODULE, GetModuleHandleW(L"winhttp.dll"), error, 0,
                       reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  } else {
    n = FormatMessageW(flags | FORMAT_MESSAGE_FROM_SYSTEM, nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0,
                       nullptr);
  }
  std::string reason = n > 0 ? Narrow(std::wstring(text, n)) : "";
  if (text != nullptr) LocalFree(text);
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' ' ||
                             reason.back() == '.')) {
    reason.pop_back();
  }
  if (reason.empty()) reason = KnownErrorText(error) != nullptr ? KnownErrorText(error) : "";
  return reason.empty() ? "WinHTTP error " + std::to_string(error) : reason;
}

// What the certificate check found wrong, from the flags WinHTTP reports.
std::string CertificateText(DWORD flags, DWORD error) {
  if (flags & WINHTTP_CALLBACK_STATUS_FLAG_INVALID_CA) return "the certificate is not signed by a trusted authority";
  if (flags & WINHTTP_CALLBACK_STATUS_FLAG_CERT_CN_INVALID) return "the certificate does not name this host";
  if (flags & WINHTTP_CALLBACK_STATUS_FLAG_CERT_DATE_INVALID) return "the certificate has expired or is not yet valid";
  if (flags & WINHTTP_CALLBACK_STATUS_FLAG_CERT_REVOKED) return "the certificate has been revoked";
  if (flags & WINHTTP_CALLBACK_STATUS_FLAG_INVALID_CERT) return "the certificate is invalid";
  return ErrorText(error);
}

TransportResult Failure(DWORD error, DWORD secureFlags) {
  switch (error) {
    case ERROR_WINHTTP_NAME_NOT_RESOLVED:
      return {TransportError::kHostNotFound, ErrorText(error)};
    case ERROR_WINHTTP_CANNOT_CONNECT:
      return {TransportError::kConnectionRefused, ErrorText(error)};
    case ERROR_WINHTTP_INVALID_URL:
    case ERROR_WINHTTP_UNRECOGNIZED_SCHEME:
      return {TransportError::kBadAddress, ErrorText(error)};
    case ERROR_WINHTTP_SECURE_FAILURE:
    case ERROR_WINHTTP_SECURE_INVALID_CA:
    case ERROR_WINHTTP_SECURE_CERT_CN_INVALID:
    case ERROR_WINHTTP_SECURE_CERT_DATE_INVALID:
    case ERROR_WINHTTP_SECURE_CERT_REVOKED:
    case ERROR_WINHTTP_SECURE_INVALID_CERT:
    case ERROR_WINHTTP_SECURE_CHANNEL_ERROR:
    case ERROR_WINHTTP_SECURE_CERT_REV_FAILED:
    case ERROR_WINHTTP_SECURE_CERT_WRONG_USAGE:
      return {TransportError::kTls, CertificateText(secureFlags, error)};
    default:
      return {TransportError::kOther, ErrorText(error)};
  }
}

// One request in flight. WinHTTP calls OnStatus on threads of its own until it
// reports the request handle closing, which Wine does only once a pending
// read has ended (a stalled server may hold it for minutes). So the object
// lives on the heap, and of the request's closer and that last callback
// whichever comes second deletes it: a cancel returns at once.
struct Call {
  HANDLE done = CreateEventW(nullptr, FALSE, FALSE, nullptr);  // a step completed
  DWORD status = 0;       // the completion reported
  DWORD error = 0;        // with WINHTTP_CALLBACK_STATUS_REQUEST_ERROR
  DWORD size = 0;         // bytes available or read
  DWORD secureFlags = 0;  // what the certificate check found
  std::atomic<bool> released{false};
  char buffer[kBodyPiece];

  ~Call() { CloseHandle(done); }
  static void Release(Call* call) {
    if (call->released.exchange(true)) delete call;
  }
};

void CALLBACK OnStatus(HINTERNET, DWORD_PTR context, DWORD status, LPVOID info, DWORD length) {
  auto* call = reinterpret_cast<Call*>(context);
  if (call == nullptr) return;
  switch (status) {
    case WINHTTP_CALLBACK_STATUS_SECURE_FAILURE:
      call->secureFlags = *static_cast<DWORD*>(info);
      return;
    case WINHTTP_CALLBACK_STATUS_HANDLE_CLOSING:
      Call::Release(call);
      return;
    case WINHTTP_CALLBACK_STATUS_DATA_AVAILABLE:
      call->size = *static_cast<DWORD*>(info);
      break;
    case WINHTTP_CALLBACK_STATUS_READ_COMPLETE:
      call->size = length;
      break;
    case WINHTTP_CALLBACK_STATUS_REQUEST_ERROR:
      call->error = static_cast<WINHTTP_ASYNC_RESULT*>(info)->dwError;
      break;
    case WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE:
    case WINHTTP_CALLBACK_STATUS_HEADERS_AVAILABLE:
      break;
    default:
      return;
  }
  call->status = status;
  SetEvent(call->done);
}

struct Handle {
  HINTERNET h = nullptr;
  Handle() = default;
  explicit Handle(HINTERNET handle) : h(handle) {}
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() {
    if (h != nullptr) WinHttpCloseHandle(h);
  }
};

// A header of the response as text; empty when it was not sent.
std::string ResponseHeader(HINTERNET request, DWORD which) {
  DWORD size = 0;
  WinHttpQueryHeaders(request, which, WINHTTP_HEADER_NAME_BY_INDEX, WINHTTP_NO_OUTPUT_BUFFER, &size,
                      WINHTTP_NO_HEADER_INDEX);
  if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size == 0) return std::string();
  std::wstring value(size / sizeof(wchar_t), L'\0');
  if (!WinHttpQueryHeaders(request, which, WINHTTP_HEADER_NAME_BY_INDEX, value.data(), &size,
                           WINHTTP_NO_HEADER_INDEX)) {
    return std::string();
  }
  value.resize(size / sizeof(wchar_t));
  return Narrow(value);
}

bool IsRedirect(int status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// The address a Location header names, read against the address it came from.
std::string ResolveLocation(const std::string& base, std::size_t pathStart, const std::string& location) {
  const std::size_t colon = location.find("://");
  if (colon != std::string::npos && location.find_first_of("/?#") > colon) return location;
  if (location.rfind("//", 0) == 0) return base.substr(0, base.find(':') + 1) + location;
  if (location.rfind('/', 0) == 0) return base.substr(0, pathStart) + location;
  std::string directory = base.substr(0, base.find_first_of("?#", pathStart));
  directory.erase(directory.rfind('/') + 1);
  if (directory.size() <= pathStart) directory = base.substr(0, pathStart) + "/";
  return directory + location;
}

class WinHttpTransport final : public HttpTransport {
 public:
  TransportResult Get(const HttpRequest& request, HttpSink& sink) override;

 private:
  // One GET of `url` without following a redirect: `next` gets the
  // redirect's address, if the answer is one.
  TransportResult GetOnce(HINTERNET session, const std::string& url, const HttpRequest& request, HttpSink& sink,
                          std::string& next);
  // Waits for the step just started, ticking the sink; false when the sink
  // asked to stop.
  bool Await(Call& call, HttpSink& sink);
  bool Tick(HttpSink& sink);

  ULONGLONG m_lastTick = 0;
};

HINTERNET OpenSession() {
  // The system's and the user's proxy settings where Windows has them
  // (8.1 and later), else the machine's static WinHTTP proxy.
  HINTERNET session = WinHttpOpen(L"Orbivane/1.0", WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY, WINHTTP_NO_PROXY_NAME,
                                  WINHTTP_NO_PROXY_BYPASS, WINHTTP_FLAG_ASYNC);
  if (session == nullptr) {
    session = WinHttpOpen(L"Orbivane/1.0", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                          WINHTTP_NO_PROXY_BYPASS, WINHTTP_FLAG_ASYNC);
  }
  if (session == nullptr) return nullptr;
  WinHttpSetTimeouts(session, kBackstopMs, kBackstopMs, kBackstopMs, kBackstopMs);
  WinHttpSetStatusCallback(session, OnStatus,
                           WINHTTP_CALLBACK_FLAG_ALL_COMPLETIONS | WINHTTP_CALLBACK_FLAG_SECURE_FAILURE |
                               WINHTTP_CALLBACK_FLAG_HANDLES,
                           0);
  return session;
}

TransportResult WinHttpTransport::Get(const HttpRequest& request, HttpSink& sink) {
  if (!request.caFile.empty()) {
    return {TransportError::kOther, "a CA file is not used on Windows, which trusts its own certificate store"};
  }
  m_lastTick = GetTickCount64();
  const Handle session(OpenSession());
  if (session.h == nullptr) return Failure(GetLastError(), 0);
  std::string url = request.url;
  for (int redirects = 0;; ++redirects) {
    std::string next;
    TransportResult result = GetOnce(session.h, url, request, sink, next);
    if (result.error != TransportError::kNone || next.empty()) return result;
    if (redirects == kMaxRedirects) return {TransportError::kTooManyRedirects, ""};
    if (!StartsWithNoCase(next, "http:") && !StartsWithNoCase(next, "https:")) {
      return {TransportError::kRedirectNotHttp, next};
    }
    if (StartsWithNoCase(url, "https:") && !StartsWithNoCase(next, "https:")) {
      return {TransportError::kInsecureRedirect, next};
    }
    url = next;
  }
}

bool WinHttpTransport::Tick(HttpSink& sink) {
  const ULONGLONG now = GetTickCount64();
  if (now - m_lastTick < kTickMs) return true;
  m_lastTick = now;
  return sink.OnTick();
}

bool WinHttpTransport::Await(Call& call, HttpSink& sink) {
  for (;;) {
    const bool completed = WaitForSingleObject(call.done, kSliceMs) == WAIT_OBJECT_0;
    if (!Tick(sink)) return false;
    if (completed) return true;
  }
}

TransportResult WinHttpTransport::GetOnce(HINTERNET session, const std::string& url, const HttpRequest& request,
                                          HttpSink& sink, std::string& next) {
  const std::wstring wideUrl = Widen(url);
  URL_COMPONENTS parts{};
  parts.dwStructSize = sizeof parts;
  parts.dwSchemeLength = parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength = 1;
  if (!WinHttpCrackUrl(wideUrl.c_str(), static_cast<DWORD>(wideUrl.size()), 0, &parts) ||
      (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) ||
      parts.dwHostNameLength == 0) {
    return {TransportError::kBadAddress, ""};
  }
  const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
  std::wstring path(parts.lpszUrlPath, parts.dwUrlPathLength + parts.dwExtraInfoLength);
  if (path.empty()) path = L"/";
  const std::size_t pathStart = Narrow(std::wstring(wideUrl.c_str(), parts.lpszUrlPath - wideUrl.c_str())).size();

  const Handle connection(WinHttpConnect(session, host.c_str(), parts.nPort, 0));
  if (connection.h == nullptr) return Failure(GetLastError(), 0);
  HINTERNET handle = WinHttpOpenRequest(connection.h, L"GET", path.c_str(), nullptr, WINHTTP_NO_REFERER,
                                        WINHTTP_DEFAULT_ACCEPT_TYPES,
                                        parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0);
  if (handle == nullptr) return Failure(GetLastError(), 0);

  auto* call = new Call;
  // Closing the request makes WinHTTP cancel what is in flight.
  struct Closer {
    HINTERNET handle;
    Call* call;
    ~Closer() {
      WinHttpCloseHandle(handle);
      Call::Release(call);
    }
  } closer{handle, call};

  DWORD_PTR context = reinterpret_cast<DWORD_PTR>(call);
  WinHttpSetOption(handle, WINHTTP_OPTION_CONTEXT_VALUE, &context, sizeof context);
  DWORD policy = WINHTTP_OPTION_REDIRECT_POLICY_NEVER;
  WinHttpSetOption(handle, WINHTTP_OPTION_REDIRECT_POLICY, &policy, sizeof policy);
  for (const auto& [name, value] : request.headers) {
    const std::wstring line = Widen(name + ": " + value);
    WinHttpAddRequestHeaders(handle, line.c_str(), static_cast<DWORD>(line.size()),
                             WINHTTP_ADDREQ_FLAG_ADD | WINHTTP_ADDREQ_FLAG_REPLACE);
  }

  // Starts a step; false when it failed at once (its error is in GetLastError).
  const auto step = [&](BOOL started) -> TransportResult {
    if (!started) return Failure(GetLastError(), call->secureFlags);
    if (!Await(*call, sink)) return {TransportError::kCancelled, ""};
    if (call->status == WINHTTP_CALLBACK_STATUS_REQUEST_ERROR) return Failure(call->error, call->secureFlags);
    return {TransportError::kNone, ""};
  };
  TransportResult result = step(WinHttpSendRequest(handle, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA,
                                                   0, 0, context));
  if (result.error == TransportError::kNone) result = step(WinHttpReceiveResponse(handle, nullptr));
  if (result.error != TransportError::kNone) return result;

  HttpResponse response;
  DWORD status = 0;
  DWORD size = sizeof status;
  WinHttpQueryHeaders(handle, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER, WINHTTP_HEADER_NAME_BY_INDEX,
                      &status, &size, WINHTTP_NO_HEADER_INDEX);
  response.status = static_cast<int>(status);
  if (IsRedirect(response.status)) {
    const std::string location = ResponseHeader(handle, WINHTTP_QUERY_LOCATION);
    if (!location.empty()) {
      next = ResolveLocation(url, pathStart, location);
      return {TransportError::kNone, ""};
    }
  }
  response.reason = ResponseHeader(handle, WINHTTP_QUERY_STATUS_TEXT);
  const std::string length = ResponseHeader(handle, WINHTTP_QUERY_CONTENT_LENGTH);
  if (!length.empty()) response.contentLength = std::strtoll(length.c_str(), nullptr, 10);
  response.lastModified = ResponseHeader(handle, WINHTTP_QUERY_LAST_MODIFIED);
  response.contentRange = ResponseHeader(handle, WINHTTP_QUERY_CONTENT_RANGE);
  if (!sink.OnResponse(response)) return {TransportError::kCancelled, ""};

  std::int64_t received = 0;
  for (;;) {
    if (response.contentLength >= 0 && received >= response.contentLength) break;  // what follows is not the body
    result = step(WinHttpQueryDataAvailable(handle, nullptr));
    if (result.error != TransportError::kNone) break;
    if (call->size == 0) break;
    DWORD want = call->size < kBodyPiece ? call->size : kBodyPiece;
    if (response.contentLength >= 0 && received + want > response.contentLength) {
      want = static_cast<DWORD>(response.contentLength - received);
    }
    result = step(WinHttpReadData(handle, call->buffer, want, nullptr));
    if (result.error != TransportError::kNone) break;
    if (call->size == 0) break;
    received += call->size;
    if (!sink.OnBody(call->buffer, call->size)) return {TransportError::kCancelled, ""};
  }
  if (result.error == TransportError::kCancelled) return result;
  // A connection that ends before the announced length (or breaks while a
  // body of unknown length comes) cuts the body.
  const bool shortBody = response.contentLength >= 0 && received < response.contentLength;
  if (result.error != TransportError::kNone || shortBody) return {TransportError::kCut, result.detail};
  return {TransportError::kNone, ""};
}

}  // namespace

std::unique_ptr<HttpTransport> MakeHttpTransport() { return std::make_unique<WinHttpTransport>(); }

}  // namespace orbivane
