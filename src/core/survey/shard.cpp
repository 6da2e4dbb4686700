#include "core/survey/shard.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <utility>

namespace mtvuk {
namespace {

bool ParseCount(const std::string& text, long& value) {
  if (text.empty() || text.size() > 9) return false;
  for (char c : text)
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  value = std::strtol(text.c_str(), nullptr, 10);
  return true;
}

}  // namespace

bool ParseShard(const std::string& text, Shard& shard, std::string& error) {
  const std::size_t slash = text.find('/');
  long k = 0, n = 0;
  if (slash == std::string::npos || !ParseCount(text.substr(0, slash), k) ||
      !ParseCount(text.substr(slash + 1), n) || n < 1 || k < 1 || k > n) {
    error = "--shard '" + text +
            "' is not K/N with whole numbers 1 <= K <= N (the K-th of N "
            "parts)";
    return false;
  }
  shard.index = static_cast<int>(k);
  shard.count = static_cast<int>(n);
  return true;
}

ShardRange RangeOfShard(std::size_t inputs, const Shard& shard) {
  const std::size_t n = static_cast<std::size_t>(shard.count);
  const std::size_t k = static_cast<std::size_t>(shard.index) - 1;
  return {inputs * k / n, inputs * (k + 1) / n};
}

std::string ResultFileName(std::size_t index,
                           const std::string& input,
                           const std::string& mode) {
  std::string stem = std::filesystem::path(input).stem().string();
  for (char& c : stem)
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '.')
      c = '_';
  char prefix[32];
  std::snprintf(prefix, sizeof prefix, "%06zu", index);
  return std::string(prefix) + "_" + stem + "_" + mode + ".json";
}

bool ResultFilesInOrder(const std::string& folder,
                        std::vector<std::string>& paths,
                        std::string& error) {
  paths.clear();
  std::error_code ec;
  std::vector<std::pair<unsigned long long, std::string>> found;
  std::filesystem::directory_iterator it(folder, ec);
  if (ec) {
    error = "cannot read the folder '" + folder + "': " + ec.message();
    return false;
  }
  for (const auto& entry : it) {
    const std::string name = entry.path().filename().string();
    std::size_t digits = 0;
    while (digits < name.size() &&
           std::isdigit(static_cast<unsigned char>(name[digits])))
      ++digits;
    if (digits < 6 || digits >= name.size() || name[digits] != '_' ||
        entry.path().extension() != ".json")
      continue;
    found.emplace_back(std::strtoull(name.c_str(), nullptr, 10),
                       entry.path().string());
  }
  std::sort(found.begin(), found.end());
  for (auto& f : found) paths.push_back(std::move(f.second));
  return true;
}

}  // namespace mtvuk
