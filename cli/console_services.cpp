#include "console_services.h"

#include <ctime>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace orbivane {

namespace {
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);
constexpr int kBarWidth = 40;
}  // namespace

#ifdef _WIN32
// A console tells its mode; a file, a pipe or NUL (which the C runtime
// counts as a terminal, being a device) does not. The console's own mode
// comes back when the program ends.
Terminal TerminalOf(std::FILE* stream) {
  static struct Restore {
    HANDLE console = nullptr;
    DWORD mode = 0;
    ~Restore() {
      if (console != nullptr) SetConsoleMode(console, mode);
    }
  } restore;
  const auto console = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
  DWORD mode = 0;
  if (console == INVALID_HANDLE_VALUE || !GetConsoleMode(console, &mode)) return Terminal::kNone;
  if ((mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0) return Terminal::kEscapes;
  if (!SetConsoleMode(console, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING)) return Terminal::kPlain;
  restore.console = console;
  restore.mode = mode;
  return Terminal::kEscapes;
}
#else
Terminal TerminalOf(std::FILE* stream) {
  return isatty(fileno(stream)) != 0 ? Terminal::kEscapes : Terminal::kNone;
}
#endif

ConsoleServices::ConsoleServices(std::FILE* messages, Terminal terminal)
    : messages_(messages), terminal_(terminal) {}

ConsoleServices::~ConsoleServices() { EndProgress(); }

void ConsoleServices::EndProgress() {
  if (!drawn_) return;
  const std::string blank = "\r" + std::string(drawnWidth_, ' ') + "\r";
  std::fputs(terminal_ == Terminal::kEscapes ? "\r\033[K" : blank.c_str(), messages_);
  std::fflush(messages_);
  drawn_ = false;
  drawnWidth_ = 0;
}

bool ConsoleServices::DueForRedraw() {
  if (terminal_ == Terminal::kNone) return false;
  const auto now = std::chrono::steady_clock::now();
  if (drawn_ && now - lastDraw_ < kRedrawInterval) return false;
  lastDraw_ = now;
  return true;
}

void ConsoleServices::Draw(const std::string& line) {
  std::string text = "\r" + line;
  if (terminal_ == Terminal::kEscapes) {
    text += "\033[K";
  } else if (line.size() < drawnWidth_) {
    text.append(drawnWidth_ - line.size(), ' ');
  }
  std::fputs(text.c_str(), messages_);
  std::fflush(messages_);
  drawnWidth_ = line.size();
  drawn_ = true;
}

void ConsoleServices::ShowProgressLine(const std::string& text) {
  if (DueForRedraw()) Draw(text);
}

void ConsoleServices::ShowTotal(const std::string& text) {
  if (DueForRedraw()) Draw("Counting lines: " + text);
}

void ConsoleServices::ShowMessage(const std::string& text) {
  EndProgress();
  std::fprintf(messages_, "%s\n", text.c_str());
  std::fflush(messages_);
}

void ConsoleServices::SetProgressRange(int lower, int upper) {
  lower_ = lower;
  upper_ = upper;
}

void ConsoleServices::SetProgressPos(int pos) {
  if (terminal_ == Terminal::kNone) return;
  if (pos < upper_ && !DueForRedraw()) return;
  const int span = upper_ - lower_;
  const int percent = span > 0 ? static_cast<int>(100LL * (pos - lower_) / span) : 100;
  const int filled = percent * kBarWidth / 100;
  Draw("Converting [" + std::string(static_cast<std::size_t>(filled), '#') +
       std::string(static_cast<std::size_t>(kBarWidth - filled), '.') + "] " + std::to_string(percent) + "%");
}

void ConsoleServices::InsertRow(int row, const std::string& text) {
  rows_.insert(rows_.begin() + row, Row{text, "", "", ""});
}

void ConsoleServices::SetCell(int row, int column, const std::string& text) {
  rows_.at(static_cast<std::size_t>(row)).at(static_cast<std::size_t>(column)) = text;
}

LocalTime ConsoleServices::CurrentTime() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  return LocalTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                   local.tm_sec};
}

}  // namespace orbivane
