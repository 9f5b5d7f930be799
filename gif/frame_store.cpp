#include "gif/frame_store.h"

#include "gif/file_io.h"

namespace framelark {

FrameStore::~FrameStore() { Clear(); }

bool FrameStore::OpenFile() {
  const std::string path = UniqueTempPath("framelark-frames");
  if (path.empty()) return false;
  file_ = OpenFileUtf8(path, "w+b");
  if (file_ == nullptr) return false;
#ifdef _WIN32
  path_ = path;
#else
  // Unlinked at once: the data lives while the file is open and the file
  // disappears with the process, whatever happens.
  RemoveFileUtf8(path);
#endif
  return true;
}

bool FrameStore::Append(const std::vector<std::uint8_t>& bytes) {
  if (bytes.empty()) return true;
  if (file_ == nullptr && memory_.empty() && !file_failed_ && !OpenFile()) file_failed_ = true;
  if (file_ != nullptr) {
    if (std::fseek(file_, 0, SEEK_END) != 0 ||
        std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) {
      return false;
    }
  } else {
    memory_.insert(memory_.end(), bytes.begin(), bytes.end());
  }
  size_ += bytes.size();
  return true;
}

bool FrameStore::CopyTo(std::FILE* out) {
  if (file_ == nullptr) {
    return memory_.empty() || std::fwrite(memory_.data(), 1, memory_.size(), out) == memory_.size();
  }
  if (std::fflush(file_) != 0 || std::fseek(file_, 0, SEEK_SET) != 0) return false;
  std::vector<std::uint8_t> buffer(1 << 16);
  std::uint64_t left = size_;
  while (left > 0) {
    const std::size_t want = left < buffer.size() ? static_cast<std::size_t>(left) : buffer.size();
    const std::size_t got = std::fread(buffer.data(), 1, want, file_);
    if (got != want || std::fwrite(buffer.data(), 1, got, out) != got) return false;
    left -= got;
  }
  return std::fseek(file_, 0, SEEK_END) == 0;
}

void FrameStore::Clear() {
  if (file_ != nullptr) {
    std::fclose(file_);
    file_ = nullptr;
  }
  if (!path_.empty()) {
    RemoveFileUtf8(path_);
    path_.clear();
  }
  file_failed_ = false;
  std::vector<std::uint8_t>().swap(memory_);
  size_ = 0;
}

}  // namespace framelark
