#include "source_count.h"

#include <cstring>
#include <memory>

#include "file_message.h"
#include "named_stream.h"
#include "os_file.h"
#include "source_stream.h"

namespace orbivane {

namespace {

std::int64_t CountLf(const char* p, const char* end) {
  std::int64_t n = 0;
  while ((p = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)))) != nullptr) {
    ++n;
    ++p;
  }
  return n;
}

}  // namespace

Status CountLineBreaks(const std::string& path, std::int64_t& count,
                       const std::function<void(std::int64_t)>& onProgress, EpochTally* tally) {
  count = 0;
  OsFile file;
  if (const int err = OpenSource(file, path); err != 0) {
    return Status::Failure(FileMessage("open", "source catalog", path, err));
  }
  SourceStream stream(file);
  const auto block = std::make_unique<ReadBlock>();
  for (;;) {
    const std::ptrdiff_t n = stream.Read(block->bytes, ReadBlock::kSize);
    if (n < 0) {
      if (stream.error() != 0) count = 0;
      return Status::Failure(stream.FailureMessage(path, count + 1));
    }
    if (n == 0) return Status::Ok();
    // A tally finds the line breaks itself: one scan of the block.
    count += tally != nullptr ? tally->Block(block->bytes, static_cast<std::size_t>(n))
                              : CountLf(block->bytes, block->bytes + n);
    if (onProgress) onProgress(count);
  }
}

}  // namespace orbivane
