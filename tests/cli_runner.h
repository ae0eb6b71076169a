// Runs the real orbivane-cli as a child process, optionally with the fault
// shim preloaded or a limit on the size of the files it writes.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace orbivane::testing {

struct CliResult {
  int status = -1;  // exit status, or 128 + signal
  std::string out;
  std::string err;
};

struct CliOptions {
  // "NAME=value" entries added to the child's environment.
  std::vector<std::string> environment;
  // RLIMIT_FSIZE for the child, with SIGXFSZ ignored so that a write beyond
  // it fails with EFBIG instead of killing the process; 0 means no limit.
  long long fileSizeLimit = 0;
};

// The environment that preloads the fault shim and arms it: the nth `call`
// on a path containing `pathPart` fails with `error`. `report` names a file
// that gets a line for every failed call.
std::vector<std::string> FaultEnvironment(const std::string& call, const std::string& pathPart, long nth, int error,
                                          const std::string& report, const std::string& mode = "");

// Starts orbivane-cli in `cwd`; its standard output and error go to files in
// `cwd` that FinishCli reads and deletes.
pid_t StartCli(const std::vector<std::string>& args, const std::string& cwd, const CliOptions& options = {});
CliResult FinishCli(pid_t pid, const std::string& cwd);
CliResult RunCli(const std::vector<std::string>& args, const std::string& cwd, const CliOptions& options = {});

}  // namespace orbivane::testing
