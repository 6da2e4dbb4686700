#include "core/files/file_error_text.h"

namespace mtvuk {

const char* FileErrorText(int cause) {
  static const char* const kTexts[] = {
      "An unspecified error occurred",
      "The file could not be located",
      "All or part of the path is invalid",
      "The permitted number of open files was exceeded",
      "The file could not be accessed",
      "There was an attempt to use an invalid file handle",
      "The current working directory cannot be removed",
      "There are no more directory entries",
      "There was an error trying to set the file pointer",
      "There was a hardware error",
      "SHARE.EXE was not loaded, or a shared region was locked",
      "There was an attempt to lock a region that was already locked",
      "The disk is full",
      "The end of file was reached",
  };
  if (cause >= 1 && cause <= 14) return kTexts[cause - 1];
  return "AN UNSPECIFIED ERROR OCCURRED";
}

}  // namespace mtvuk
