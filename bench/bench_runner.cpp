// Times orbivane-cli against `wc -l` and an awk script on the same warm file,
// and on its gzip-compressed copy against `igzip -dc | wc -l`, and prints
// the ratios. Each command runs several times, interleaved with the others;
// the fastest run of each counts (the least disturbed one).
#include <sys/resource.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

struct Measure {
  double seconds = 1e30;
  long maxRssKiB = 0;
};

// Runs argv with stdout to `out` (or /dev/null); returns time and peak memory.
Measure RunOnce(const std::vector<std::string>& argv, const std::string& out) {
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    const int fd = open(out.empty() ? "/dev/null" : out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(fd, 1);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "bench: command failed: %s\n", argv[0].c_str());
    std::exit(1);
  }
  return Measure{elapsed.count(), usage.ru_maxrss};
}

struct Job {
  const char* label;
  std::vector<std::string> argv;
  std::string out;
  Measure best;
};

std::string LastLinesFilter(long lines, int ranges) {
  // `ranges` distinct ranges, all inside the last 100 lines.
  const long first = lines - 99;
  std::string filter;
  int made = 0;
  for (long a = first; a <= lines && made < ranges; ++a) {
    for (long b = lines; b >= a && made < ranges; --b, ++made) {
      filter += (made ? "," : "") + std::to_string(a) + "-" + std::to_string(b);
    }
  }
  return filter;
}

long CountLines(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return 0;
  long n = 0;
  for (int c; (c = std::fgetc(f)) != EOF;) n += c == '\n';
  std::fclose(f);
  return n;
}

