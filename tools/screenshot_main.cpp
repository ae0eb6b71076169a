// orbivane-screenshot: shows the main window after two small compilations
// of the bundled sample, padded to the line count of today's full-size
// astorb.dat, and saves a picture of it. Run it on a display of its
// own (tools/screenshot.sh starts one under Xvfb).
//   orbivane-screenshot SAMPLE.dat OUTPUT.png [main|help|about|select]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include <wx/app.h>
#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/image.h>
#include <wx/imagpng.h>
#include <wx/log.h>
#include <wx/textctrl.h>
#include <wx/timer.h>

#include "about_dlg.h"
#include "catalog_dlg.h"
#include "help_dlg.h"
#include "help_text.h"
#include "file_presets.h"
#include "resource_ids.h"
#include "selection_dlg.h"

namespace {

class ScreenshotApp : public wxApp {
 public:
  bool OnInit() override {
    if (argc != 3 && argc != 4) {
      std::fputs("usage: orbivane-screenshot SAMPLE.dat OUTPUT.png [main|help|about|select]\n", stderr);
      return false;
    }
    const wxString which = argc == 4 ? argv[3] : wxString("main");
    sample_ = argv[1].utf8_string();
    output_ = std::filesystem::absolute(argv[2].utf8_string()).string();
    delete wxLog::SetActiveTarget(new wxLogStderr);
    if (!PrepareFolder()) return false;
    wxImage::AddHandler(new wxPNGHandler);

    dialog_ = new orbivane::CCatalogDlg();
    dialog_->Move(0, 0);
    dialog_->Show();
    Compile("1-6");
    Compile("1, 3, 5", "odd.slc");
    if (which == "help") {
      auto* help = new orbivane::CHelpDlg(dialog_);
      help->m_strHelpText = orbivane::HelpText();
      shown_ = help;
    } else if (which == "about") {
      shown_ = new orbivane::CAboutDlg(dialog_);
    } else if (which == "select") {
      // The sample's brightest, with the preview counted by the time the picture is taken.
      auto* select = new orbivane::CSelectionDlg(dialog_, dialog_->m_catalog, *dialog_);
      dynamic_cast<wxTextCtrl*>(select->FindWindow(orbivane::IDC_SELECT_MAGNITUDE))->SetValue("12");
      shown_ = select;
    } else {
      shown_ = dialog_;
    }
    shown_->Move(0, 0);
    shown_->Show();
    timer_.Bind(wxEVT_TIMER, [this](wxTimerEvent&) { Capture(); });
    timer_.StartOnce(1500);
    return true;
  }

 private:
  // A fresh folder with an astorb.dat of today's full size (1,420,000
  // lines): the sample's lines, then empty ones. The history lives there.
  bool PrepareFolder() {
    std::error_code ec;
    const std::filesystem::path temporary = std::filesystem::temp_directory_path(ec);
    std::random_device random;
    for (int attempt = 0; folder_.empty() && attempt < 100; ++attempt) {
      const std::filesystem::path candidate = temporary / ("orbivane-demo-" + std::to_string(random()));
      if (std::filesystem::create_directory(candidate, ec)) folder_ = candidate.string();
    }
    if (!folder_.empty()) std::filesystem::copy_file(sample_, folder_ + "/astorb.dat", ec);
    if (!folder_.empty() && !ec) {
      std::ofstream source(folder_ + "/astorb.dat", std::ios::binary | std::ios::app);
      source << std::string(kFullSizeLines - SampleLines(), '\n');
    }
    if (!folder_.empty() && !ec) std::filesystem::current_path(folder_, ec);
    if (folder_.empty() || ec) {
      std::fprintf(stderr, "orbivane-screenshot: cannot prepare %s\n", folder_.c_str());
      return false;
    }
    return true;
  }

  static constexpr std::size_t kFullSizeLines = 1420000;

  std::size_t SampleLines() const {
    std::ifstream in(sample_, std::ios::binary);
    return static_cast<std::size_t>(std::count(std::istreambuf_iterator<char>(in), {}, '\n'));
  }

  // An empty `name` takes the preset name of the save dialog.
  void Compile(const std::string& filter, const std::string& name = "") {
    orbivane::CCatalog& catalog = dialog_->m_catalog;
    catalog.m_strSourcePath = orbivane::SourcePresetName(catalog.m_strWorkDir);
    catalog.m_strOutputPath =
        name.empty() ? orbivane::OutputPresetName(catalog.m_strWorkDir, dialog_->CurrentTime()) + ".slc"
                     : catalog.m_strWorkDir + "/" + name;
    catalog.m_strFilter = filter;
    dialog_->PushTexts();
    (void)catalog.CountSourceRecords();
    dialog_->OnStart();
  }

  void Capture() {
    const wxRect area(shown_->GetScreenPosition(), shown_->GetSize());
    wxBitmap picture(area.GetSize(), 24);
    {
      wxScreenDC screen;
      wxMemoryDC memory(picture);
      memory.Blit(0, 0, area.width, area.height, &screen, area.x, area.y);
    }
    const bool saved = picture.ConvertToImage().SaveFile(wxString::FromUTF8(output_), wxBITMAP_TYPE_PNG);
    if (!saved) std::fprintf(stderr, "orbivane-screenshot: cannot write %s\n", output_.c_str());
    exitCode_ = saved ? 0 : 1;
    if (shown_ != dialog_) shown_->Destroy();
    dialog_->Destroy();
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
  }

  int OnExit() override { return exitCode_; }

  std::string sample_;
  std::string output_;
  std::string folder_;
  orbivane::CCatalogDlg* dialog_ = nullptr;
  wxDialog* shown_ = nullptr;
  wxTimer timer_;
  int exitCode_ = 1;
};

}  // namespace

wxIMPLEMENT_APP_NO_MAIN(ScreenshotApp);

int main(int argc, char** argv) { return wxEntry(argc, argv); }
