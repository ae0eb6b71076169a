// orbivane: the desktop window.
#include <cstdio>
#include <string>
#include <vector>

#include <wx/app.h>

#include "catalog_app.h"
#include "window_command_line.h"

#ifdef __WXMSW__
#include <wx/msw/wrapwin.h>

#include <shellapi.h>

wxIMPLEMENT_APP_NO_MAIN(orbivane::CCatalogApp);

namespace {

// The arguments after the program's name, in UTF-8.
std::vector<std::string> Arguments() {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> args;
  for (int i = 1; wide != nullptr && i < count; ++i) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
    std::string arg(static_cast<std::size_t>(n > 0 ? n : 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, arg.data(), n, nullptr, nullptr);
    arg.pop_back();
    args.push_back(std::move(arg));
  }
  LocalFree(wide);
  return args;
}

}  // namespace

// Windows always has a desktop to show the window on; --help, --version and a
// usage error are answered without one.
extern "C" int WINAPI WinMain(HINSTANCE instance, HINSTANCE, wxCmdLineArgType, int show) {
  wxDISABLE_DEBUG_SUPPORT();  // in a release build, as the toolkit's own WinMain does
  const orbivane::WindowStart start = orbivane::ParseWindowCommandLine(Arguments());
  if (start.action != orbivane::WindowStart::Action::kOpenWindow) return orbivane::AnswerWithoutWindow(start);
  return wxEntry(instance, nullptr, nullptr, show);
}
#else
#include "documents_folder.h"

wxIMPLEMENT_APP_NO_MAIN(orbivane::CCatalogApp);

int main(int argc, char** argv) {
  const orbivane::WindowStart start = orbivane::ParseWindowCommandLine({argv + 1, argv + argc});
  if (start.action != orbivane::WindowStart::Action::kOpenWindow) return orbivane::AnswerWithoutWindow(start);
  if (!orbivane::HaveDisplay()) {
    std::fputs(
        "orbivane: no display to show the window on (neither DISPLAY nor WAYLAND_DISPLAY is set).\n"
        "On a machine without a display, use orbivane-cli instead; `orbivane-cli --help` lists its commands.\n",
        stderr);
    return 1;
  }
  // Before the window takes the current folder as the one it works in.
  if (const std::string problem = start.inDocuments ? orbivane::EnterDocumentsFolder() : ""; !problem.empty()) {
    std::fprintf(stderr, "orbivane: %s\n", problem.c_str());
  }
  return wxEntry(argc, argv);
}
#endif
