#include "core/platform/text_file.h"

#include <sys/stat.h>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>

namespace mtvuk {
namespace {

constexpr std::size_t kBufferBytes = 1u << 16;

int Fseek(std::FILE* f, std::int64_t offset, int whence) {
#ifdef _WIN32
  return _fseeki64(f, offset, whence);
#else
  return fseeko(f, static_cast<off_t>(offset), whence);
#endif
}

std::int64_t Ftell(std::FILE* f) {
#ifdef _WIN32
  return _ftelli64(f);
#else
  return static_cast<std::int64_t>(ftello(f));
#endif
}

// Writes up to n bytes to the descriptor; the count written, or -1.
std::int64_t WriteFd(int fd, const char* data, std::size_t n) {
#ifdef _WIN32
  return _write(
      fd, data, static_cast<unsigned>(std::min<std::size_t>(n, 1u << 30)));
#else
  return ::write(fd, data, n);
#endif
}

int TruncateFd(int fd, std::int64_t length) {
#ifdef _WIN32
  return _chsize_s(fd, length);
#else
  return ::ftruncate(fd, static_cast<off_t>(length));
#endif
}

}  // namespace

TextFile::~TextFile() { Close(); }

void TextFile::LetWritesFailAtSizeLimit() {
#ifdef SIGXFSZ
  std::signal(SIGXFSZ, SIG_IGN);
#endif
}

FileCause TextFile::CauseFromErrno(int error) {
  switch (error) {
    case ENOENT:
      return FileCause::kFileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
      return FileCause::kBadPath;
    case EMFILE:
    case ENFILE:
      return FileCause::kTooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
      return FileCause::kAccessDenied;
    case EBADF:
      return FileCause::kInvalidFile;
    case ESPIPE:
    case EOVERFLOW:
      return FileCause::kBadSeek;
    case EIO:
      return FileCause::kHardIO;
    case EBUSY:
    case ETXTBSY:
      return FileCause::kSharingViolation;
    case ENOSPC:
    case EFBIG:  // the file-size limit: no more room, as for the user a full
                 // disk is
#ifdef EDQUOT
    case EDQUOT:
#endif
      return FileCause::kDiskFull;
    default:
      return FileCause::kGeneric;
  }
}

bool TextFile::Exists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

bool TextFile::Open(const std::string& path, Mode mode) {
  Close();
  cause_ = FileCause::kNone;
  const char* how = mode == Mode::kRead     ? "rb"
                    : mode == Mode::kCreate ? "wb"
                                            : "r+b";
  errno = 0;
  file_ = std::fopen(path.c_str(), how);
  if (file_ == nullptr) {
    // Creating a file fails with ENOENT only when a folder of its path is
    // missing.
    Fail(errno == ENOENT && mode == Mode::kCreate ? ENOTDIR : errno);
    return false;
  }
  struct stat st;
  if (::fstat(fileno(file_), &st) == 0 && S_ISDIR(st.st_mode)) {
    std::fclose(file_);
    file_ = nullptr;
    cause_ = FileCause::kAccessDenied;
    return false;
  }
  path_ = path;
  buffer_.resize(kBufferBytes);
  buffer_pos_ = buffer_len_ = 0;
  buffer_offset_ = 0;
  line_number_ = 0;
  return true;
}

void TextFile::Close() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
  buffer_pos_ = buffer_len_ = 0;
  buffer_offset_ = 0;
}

bool TextFile::Refill() {
  buffer_offset_ += static_cast<std::int64_t>(buffer_len_);
  buffer_pos_ = 0;
  buffer_len_ = std::fread(buffer_.data(), 1, buffer_.size(), file_);
  if (buffer_len_ == 0 && std::ferror(file_)) {
    cause_ = FileCause::kHardIO;
    std::clearerr(file_);
  }
  return buffer_len_ > 0;
}

bool TextFile::ReadLine(std::string& line) {
  line.clear();
  if (file_ == nullptr) {
    cause_ = FileCause::kInvalidFile;
    return false;
  }
  const bool first_line = Position() == 0;
  bool got_any = false;
  for (;;) {
    if (buffer_pos_ >= buffer_len_ && !Refill()) {
      if (!got_any) cause_ = FileCause::kEndOfFile;
      break;
    }
    got_any = true;
    const char* start = buffer_.data() + buffer_pos_;
    std::size_t available = buffer_len_ - buffer_pos_;
    const void* nl = std::memchr(start, '\n', available);
    std::size_t take =
        nl ? static_cast<std::size_t>(static_cast<const char*>(nl) - start)
           : available;
    if (line.size() < kMaxLineBytes) {
      line.append(start, std::min(take, kMaxLineBytes - line.size()));
    }
    buffer_pos_ += take;
    if (nl) {
      ++buffer_pos_;
      break;
    }
  }
  if (got_any && line_number_ >= 0) ++line_number_;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  // Editors on some systems start UTF-8 files with a byte-order mark; the
  // first keyword must still begin the first line.
  if (first_line && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
  return got_any;
}

bool TextFile::Write(std::string_view text) {
  if (file_ == nullptr) {
    cause_ = FileCause::kInvalidFile;
    return false;
  }
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  // Straight to the descriptor, past the stream's buffer: a failed write
  // then leaves nothing buffered that closing the file would add later.
  if (std::fflush(file_) != 0) {
    Fail(errno);
    return false;
  }
  const int fd = fileno(file_);
  std::size_t done = 0;
  while (done < out.size()) {
    errno = 0;
    const std::int64_t n = WriteFd(fd, out.data() + done, out.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      Fail(n == 0 ? ENOSPC : errno);
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

bool TextFile::Truncate(std::int64_t length) {
  if (file_ == nullptr) {
    cause_ = FileCause::kInvalidFile;
    return false;
  }
  std::fflush(file_);
  if (TruncateFd(fileno(file_), length) != 0) {
    Fail(errno);
    return false;
  }
  return SeekToEnd();
}

bool TextFile::Seek(std::int64_t position, int line_number) {
  if (file_ == nullptr) {
    cause_ = FileCause::kInvalidFile;
    return false;
  }
  errno = 0;
  if (position < 0 || Fseek(file_, position, SEEK_SET) != 0) {
    cause_ = FileCause::kBadSeek;
    return false;
  }
  buffer_offset_ = position;
  buffer_pos_ = buffer_len_ = 0;
  line_number_ = position == 0 ? 0 : line_number;
  return true;
}

bool TextFile::SeekToEnd() {
  if (file_ == nullptr) {
    cause_ = FileCause::kInvalidFile;
    return false;
  }
  if (Fseek(file_, 0, SEEK_END) != 0) {
    cause_ = FileCause::kBadSeek;
    return false;
  }
  buffer_offset_ = Ftell(file_);
  buffer_pos_ = buffer_len_ = 0;
  line_number_ = -1;
  return true;
}

std::int64_t TextFile::Length() {
  if (file_ == nullptr) {
    cause_ = FileCause::kInvalidFile;
    return -1;
  }
  std::fflush(file_);
  struct stat st;
  if (::fstat(fileno(file_), &st) != 0) {
    Fail(errno);
    return -1;
  }
  return static_cast<std::int64_t>(st.st_size);
}

}  // namespace mtvuk
