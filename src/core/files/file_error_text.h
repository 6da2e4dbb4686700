// The one table of file-error texts used by every file command.
#pragma once

#include <string>

#include "core/platform/text_file.h"

namespace mtvuk {

// Text shown for the cause of a failed file operation; any cause outside
// 1..14 gives "AN UNSPECIFIED ERROR OCCURRED".
const char* FileErrorText(int cause);
inline const char* FileErrorText(FileCause cause) {
  return FileErrorText(static_cast<int>(cause));
}

}  // namespace mtvuk
