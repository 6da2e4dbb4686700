#include "core/files/recent_files.h"

#include <algorithm>

namespace mtvuk {
namespace {

// Paths longer than this are shortened in the menu.
constexpr std::size_t kMenuPathLength = 48;

}  // namespace

RecentFiles::RecentFiles(const std::vector<std::string>& stored) {
  for (auto it = stored.rbegin(); it != stored.rend(); ++it) Add(*it);
}

void RecentFiles::Add(const std::string& path) {
  if (path.empty()) return;
  Remove(path);
  paths_.insert(paths_.begin(), path);
  if (paths_.size() > static_cast<std::size_t>(kMaxRecentFiles))
    paths_.resize(kMaxRecentFiles);
}

void RecentFiles::Remove(const std::string& path) { std::erase(paths_, path); }

std::string RecentFiles::MenuText(int i, const std::string& path) {
  std::string shown = path;
  if (shown.size() > kMenuPathLength) {
    // The folder the path starts in and the file with its folder: what
    // tells two surveys apart.
    const std::size_t last = shown.rfind('/');
    const std::size_t parent = last == std::string::npos || last == 0
                                   ? std::string::npos
                                   : shown.rfind('/', last - 1);
    const std::size_t first = shown.find('/', 1);
    if (parent != std::string::npos && first != std::string::npos &&
        first < parent) {
      shown = shown.substr(0, first + 1) + "..." + shown.substr(parent);
    }
  }
  // An ampersand in a path must show as itself, not mark a key.
  std::string text = "&" + std::to_string(i + 1) + " ";
  for (char c : shown) {
    if (c == '&') text += '&';
    text += c;
  }
  return text;
}

}  // namespace mtvuk
