// Where encoded frames wait until the picture is saved: a temporary file,
// so that memory does not grow with the length of a recording. When no
// temporary file can be made, the frames stay in memory.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace framelark {

class FrameStore {
 public:
  FrameStore() = default;
  ~FrameStore();
  FrameStore(const FrameStore&) = delete;
  FrameStore& operator=(const FrameStore&) = delete;

  // Appends encoded bytes. False when they could not be stored.
  bool Append(const std::vector<std::uint8_t>& bytes);
  // Writes everything stored so far to `out`. False on a read or write error.
  bool CopyTo(std::FILE* out);
  // Drops the stored bytes and removes the temporary file.
  void Clear();
  std::uint64_t size() const { return size_; }
  bool UsesFile() const { return file_ != nullptr; }
  // The temporary file's path while it exists on disk (Windows keeps it
  // until Clear; elsewhere it is unlinked as soon as it is open).
  const std::string& path() const { return path_; }

 private:
  bool OpenFile();
  std::FILE* file_ = nullptr;
  std::string path_;
  bool file_failed_ = false;
  std::vector<std::uint8_t> memory_;
  std::uint64_t size_ = 0;
};

}  // namespace framelark
