// Writing result and sounding files so that a failure never leaves a torn
// block or a half-written file behind.
#pragma once

#include <string>
#include <string_view>

#include "core/platform/ui.h"

namespace mtvuk {

// Captions of the messages of one file command.
struct FileCaptions {
  const char* create;  // a new file could not be created
  const char* open;    // an existing file could not be opened
  const char* write;   // the text could not be written
};

// Appends `text` at the end of `path`, creating the file when it does not
// exist; an existing file is never truncated. When the text cannot be
// written completely (a full disk, a file-size limit) the file is cut back
// to its old length. False after the message (the file-error text of the
// cause under the matching caption).
bool AppendToFile(const std::string& path,
                  std::string_view text,
                  const FileCaptions& captions,
                  Ui& ui);

// Makes `text` the whole content of `path`. The text is written into a new
// file beside it that then takes its place, so a failed write leaves an
// existing file as it was and creates none. False after the message.
bool ReplaceFileContent(const std::string& path,
                        std::string_view text,
                        const FileCaptions& captions,
                        Ui& ui);

// The chosen folder and file title with `extension` (".trf", ".PLT"),
// whatever extension was typed.
std::string PathWithExtension(const std::string& chosen,
                              std::string_view extension);

// A path given on the command line: `extension` (".int", ".trf") is added to
// a path without one and any letter case of it is taken as given; another
// extension is refused with `error` ("'x.txt' is not <what> file name ...").
bool CommandLinePath(const std::string& given,
                     std::string_view extension,
                     std::string_view what,
                     std::string& path,
                     std::string& error);

}  // namespace mtvuk
