// Document files: plain files only, opened without ever waiting on a pipe or device.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/framework/afx_core.h"

CFile::~CFile() { Close(); }

BOOL CFile::Open(const char* path, UINT flags) {
  Close();
  if (!path) return FALSE;
  const bool writing = (flags & modeWrite) != 0;
  // Non-blocking, so that opening a pipe returns at once instead of waiting for its other
  // end; the descriptor is made blocking again once it is known to be a plain file.
  int mode = O_CLOEXEC | O_NONBLOCK | (writing ? O_WRONLY : O_RDONLY);
  if (writing && (flags & modeCreate)) mode |= O_CREAT;
  const int fd = ::open(path, mode, 0666);
  if (fd < 0) return FALSE;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return FALSE;
  }
  // Emptied only now: nothing but a plain file is ever cut short.
  if ((writing && (flags & modeCreate) && ::ftruncate(fd, 0) != 0) ||
      ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
    ::close(fd);
    return FALSE;
  }
  m_fd = fd;
  return TRUE;
}

UINT CFile::Read(void* buffer, UINT count) {
  if (m_fd < 0 || !buffer) return 0;
  for (;;) {
    const ssize_t n = ::read(m_fd, buffer, count);
    if (n >= 0) return static_cast<UINT>(n);
    if (errno != EINTR) return 0;
  }
}

BOOL CFile::Write(const void* data, UINT count) {
  if (m_fd < 0) return FALSE;
  const auto* bytes = static_cast<const char*>(data);
  while (count > 0) {
    const ssize_t n = ::write(m_fd, bytes, count);
    if (n < 0) {
      if (errno == EINTR) continue;
      return FALSE;
    }
    bytes += n;
    count -= static_cast<UINT>(n);
  }
  return TRUE;
}

BOOL CFile::Close() {
  if (m_fd < 0) return FALSE;
  const int fd = m_fd;
  m_fd = -1;
  return ::close(fd) == 0 ? TRUE : FALSE;
}
