#include "storage/file_io.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

namespace {
FileInfo InfoFrom(const struct _stat64& st) { return FileInfo{(st.st_mode & _S_IFMT) == _S_IFREG, st.st_size}; }
}  // namespace

int OpenForReading(const std::string& path) { return _open(path.c_str(), _O_RDONLY | _O_BINARY); }

std::optional<FileInfo> InfoOf(int fd) {
  struct _stat64 st {};
  if (_fstat64(fd, &st) != 0) return std::nullopt;
  return InfoFrom(st);
}

std::optional<FileInfo> InfoOf(const std::string& path) {
  struct _stat64 st {};
  if (_stat64(path.c_str(), &st) != 0) return std::nullopt;
  return InfoFrom(st);
}

long ReadSome(int fd, char* buf, unsigned n) { return _read(fd, buf, n); }

void CloseFile(int fd) { _close(fd); }

std::FILE* CreateForWriting(const std::string& path) { return std::fopen(path.c_str(), "wb"); }

bool FlushToDisk(std::FILE* f) { return std::fflush(f) == 0 && _commit(_fileno(f)) == 0; }

bool RenameOver(const std::string& from, const std::string& to) {
  return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}
