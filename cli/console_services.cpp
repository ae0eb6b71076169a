#include "console_services.h"

#include <ctime>

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

namespace orbivane {

namespace {
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);
constexpr int kBarWidth = 40;
}  // namespace

ConsoleServices::ConsoleServices(std::FILE* messages)
    : messages_(messages), terminal_(isatty(fileno(messages)) != 0) {}

ConsoleServices::~ConsoleServices() { EndProgress(); }

void ConsoleServices::EndProgress() {
  if (!drawn_) return;
  std::fputs("\r\033[K", messages_);
  std::fflush(messages_);
  drawn_ = false;
}

bool ConsoleServices::DueForRedraw() {
  if (!terminal_) return false;
  const auto now = std::chrono::steady_clock::now();
  if (drawn_ && now - lastDraw_ < kRedrawInterval) return false;
  lastDraw_ = now;
  return true;
}

void ConsoleServices::Draw(const std::string& line) {
  std::fputs(("\r" + line + "\033[K").c_str(), messages_);
  std::fflush(messages_);
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
  if (!terminal_) return;
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
