#include "core/files/file_writing.h"

#include <filesystem>
#include <system_error>

#include "core/files/file_error_text.h"
#include "core/platform/text_file.h"

namespace mtvuk {
namespace {

namespace fs = std::filesystem;

void ShowFailure(FileCause cause,
                 const std::string& note,
                 const char* caption,
                 Ui& ui) {
  std::string text = FileErrorText(cause);
  if (!note.empty()) text += "\n" + note;
  ui.Show(text, caption, Icon::kStop);
}

// A name beside `path` that no file has yet.
std::string FreeNameBeside(const std::string& path) {
  for (int i = 0;; ++i) {
    const std::string candidate = path + ".part" + std::to_string(i);
    std::error_code error;
    if (!fs::exists(fs::symlink_status(candidate, error))) return candidate;
  }
}

}  // namespace

bool AppendToFile(const std::string& path,
                  std::string_view text,
                  const FileCaptions& captions,
                  Ui& ui) {
  TextFile file;
  if (!TextFile::Exists(path)) {
    if (!file.Open(path, TextFile::Mode::kCreate)) {
      ShowFailure(file.cause(), "", captions.create, ui);
      return false;
    }
  } else if (!file.Open(path, TextFile::Mode::kReadWrite)) {
    ShowFailure(file.cause(), "", captions.open, ui);
    return false;
  }
  const std::int64_t old_length = file.Length();
  if (old_length >= 0 && file.SeekToEnd() && file.Write(text)) return true;
  const FileCause cause = file.cause();
  file.Close();
  // Whatever part of the text reached the file goes again; special files
  // (a terminal, /dev/full) have no length to go back to.
  std::error_code error;
  bool restored = old_length >= 0;
  if (restored && fs::is_regular_file(path, error)) {
    fs::resize_file(path, static_cast<std::uintmax_t>(old_length), error);
    restored = !error;
  }
  ShowFailure(cause,
              restored ? "Nothing was added to " + path + "."
                       : "The end of " + path + " may hold a torn block.",
              captions.write,
              ui);
  return false;
}

bool ReplaceFileContent(const std::string& path,
                        std::string_view text,
                        const FileCaptions& captions,
                        Ui& ui) {
  std::error_code error;
  const bool exists = TextFile::Exists(path);
  if (exists) {
    // The file must be one this user may write, as if it were opened.
    TextFile probe;
    if (!probe.Open(path, TextFile::Mode::kReadWrite)) {
      ShowFailure(probe.cause(), "", captions.open, ui);
      return false;
    }
    // A device or a pipe cannot be replaced: it gets the text itself.
    if (!fs::is_regular_file(path, error)) {
      if (probe.Write(text)) return true;
      ShowFailure(probe.cause(), "", captions.write, ui);
      return false;
    }
  }
  const std::string part = FreeNameBeside(path);
  TextFile file;
  if (!file.Open(part, TextFile::Mode::kCreate)) {
    ShowFailure(file.cause(), "", exists ? captions.open : captions.create, ui);
    return false;
  }
  const bool written = file.Write(text);
  const FileCause cause = file.cause();
  file.Close();
  if (written) {
    if (exists) {
      fs::permissions(part, fs::status(path, error).permissions(), error);
    }
    fs::rename(part, path, error);
    if (!error) return true;
  }
  fs::remove(part, error);
  ShowFailure(written ? TextFile::CauseFromErrno(error.value()) : cause,
              exists ? path + " was left as it was."
                     : path + " was not written.",
              captions.write,
              ui);
  return false;
}

std::string PathWithExtension(const std::string& chosen,
                              std::string_view extension) {
  const std::size_t slash = chosen.find_last_of("/\\");
  const std::size_t dot = chosen.rfind('.');
  const bool has_extension =
      dot != std::string::npos && (slash == std::string::npos || dot > slash);
  return (has_extension ? chosen.substr(0, dot) : chosen) +
         std::string(extension);
}

}  // namespace mtvuk
