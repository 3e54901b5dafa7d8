#include "storage/file_io.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
FileInfo InfoFrom(const struct stat& st) { return FileInfo{S_ISREG(st.st_mode), st.st_size}; }
}  // namespace

// Non-blocking, so a FIFO without a writer opens at once and is then rejected.
int OpenForReading(const std::string& path) { return open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC); }

std::optional<FileInfo> InfoOf(int fd) {
  struct stat st {};
  if (fstat(fd, &st) != 0) return std::nullopt;
  return InfoFrom(st);
}

std::optional<FileInfo> InfoOf(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return std::nullopt;
  return InfoFrom(st);
}

long ReadSome(int fd, char* buf, unsigned n) {
  ssize_t got;
  do {
    got = read(fd, buf, n);
  } while (got < 0 && errno == EINTR);
  return static_cast<long>(got);
}

void CloseFile(int fd) { close(fd); }

std::FILE* CreateForWriting(const std::string& path) {
  // A FIFO left at the name must not block the write.
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  const std::optional<FileInfo> info = InfoOf(fd);
  if (!info || !info->regular) {
    close(fd);
    return nullptr;
  }
  std::FILE* f = fdopen(fd, "wb");
  if (!f) {
    close(fd);
    std::remove(path.c_str());
  }
  return f;
}

bool FlushToDisk(std::FILE* f) { return std::fflush(f) == 0 && fsync(fileno(f)) == 0; }

bool RenameOver(const std::string& from, const std::string& to) { return std::rename(from.c_str(), to.c_str()) == 0; }
