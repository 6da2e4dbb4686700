// A survey split over machines: the K-th of N equal parts of a list of
// inputs, and the names of the one-result-per-sounding files the parts
// write into a shared folder, which a merge gathers again in input order.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace mtvuk {

struct Shard {
  int index = 1;  // K, 1..count
  int count = 1;  // N
};

// "K/N" with 1 <= K <= N; false with the reason in `error`.
bool ParseShard(const std::string& text, Shard& shard, std::string& error);

// The inputs [first, last) of the shard: contiguous parts of the input list
// whose sizes differ by at most one. Together the N parts are the list.
struct ShardRange {
  std::size_t first = 0;
  std::size_t last = 0;
};
ShardRange RangeOfShard(std::size_t inputs, const Shard& shard);

// "000012_ET001_xy.json": the input's position in the whole list (six
// digits or more, so that names sort in input order), its file name
// without folder and extension, and the polarisation.
std::string ResultFileName(std::size_t index,
                           const std::string& input,
                           const std::string& mode);

// The result files of a folder in input order (by their leading position).
// False with the reason when the folder cannot be read.
bool ResultFilesInOrder(const std::string& folder,
                        std::vector<std::string>& paths,
                        std::string& error);

}  // namespace mtvuk
