// The progress line of a download on the console, for fetch and for refresh --fetch.
#pragma once

#include "astorb_download.h"
#include "console_services.h"

namespace orbivane {

class FetchProgress final : public DownloadObserver {
 public:
  explicit FetchProgress(ConsoleServices& console) : console_(console) {}
  void OnProgress(const DownloadProgress& progress) override {
    console_.ShowProgressLine("Downloading " + ProgressText(progress));
  }

 private:
  ConsoleServices& console_;
};

}  // namespace orbivane