// A history file of `count` records, each 500 bytes of four NUL-padded texts, in a folder of its own.
std::string MakeHistory(const std::string& scratch, int count) {
  const std::string folder = scratch + "/history-" + std::to_string(count);
  std::filesystem::create_directories(folder);
  std::FILE* f = std::fopen((folder + "/history").c_str(), "wb");
  for (int n = 0; f != nullptr && n < count; ++n) {
    char record[500] = {};
    std::snprintf(record, 30, "12/6/2001 01:45:09");
    std::snprintf(record + 30, 150, "/home/ann/catalogs/run%d.slc", n);
    std::snprintf(record + 180, 300, "1-1000, 1004-5000");
    std::snprintf(record + 480, 20, "4997");
    std::fwrite(record, sizeof record, 1, f);
  }
  if (f != nullptr) std::fclose(f);
  return "--workdir=" + folder;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 8) {
    std::fprintf(stderr, "usage: bench_runner CLI AWK_SCRIPT BIG_SOURCE BIG_SOURCE_GZ SMALL_SOURCE SCRATCH_DIR "
                         "REPEAT\n");
    return 2;
  }
  const std::string cli = argv[1], awkScript = argv[2], big = argv[3], bigGz = argv[4], small = argv[5];
  const std::string scratch = argv[6];
  const int repeat = std::max(1, std::atoi(argv[7]));
  const long bigLines = CountLines(big);
  const long smallLines = CountLines(small);
  const std::string lastOne = LastLinesFilter(bigLines, 1);
  const std::string lastThousand = LastLinesFilter(bigLines, 1000);
  const std::string work = "--workdir=" + scratch;

  std::vector<Job> jobs = {
      {"wc -l", {"wc", "-l", big}, "", {}},
      {"orbivane-cli count", {cli, "count", "--source", big}, "", {}},
      {"convert, last 100 lines, 1 range", {cli, "convert", "--source", big, "--output", scratch + "/one.slc",
        "--filter", lastOne, work}, "", {}},
      {"convert, last 100 lines, 1000 ranges", {cli, "convert", "--source", big, "--output",
        scratch + "/thousand.slc", "--filter", lastThousand, work}, "", {}},
      {"awk, same conversion", {"awk", "-v", "FROM=" + std::to_string(bigLines - 99), "-v",
        "TO=" + std::to_string(bigLines), "-f", awkScript, big}, scratch + "/awk.slc", {}},
      {"convert on the small source", {cli, "convert", "--source", small, "--output", scratch + "/small.slc",
        "--filter", LastLinesFilter(smallLines, 1), work}, "", {}},
      // The compressed copy, against the fastest gzip reader at hand.
      {"igzip -dc .gz | wc -l", {"sh", "-c", "igzip -dc \"$0\" | wc -l", bigGz}, "", {}},
      {"gzip -dc .gz | wc -l", {"sh", "-c", "gzip -dc \"$0\" | wc -l", bigGz}, "", {}},
      {"orbivane-cli count .gz", {cli, "count", "--source", bigGz}, "", {}},
      {"convert .gz, last 100 lines", {cli, "convert", "--source", bigGz, "--output", scratch + "/gz.slc",
        "--filter", lastOne, work}, "", {}},
      {"convert .gz, first 100 lines", {cli, "convert", "--source", bigGz, "--output", scratch + "/gzfirst.slc",
        "--filter", "1-100", work}, "", {}},
      // Listing a history grows with its length, no faster.
      {"orbivane-cli history, 10000 records", {cli, "history", MakeHistory(scratch, 10000)}, "", {}},
      {"orbivane-cli history, 40000 records", {cli, "history", MakeHistory(scratch, 40000)}, "", {}},
  };

  // A run of the first lines is mostly start-up and the fsync of its
  // catalog, which a busy disk stretches; the same run with catalog and
  // history in memory shows what reading the source costs.
  const std::string memory = "/dev/shm/orbivane-bench-" + std::to_string(getpid());
  std::error_code noMemory;
  const bool inMemory = std::filesystem::create_directory(memory, noMemory);
  if (inMemory) {
    jobs.push_back({"convert .gz, first 100 lines, in /dev/shm", {cli, "convert", "--source", bigGz, "--output",
                    memory + "/first.slc", "--filter", "1-100", "--workdir=" + memory}, "", {}});
  }

  RunOnce({"cat", big, bigGz}, "");  // warm the page cache
  for (int round = 0; round < repeat; ++round) {
    for (Job& job : jobs) {
      // A run of a few milliseconds is mostly process start-up, which a busy
      // machine stretches most: it gets more tries.
      const int tries = job.best.seconds < 0.05 ? 5 : 1;
      for (int t = 0; t < tries; ++t) {
        const Measure m = RunOnce(job.argv, job.out);
        job.best.seconds = std::min(job.best.seconds, m.seconds);
        job.best.maxRssKiB = std::max(job.best.maxRssKiB, m.maxRssKiB);
      }
    }
  }

  std::printf("Source: %ld lines (%s); small source: %ld lines. Best of %d runs each (5 times as many for runs of\n"
              "under 50 ms).\n\n", bigLines, big.c_str(),
              smallLines, repeat);
  std::printf("%-40s %10s %12s\n", "command", "seconds", "peak RSS KiB");
  for (const Job& job : jobs) std::printf("%-40s %10.3f %12ld\n", job.label, job.best.seconds, job.best.maxRssKiB);

  const double wc = jobs[0].best.seconds;
  const auto ratio = [&](const char* what, double value, const char* target) {
    std::printf("%-52s %6.2f   (target %s)\n", what, value, target);
  };
  std::printf("\n");
  ratio("count / wc -l", jobs[1].best.seconds / wc, "<= 1.1");
  ratio("worst conversion, 1 range / wc -l", jobs[2].best.seconds / wc, "<= 1.5");
  ratio("worst conversion, 1000 ranges / 1 range", jobs[3].best.seconds / jobs[2].best.seconds, "<= 1.10");
  ratio("awk conversion / wc -l", jobs[4].best.seconds / wc, "baseline");
  ratio("awk conversion / orbivane-cli conversion", jobs[4].best.seconds / jobs[2].best.seconds, "baseline");
  std::printf("%-52s %6.2f   (target: same within 1 MiB)\n", "peak RSS, big minus small source, MiB",
              static_cast<double>(jobs[2].best.maxRssKiB - jobs[5].best.maxRssKiB) / 1024.0);
  const double igzip = jobs[6].best.seconds;
  ratio("gzip -dc | wc -l / igzip -dc | wc -l", jobs[7].best.seconds / igzip, "baseline");
  ratio("count .gz / igzip -dc | wc -l", jobs[8].best.seconds / igzip, "<= 1.1");
  ratio("worst conversion .gz / igzip -dc | wc -l", jobs[9].best.seconds / igzip, "<= 1.1");
  std::printf("%-52s %6.4f   (target < 0.01)\n", "first 100 lines .gz / worst conversion .gz",
              jobs[10].best.seconds / jobs[9].best.seconds);
  ratio("history, 40000 records / 10000 records", jobs[12].best.seconds / jobs[11].best.seconds, "<= 4.5");
  if (inMemory) {
    std::printf("%-52s %6.4f   (target < 0.01)\n", "the same, catalog in /dev/shm / worst conversion .gz",
                jobs[13].best.seconds / jobs[9].best.seconds);
    std::filesystem::remove_all(memory, noMemory);
  }
  std::printf("%-52s %6.2f   (target: within 1 MiB)\n", "peak RSS, .gz minus plain conversion, MiB",
              static_cast<double>(jobs[9].best.maxRssKiB - jobs[2].best.maxRssKiB) / 1024.0);
  return 0;
}
