// How Ctrl+C ends orbivane-cli: with exit status 130 whatever the command,
// after the clean-up the command does. On POSIX the signal's own default
// action gives that (a shell reports a death by SIGINT as 130); on Windows a
// console control handler does.
#pragma once

#include <atomic>

namespace orbivane {

// At start. On Windows, Ctrl+C then ends the process with 130, after the
// handlers installed later (which run first, as the one that deletes a
// temporary catalog). On POSIX there is nothing to do.
void EndOnCtrlCWith130();

// From here on Ctrl+C (and SIGTERM on POSIX) sets `cancelled` instead of
// ending the process, for work that ends itself cleanly and keeps what it
// keeps. An interrupt the program was started to ignore stays ignored.
void CancelOnInterrupt(std::atomic<bool>& cancelled);

// After work cancelled by an interrupt has cleaned up and said so: ends the
// process as the interrupt asked, on POSIX by that signal itself. Where the
// process goes on, returns the exit status to end with.
int EndAsInterrupted();

}  // namespace orbivane
