// Scratch folders and whole-file reads and writes for the tests.
#pragma once

#include <filesystem>
#include <string>

namespace orbivane::testing {

// A fresh folder that is deleted with everything in it when the object goes.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + kSeparator + name; }

#ifdef _WIN32
  static constexpr char kSeparator = '\\';
#else
  static constexpr char kSeparator = '/';
#endif

 private:
  std::string path_;
};

// A UTF-8 path as the system's own path type.
std::filesystem::path PathOf(const std::string& utf8);
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);
void MakeDir(const std::string& path);
// Names in the folder, sorted.
std::string ListDir(const std::string& path);

// A source line of today's layout (267 characters) with the given fields.
std::string CurrentLine(int number, const std::string& name);
// A source of `count` lines of today's layout, line n carrying number n.
std::string NumberedSource(int count);
// The project's sample lines, by layout.
std::string SampleFile(const std::string& name);

}  // namespace orbivane::testing
