// The system's file calls under the whole-file reads and atomic writes:
// file_io_posix.cpp or file_io_win32.cpp, picked by the build.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

struct FileInfo {
  bool regular = false;
  std::int64_t size = 0;
};

// A descriptor to read from, or -1. A FIFO without a writer opens at once
// (and is then refused, not being a regular file) instead of blocking.
int OpenForReading(const std::string& path);
std::optional<FileInfo> InfoOf(int fd);
std::optional<FileInfo> InfoOf(const std::string& path);
// Up to `n` bytes into `buf`: the count, 0 at the end, negative on an error.
long ReadSome(int fd, char* buf, unsigned n);
void CloseFile(int fd);

// A new or emptied regular file open for writing, or nothing. A name that
// cannot be opened, or is no regular file, is left as it was.
std::FILE* CreateForWriting(const std::string& path);
// Pushes the file's data to the disk, not only to the system's buffers.
bool FlushToDisk(std::FILE* f);
// Renames `from` over `to` in one step: `to` is either the old or the new file.
bool RenameOver(const std::string& from, const std::string& to);
