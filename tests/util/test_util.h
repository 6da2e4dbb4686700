// Helpers shared by the tests.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

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

// Fresh stores with the start defaults of a session.
std::unique_ptr<Stores> NewStores();

// Element-wise comparison with an absolute tolerance.
void ExpectArraysNear(const float* actual,
                      const float* expected,
                      int count,
                      double tolerance);

}  // namespace mtvuk::test
