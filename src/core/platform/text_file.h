// Buffered text file shared by the readers and writers of the system.
//
// Lines end with LF or CR LF on reading; a written "\n" becomes CR LF on disk,
// so result files look the same whichever system wrote them. A failed
// operation leaves a cause code that FileErrorText turns into its text.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace mtvuk {

// Causes of a failed file operation, numbered as the file-error texts.
enum class FileCause : int {
  kNone = 0,
  kGeneric = 1,
  kFileNotFound = 2,
  kBadPath = 3,
  kTooManyOpenFiles = 4,
  kAccessDenied = 5,
  kInvalidFile = 6,
  kRemoveCurrentDir = 7,
  kDirectoryFull = 8,
  kBadSeek = 9,
  kHardIO = 10,
  kSharingViolation = 11,
  kLockViolation = 12,
  kDiskFull = 13,
  kEndOfFile = 14,
};

class TextFile {
 public:
  enum class Mode {
    kRead,       // existing file, read only
    kCreate,     // create or truncate, write
    kReadWrite,  // existing file, read and write, never truncated
  };

  // Longer lines are cut to this many bytes; the rest of the line is skipped.
  static constexpr std::size_t kMaxLineBytes = 4u << 20;

  // A file-size limit (ulimit -f) would end the program in the middle of a
  // write; with this called once at start the write fails instead, reports
  // "The disk is full", and the writers cut the file back.
  static void LetWritesFailAtSizeLimit();

  TextFile() = default;
  ~TextFile();
  TextFile(const TextFile&) = delete;
  TextFile& operator=(const TextFile&) = delete;

  bool Open(const std::string& path, Mode mode);
  void Close();
  bool is_open() const { return file_ != nullptr; }
  const std::string& path() const { return path_; }

  // Reads the next line without its end (and the first line without a UTF-8
  // byte-order mark). False at the end of the file.
  bool ReadLine(std::string& line);
  // Writes text in one piece at the current position; every "\n" is written
  // as CR LF.
  bool Write(std::string_view text);
  // Cuts the file to `length` bytes and moves to its end.
  bool Truncate(std::int64_t length);
  bool Rewind() { return Seek(0); }
  // Moves to `position`; `line_number` is the number of the line before it
  // when the caller knows it (a position it saw), else the count is lost.
  bool Seek(std::int64_t position, int line_number = -1);
  bool SeekToEnd();
  // The number of the line ReadLine gave last, counted from 1 at the start
  // of the file (0 before the first); -1 after a seek elsewhere than to the
  // start, where the count is lost.
  int LineNumber() const { return line_number_; }
  // Byte position at which the next line starts.
  std::int64_t Position() const { return buffer_offset_ + buffer_pos_; }
  // Length of the file in bytes, or -1 on failure.
  std::int64_t Length();

  FileCause cause() const { return cause_; }

  static bool Exists(const std::string& path);
  static FileCause CauseFromErrno(int error);

 private:
  bool Refill();
  void Fail(int error) { cause_ = CauseFromErrno(error); }

  std::FILE* file_ = nullptr;
  std::string path_;
  std::vector<char> buffer_;
  std::size_t buffer_pos_ = 0;
  std::size_t buffer_len_ = 0;
  std::int64_t buffer_offset_ = 0;  // file offset of buffer_[0]
  int line_number_ = 0;
  FileCause cause_ = FileCause::kNone;
};

}  // namespace mtvuk
