// Helpers shared by the tests.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/store/workspace.h"

namespace mtvuk::test {

// Path of a real field-data file (read-only folder beside the project).
std::string RealDataPath(const std::string& name);
// Path of a file of the bundled examples.
std::string ExamplePath(const std::string& name);

// A temporary file with the given content, removed with the object.
class TempFile {
 public:
  explicit TempFile(const std::string& content,
                    const std::string& suffix = ".edi");
  ~TempFile();
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

std::string ReadWholeFile(const std::string& path);
// The lines of a text without their ends (LF or CR LF).
std::vector<std::string> Lines(const std::string& text);

// Fresh stores with the start defaults of a session.
std::unique_ptr<Stores> NewStores();

// Loads the sounding of the workspace into a slot, as the sounding list does.
void LoadSet(Stores& stores, int slot, CurveMode mode);

// Runs `write` in a child process whose files cannot grow beyond `limit`
// bytes (SIGXFSZ ignored); true when `write` returned true there.
bool UnderFileSizeLimit(std::size_t limit, const std::function<bool()>& write);

// Names of the real field files whose name ends in `suffix`, sorted.
std::vector<std::string> RealFileNames(const std::string& suffix);

// Element-wise comparison with an absolute tolerance.
void ExpectArraysNear(const float* actual,
                      const float* expected,
                      int count,
                      double tolerance);

}  // namespace mtvuk::test
