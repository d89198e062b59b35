// Whole reads and writes on an open descriptor, retried after interruptions. Used only
// inside fileproc/.
#pragma once

#include <unistd.h>

#include <cerrno>
#include <cstddef>

// Reads up to want bytes into buffer; *got the bytes read (fewer only at the end of
// the file). False on a read error.
inline bool FdReadAll(int fd, void* buffer, size_t want, size_t* got) {
  char* p = static_cast<char*>(buffer);
  *got = 0;
  while (*got < want) {
    const ssize_t done = ::read(fd, p + *got, want - *got);
    if (done < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (done == 0) break;
    *got += static_cast<size_t>(done);
  }
  return true;
}

// Writes all bytes; false on an error or a write that makes no progress.
inline bool FdWriteAll(int fd, const void* data, size_t bytes) {
  const char* p = static_cast<const char*>(data);
  while (bytes > 0) {
    const ssize_t done = ::write(fd, p, bytes);
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) return false;
    p += done;
    bytes -= static_cast<size_t>(done);
  }
  return true;
}
