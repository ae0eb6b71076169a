#include "entry_count.h"

#include "file_message.h"
#include "mpcorb_line.h"
#include "named_stream.h"
#include "os_file.h"
#include "source_lines.h"

namespace orbivane {

namespace {

constexpr std::int64_t kProgressLines = 4096;

}  // namespace

Status CountEntries(const std::string& path, std::int64_t& count,
                    const std::function<void(std::int64_t)>& onProgress, EpochTally* tally) {
  count = 0;
  OsFile file;
  if (const int err = OpenSource(file, path); err != 0) {
    return Status::Failure(FileMessage("open", "source catalog", path, err));
  }
  SourceLines source(file);
  std::int64_t lines = 0;  // of the file, for where damage lies
  if (source.format() == SourceFormat::kAstorb) {
    source.reader().CountLineBreaks(count, onProgress, tally);
    lines = count;
  } else {
    std::string_view line;
    while (source.Next(line)) {
      if (tally != nullptr) tally->Add(MpcorbEpochOf(line));
      if (++count % kProgressLines == 0 && onProgress) onProgress(count);
    }
    if (onProgress) onProgress(count);
    lines = source.lines();
  }
  if (!source.failed()) return Status::Ok();
  if (source.error() != 0) count = 0;
  return Status::Failure(source.reader().FailureMessage(path, lines + 1));
}

}  // namespace orbivane
