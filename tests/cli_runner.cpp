#include "cli_runner.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <stdexcept>

#include "test_files.h"

extern char** environ;

namespace orbivane::testing {

std::vector<std::string> FaultEnvironment(const std::string& call, const std::string& pathPart, long nth, int error,
                                          const std::string& report, const std::string& mode) {
  std::string asan = "ASAN_OPTIONS=";
  if (const char* options = std::getenv("ASAN_OPTIONS")) asan += std::string(options) + ":";
  // The sanitizer runtime wants to be the first library loaded; the shim
  // comes before it and only passes calls on to the kernel.
  asan += "verify_asan_link_order=0";
  std::vector<std::string> environment{
      std::string("LD_PRELOAD=") + ORBIVANE_FAULT_SHIM,
      "ORBIVANE_FAULT_CALL=" + call,
      "ORBIVANE_FAULT_PATH=" + pathPart,
      "ORBIVANE_FAULT_NTH=" + std::to_string(nth),
      "ORBIVANE_FAULT_ERRNO=" + std::to_string(error),
      "ORBIVANE_FAULT_REPORT=" + report,
      asan,
  };
  if (!mode.empty()) environment.push_back("ORBIVANE_FAULT_MODE=" + mode);
  return environment;
}

pid_t StartCli(const std::vector<std::string>& args, const std::string& cwd, const CliOptions& options) {
  // Everything the child needs is prepared before the fork.
  const std::string outPath = cwd + "/.stdout";
  const std::string errPath = cwd + "/.stderr";
  std::vector<std::string> environment;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string entry(*e);
    const std::string name = entry.substr(0, entry.find('=') + 1);
    bool replaced = false;
    for (const std::string& added : options.environment) replaced = replaced || added.rfind(name, 0) == 0;
    if (!replaced) environment.push_back(entry);
  }
  environment.insert(environment.end(), options.environment.begin(), options.environment.end());
  std::vector<char*> envp;
  for (std::string& entry : environment) envp.push_back(entry.data());
  envp.push_back(nullptr);
  std::vector<std::string> argStrings{ORBIVANE_CLI};
  argStrings.insert(argStrings.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& arg : argStrings) argv.push_back(arg.data());
  argv.push_back(nullptr);

  const pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    if (::chdir(cwd.c_str()) != 0) ::_exit(127);
    const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(out, 1);
    ::dup2(err, 2);
    if (options.fileSizeLimit > 0) {
      ::signal(SIGXFSZ, SIG_IGN);  // an ignored signal stays ignored across exec
      const rlimit limit{static_cast<rlim_t>(options.fileSizeLimit), static_cast<rlim_t>(options.fileSizeLimit)};
      if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(126);
    }
    ::execve(argv[0], argv.data(), envp.data());
    ::_exit(127);
  }
  return pid;
}

CliResult FinishCli(pid_t pid, const std::string& cwd) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  CliResult result;
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  result.out = ReadFile(cwd + "/.stdout");
  result.err = ReadFile(cwd + "/.stderr");
  ::unlink((cwd + "/.stdout").c_str());
  ::unlink((cwd + "/.stderr").c_str());
  return result;
}

CliResult RunCli(const std::vector<std::string>& args, const std::string& cwd, const CliOptions& options) {
  return FinishCli(StartCli(args, cwd, options), cwd);
}

}  // namespace orbivane::testing
