#include "gif/file_io.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace framelark {
namespace fs = std::filesystem;

namespace {

fs::path PathOf(const std::string& utf8) { return fs::u8path(utf8); }

// A name part that differs between calls and between processes.
std::string UniqueSuffix() {
  static std::atomic<unsigned> counter{0};
  const auto now =
      static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
  const unsigned long long local = reinterpret_cast<std::uintptr_t>(&counter);
  char text[64];
  std::snprintf(text, sizeof text, "%llx-%x", (now ^ (local << 7)) & 0xFFFFFFFFFFull,
                counter.fetch_add(1));
  return text;
}

}  // namespace

std::FILE* OpenFileUtf8(const std::string& utf8_path, const char* mode) {
  if (utf8_path.empty()) return nullptr;
#ifdef _WIN32
  const fs::path p = PathOf(utf8_path);
  std::wstring wide_mode(mode, mode + std::char_traits<char>::length(mode));
  return _wfopen(p.c_str(), wide_mode.c_str());
#else
  return std::fopen(utf8_path.c_str(), mode);
#endif
}

bool RenameFileUtf8(const std::string& from, const std::string& to) {
  std::error_code error;
  fs::rename(PathOf(from), PathOf(to), error);
  return !error;
}

bool RemoveFileUtf8(const std::string& utf8_path) {
  std::error_code error;
  return fs::remove(PathOf(utf8_path), error) && !error;
}

std::string UniqueTempPath(const char* stem) {
  std::error_code error;
  const fs::path folder = fs::temp_directory_path(error);
  if (error) return std::string();
  const fs::path p = folder / fs::u8path(std::string(stem) + "-" + UniqueSuffix() + ".tmp");
  return p.u8string();
}

std::string SiblingTempPath(const std::string& utf8_path) {
  return utf8_path + "." + UniqueSuffix() + ".part";
}

}  // namespace framelark
