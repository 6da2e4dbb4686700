// The one-result-per-sounding files of --out-dir, and the `merge` command
// that gathers them in input order.
#pragma once

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>
#include <string>

#include "core/survey/shard.h"

namespace mtvuk::cli {

// Writes {"command", "index", "total", "file", "mode", "result",
// "int_block"} to DIR/ResultFileName(...), through a temporary file renamed
// into place (a reader never sees half a file). False with a message on
// standard error.
bool WriteResultFile(const std::string& dir,
                     const std::string& command,
                     std::size_t index,
                     std::size_t total,
                     const std::string& file,
                     const std::string& mode,
                     const nlohmann::ordered_json& result,
                     const std::string& int_block);

// Creates the folder when missing. False with a message on standard error.
bool PrepareOutDir(const std::string& command, const std::string& dir);

struct MergeOptions {
  std::string dir;
  std::string int_file;
  bool json = false;
};
CLI::App* AddMergeCommand(CLI::App& app, MergeOptions& options);
int RunMerge(const MergeOptions& options);

}  // namespace mtvuk::cli
