#include "source_count.h"

#include <cstring>
#include <memory>

#include "file_message.h"
#include "os_file.h"

namespace orbivane {

namespace {

constexpr std::size_t kBlockSize = 128 * 1024;

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
                       const std::function<void(std::int64_t)>& onProgress) {
  count = 0;
  OsFile file;
  if (const int err = file.OpenForReading(path); err != 0) {
    return Status::Failure(FileMessage("open", "source catalog", path, err));
  }
  const auto block = std::make_unique<char[]>(kBlockSize);
  for (;;) {
    int err = 0;
    const std::ptrdiff_t n = file.Read(block.get(), kBlockSize, err);
    if (n < 0) return Status::Failure(FileMessage("read", "source catalog", path, err));
    if (n == 0) return Status::Ok();
    count += CountLf(block.get(), block.get() + n);
    if (onProgress) onProgress(count);
  }
}

}  // namespace orbivane
