// The HTTP transport on Windows: WinHTTP, the system's own HTTP stack (its
// certificate store, its proxy settings). To be written; see http_transport.h.
#include "http_transport.h"

namespace orbivane {

namespace {

class WinHttpTransport final : public HttpTransport {
 public:
  TransportResult Get(const HttpRequest&, HttpSink&) override {
    return {TransportError::kOther, "the Windows transport is not built yet"};
  }
};

}  // namespace

std::unique_ptr<HttpTransport> MakeHttpTransport() { return std::make_unique<WinHttpTransport>(); }

}  // namespace orbivane
