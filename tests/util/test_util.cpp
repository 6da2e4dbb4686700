#include "util/test_util.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/fielddata/field_curve.h"
#include "core/store/store_defaults.h"

namespace mtvuk::test {

std::string RealDataPath(const std::string& name) {
  return std::string(MTVUK_REAL_DATA_DIR) + "/" + name;
}

std::string ExamplePath(const std::string& name) {
  return std::string(MTVUK_EXAMPLES_DIR) + "/" + name;
}

TempFile::TempFile(const std::string& content, const std::string& suffix) {
  std::string pattern = testing::TempDir() + "mtvuk_XXXXXX" + suffix;
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  int fd = mkstemps(name.data(), static_cast<int>(suffix.size()));
  if (fd < 0) {
    ADD_FAILURE() << "cannot create a temporary file";
    return;
  }
  ::close(fd);
  path_ = name.data();
  std::ofstream(path_, std::ios::binary) << content;
}

TempFile::~TempFile() {
  if (!path_.empty()) std::remove(path_.c_str());
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::unique_ptr<Stores> NewStores() {
  auto stores = std::make_unique<Stores>();
  ApplyStartDefaults(stores->workspace, stores->sets, stores->models);
  return stores;
}

void LoadSet(Stores& stores, int slot, CurveMode mode) {
  LoadFieldSet(slot, mode, stores.workspace, stores.sets, stores.models);
}

bool UnderFileSizeLimit(std::size_t limit, const std::function<bool()>& write) {
  const pid_t child = fork();
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit r{limit, limit};
    setrlimit(RLIMIT_FSIZE, &r);
    _exit(write() ? 0 : 1);
  }
  int status = 0;
  return child > 0 && waitpid(child, &status, 0) == child &&
         WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::vector<std::string> RealFileNames(const std::string& suffix) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(RealDataPath(""))) {
    const std::string name = e.path().filename().string();
    if (name.size() >= suffix.size() &&
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
      names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

void ExpectArraysNear(const float* actual,
                      const float* expected,
                      int count,
                      double tolerance) {
  for (int i = 0; i < count; ++i) {
    EXPECT_NEAR(actual[i], expected[i], tolerance) << "at index " << i;
  }
}

}  // namespace mtvuk::test
