// The list of the most recent field-data files that the File menu offers.
#pragma once

#include <string>
#include <vector>

namespace mtvuk {

inline constexpr int kMaxRecentFiles = 4;

// Most recent first, each path once, at most four.
class RecentFiles {
 public:
  RecentFiles() = default;
  // A list as stored; empty paths and repeats are dropped, four are kept.
  explicit RecentFiles(const std::vector<std::string>& stored);

  // A file was opened: it goes to the top.
  void Add(const std::string& path);
  // A file that can no longer be opened leaves the list.
  void Remove(const std::string& path);
  const std::vector<std::string>& paths() const { return paths_; }

  // The text of entry i (from 0) in the File menu: "&1 " and the path,
  // shortened in the middle to "first/.../last two" when it is long.
  static std::string MenuText(int i, const std::string& path);

 private:
  std::vector<std::string> paths_;
};

}  // namespace mtvuk
