#include "interrupt.h"

#include <csignal>
#include <cstdio>

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#endif

namespace orbivane {

namespace {
constexpr int kExitInterrupted = 130;
std::atomic<std::atomic<bool>*> g_cancelled{nullptr};
}  // namespace

#ifdef _WIN32
namespace {

BOOL WINAPI OnCtrlC(DWORD event) {
  if (event != CTRL_C_EVENT) return FALSE;
  if (std::atomic<bool>* cancelled = g_cancelled.load()) {
    cancelled->store(true);
    return TRUE;
  }
  ExitProcess(kExitInterrupted);
}

}  // namespace

void EndOnCtrlCWith130() { SetConsoleCtrlHandler(OnCtrlC, TRUE); }

void CancelOnInterrupt(std::atomic<bool>& cancelled) { g_cancelled = &cancelled; }

int EndAsInterrupted() { return kExitInterrupted; }
#else
namespace {

volatile std::sig_atomic_t g_signal = SIGINT;

extern "C" void Cancel(int number) {
  g_signal = number;
  g_cancelled.load()->store(true);
}

}  // namespace

void EndOnCtrlCWith130() {}

void CancelOnInterrupt(std::atomic<bool>& cancelled) {
  g_cancelled = &cancelled;
  for (const int number : {SIGINT, SIGTERM}) {
    struct sigaction old {};
    if (::sigaction(number, nullptr, &old) != 0 || old.sa_handler == SIG_IGN) continue;
    struct sigaction action {};
    action.sa_handler = Cancel;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(number, &action, nullptr);
  }
}

int EndAsInterrupted() {
  const int number = g_signal;
  std::fflush(nullptr);
  ::signal(number, SIG_DFL);
  ::raise(number);
  return 128 + number;
}
#endif

}  // namespace orbivane
