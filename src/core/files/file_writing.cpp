#include "core/files/file_writing.h"

#include <algorithm>
#include <cctype>
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
  // The text goes in one write; when it fails part-way (a full disk, a
  // file-size limit) the file is cut back to its old length, so no torn
  // block is left for the readers.
  const std::int64_t old_length = file.Length();
  if (old_length >= 0 && file.SeekToEnd() && file.Write(text)) return true;
  const FileCause cause = file.cause();
  const bool restored = old_length >= 0 && file.Truncate(old_length);
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

bool CommandLinePath(const std::string& given,
                     std::string_view extension,
                     std::string_view what,
                     std::string& path,
                     std::string& error) {
  const std::string stem = PathWithExtension(given, "");
  if (stem.size() == given.size()) {  // no extension
    path = given + std::string(extension);
    return true;
  }
  std::string typed = given.substr(stem.size());
  std::transform(typed.begin(), typed.end(), typed.begin(), [](unsigned char c) {
    return static_cast<char>(std::tolower(c));
  });
  if (typed != extension) {
    error = "'" + given + "' is not " + std::string(what) +
            " file name: give a name ending in " + std::string(extension) +
            " (or none)";
    return false;
  }
  path = given;
  return true;
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
