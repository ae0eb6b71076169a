// The HTTP transport on Linux: libcurl, through its multi interface so that
// the sink's ticks come at least every 200 ms whatever the network does.
#include <curl/curl.h>

#include <cstring>
#include <string_view>

#include "curl_library.h"
#include "http_transport.h"

namespace orbivane {

namespace {

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ')) text.remove_suffix(1);
  return text;
}

// One request's state, seen by libcurl's callbacks.
struct Exchange {
  CURL* easy = nullptr;
  HttpSink* sink = nullptr;
  HttpResponse response;  // of the response whose headers arrive now
  bool responded = false;  // the sink has the final response
  bool cancelled = false;
  bool sawHttps = false;
  bool insecureRedirect = false;
  std::string location;  // of the last redirect, as sent

  bool Respond() {
    if (!responded) {
      responded = true;
      if (!sink->OnResponse(response)) cancelled = true;
    }
    return !cancelled;
  }
};

std::size_t OnHeader(char* data, std::size_t, std::size_t size, void* user) {
  auto& x = *static_cast<Exchange*>(user);
  const std::string_view line(data, size);
  if (StartsWithNoCase(line, "HTTP/")) {
    // A new response: the first, one after a redirect, or after 100 Continue.
    char* url = nullptr;
    curl_easy_getinfo(x.easy, CURLINFO_EFFECTIVE_URL, &url);
    const bool https = url != nullptr && StartsWithNoCase(url, "https:");
    if (x.sawHttps && !https) {
      x.insecureRedirect = true;
      return 0;
    }
    x.sawHttps = x.sawHttps || https;
    x.response = HttpResponse();
    const std::string_view status = Trimmed(line);
    const std::size_t space = status.find(' ');
    if (space != std::string_view::npos && status.size() >= space + 4) {
      x.response.status = std::atoi(std::string(status.substr(space + 1, 3)).c_str());
      if (status.size() > space + 5) x.response.reason = std::string(status.substr(space + 5));
    }
  } else if (StartsWithNoCase(line, "content-length:")) {
    x.response.contentLength = std::atoll(std::string(Trimmed(line.substr(15))).c_str());
  } else if (StartsWithNoCase(line, "last-modified:")) {
    x.response.lastModified = Trimmed(line.substr(14));
  } else if (StartsWithNoCase(line, "content-range:")) {
    x.response.contentRange = Trimmed(line.substr(14));
  } else if (StartsWithNoCase(line, "location:")) {
    x.location = Trimmed(line.substr(9));
  }
  return size;
}

std::size_t OnBody(char* data, std::size_t, std::size_t size, void* user) {
  auto& x = *static_cast<Exchange*>(user);
  if (!x.Respond() || !x.sink->OnBody(data, size)) {
    x.cancelled = true;
    return CURL_WRITEFUNC_ERROR;
  }
  return size;
}

TransportResult Outcome(const Exchange& x, CURLcode code, const char* detail) {
  if (x.cancelled) return {TransportError::kCancelled, {}};
  if (x.insecureRedirect) return {TransportError::kInsecureRedirect, {}};
  const std::string text = detail[0] != '\0' ? detail : curl_easy_strerror(code);
  switch (code) {
    case CURLE_OK:
      return {};
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
      return {TransportError::kHostNotFound, text};
    case CURLE_COULDNT_CONNECT:
      return {TransportError::kConnectionRefused, text};
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
      return {TransportError::kTls, text};
    case CURLE_TOO_MANY_REDIRECTS:
      return {TransportError::kTooManyRedirects, text};
    case CURLE_UNSUPPORTED_PROTOCOL:
      // A redirect to a scheme that is not allowed: http after https, or no web address at all.
      if (x.location.empty()) return {TransportError::kBadAddress, text};
      if (StartsWithNoCase(x.location, "http:")) return {TransportError::kInsecureRedirect, text};
      return {TransportError::kRedirectNotHttp, text};
    case CURLE_URL_MALFORMAT:
      return {TransportError::kBadAddress, text};
    case CURLE_PARTIAL_FILE:
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_SEND_ERROR:
      return {TransportError::kCut, text};
    default:
      return {TransportError::kOther, text};
  }
}

class CurlTransport final : public HttpTransport {
 public:
  CurlTransport() { curl_global_init(CURL_GLOBAL_DEFAULT); }
  ~CurlTransport() override { curl_global_cleanup(); }

  TransportResult Get(const HttpRequest& request, HttpSink& sink) override {
    if (const char* failure = CurlLoadFailure()) return {TransportError::kOther, failure};
    Exchange x;
    x.sink = &sink;
    x.easy = curl_easy_init();
    CURLM* multi = curl_multi_init();
    curl_slist* headers = nullptr;
    for (const auto& [name, value] : request.headers) {
      headers = curl_slist_append(headers, (name + ": " + value).c_str());
    }
    char detail[CURL_ERROR_SIZE] = "";
    curl_easy_setopt(x.easy, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(x.easy, CURLOPT_PROTOCOLS_STR, "http,https");
    // Never from https to http; a chain that reached https later is held by OnHeader.
    curl_easy_setopt(x.easy, CURLOPT_REDIR_PROTOCOLS_STR,
                     StartsWithNoCase(request.url, "https:") ? "https" : "http,https");
    curl_easy_setopt(x.easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(x.easy, CURLOPT_MAXREDIRS, static_cast<long>(kMaxRedirects));
    curl_easy_setopt(x.easy, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(x.easy, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!request.caFile.empty()) curl_easy_setopt(x.easy, CURLOPT_CAINFO, request.caFile.c_str());
    curl_easy_setopt(x.easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(x.easy, CURLOPT_BUFFERSIZE, 512L * 1024);  // fewer, larger pieces for the check
    curl_easy_setopt(x.easy, CURLOPT_USERAGENT, "Orbivane/1.0.0.1");
    curl_easy_setopt(x.easy, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(x.easy, CURLOPT_ERRORBUFFER, detail);
    curl_easy_setopt(x.easy, CURLOPT_HEADERFUNCTION, OnHeader);
    curl_easy_setopt(x.easy, CURLOPT_HEADERDATA, &x);
    curl_easy_setopt(x.easy, CURLOPT_WRITEFUNCTION, OnBody);
    curl_easy_setopt(x.easy, CURLOPT_WRITEDATA, &x);
    curl_multi_add_handle(multi, x.easy);

    CURLcode code = CURLE_OK;
    int running = 1;
    while (running > 0) {
      if (curl_multi_perform(multi, &running) != CURLM_OK) break;
      if (running > 0) curl_multi_poll(multi, nullptr, 0, 200, nullptr);
      if (!x.cancelled && !sink.OnTick()) x.cancelled = true;
      if (x.cancelled) break;
    }
    int queued = 0;
    while (const CURLMsg* message = curl_multi_info_read(multi, &queued)) {
      if (message->msg == CURLMSG_DONE) code = message->data.result;
    }
    // A response without a body (304, an empty file) still reaches the sink.
    if (code == CURLE_OK && !x.cancelled && !x.insecureRedirect) x.Respond();
    const TransportResult result = Outcome(x, code, detail);
    curl_multi_remove_handle(multi, x.easy);
    curl_easy_cleanup(x.easy);
    curl_multi_cleanup(multi);
    curl_slist_free_all(headers);
    return result;
  }
};

}  // namespace

std::unique_ptr<HttpTransport> MakeHttpTransport() { return std::make_unique<CurlTransport>(); }

}  // namespace orbivane
