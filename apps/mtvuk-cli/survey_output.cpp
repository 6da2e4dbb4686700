#include "survey_output.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>
#include <vector>

#include "core/files/int_file.h"
#include "core/platform/console_ui.h"
#include "field_commands.h"
#include "json_output.h"

namespace mtvuk::cli {

bool PrepareOutDir(const std::string& command, const std::string& dir) {
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec || !std::filesystem::is_directory(dir)) {
    std::fprintf(stderr,
                 "mtvuk-cli %s: cannot create the folder '%s'%s%s\n",
                 command.c_str(),
                 dir.c_str(),
                 ec ? ": " : "",
                 ec ? ec.message().c_str() : "");
    return false;
  }
  return true;
}

bool WriteResultFile(const std::string& dir,
                     const std::string& command,
                     std::size_t index,
                     std::size_t total,
                     const std::string& file,
                     const std::string& mode,
                     const nlohmann::ordered_json& result,
                     const std::string& int_block) {
  nlohmann::ordered_json j;
  j["command"] = command;
  j["index"] = index;
  j["total"] = total;
  j["file"] = file;
  j["mode"] = mode;
  j["result"] = result;
  j["int_block"] = int_block;
  const std::filesystem::path path =
      std::filesystem::path(dir) / ResultFileName(index, file, mode);
  const std::filesystem::path part = path.string() + ".part";
  {
    std::ofstream out(part, std::ios::binary | std::ios::trunc);
    out << JsonText(j) << "\n";
    if (!out) {
      std::fprintf(stderr,
                   "mtvuk-cli %s: cannot write '%s'\n",
                   command.c_str(),
                   part.string().c_str());
      return false;
    }
  }
  std::error_code ec;
  std::filesystem::rename(part, path, ec);
  if (ec) {
    std::fprintf(stderr,
                 "mtvuk-cli %s: cannot rename '%s': %s\n",
                 command.c_str(),
                 part.string().c_str(),
                 ec.message().c_str());
    return false;
  }
  return true;
}

CLI::App* AddMergeCommand(CLI::App& app, MergeOptions& o) {
  CLI::App* merge = app.add_subcommand(
      "merge",
      "Gather the result files of --out-dir runs (bayes, invert) in input "
      "order");
  merge->add_option("DIR", o.dir, "Folder of the result files")->required();
  merge->add_option(
      "--int", o.int_file, "Write the results' model blocks to this INT file");
  merge->add_flag("--json", o.json, "Print the results as one JSON array");
  return merge;
}

int RunMerge(const MergeOptions& o) {
  std::vector<std::string> paths;
  std::string error;
  if (!ResultFilesInOrder(o.dir, paths, error)) {
    std::fprintf(stderr, "mtvuk-cli merge: %s\n", error.c_str());
    return kExitFailure;
  }
  std::string int_path;
  if (!o.int_file.empty() && !CommandLineIntPath(o.int_file, int_path, error)) {
    std::fprintf(stderr, "mtvuk-cli merge: %s\n", error.c_str());
    return kExitUsage;
  }
  if (paths.empty()) {
    std::fprintf(
        stderr, "mtvuk-cli merge: '%s' holds no result files\n", o.dir.c_str());
    return kExitFailure;
  }
  // Every file read first: a merge with a file missing or unreadable
  // writes nothing.
  std::vector<nlohmann::ordered_json> results;
  std::size_t total = 0;
  std::string command;
  for (const std::string& p : paths) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    nlohmann::ordered_json j = nlohmann::ordered_json::parse(
        text.str(), nullptr, /*allow_exceptions=*/false);
    if (j.is_discarded() || !j.is_object() || !j.contains("index") ||
        !j["index"].is_number_unsigned() || !j.contains("total") ||
        !j["total"].is_number_unsigned() || !j.contains("command")) {
      std::fprintf(
          stderr, "mtvuk-cli merge: '%s' is not a result file\n", p.c_str());
      return kExitFailure;
    }
    const std::size_t t = j["total"].get<std::size_t>();
    const std::string c =
        j["command"].is_string() ? j["command"].get<std::string>() : "";
    if (results.empty()) {
      total = t;
      command = c;
    } else if (t != total || c != command) {
      std::fprintf(stderr,
                   "mtvuk-cli merge: '%s' belongs to another run (%s of %zu "
                   "inputs, not %s of %zu)\n",
                   p.c_str(),
                   c.c_str(),
                   t,
                   command.c_str(),
                   total);
      return kExitFailure;
    }
    const std::size_t index = j["index"].get<std::size_t>();
    if (index != results.size()) {
      std::fprintf(stderr,
                   "mtvuk-cli merge: result %zu of %zu is missing (the next "
                   "file is '%s'): is a part of the survey not finished?\n",
                   results.size() + 1,
                   total,
                   p.c_str());
      return kExitFailure;
    }
    results.push_back(std::move(j));
  }
  if (results.size() != total) {
    std::fprintf(stderr,
                 "mtvuk-cli merge: %zu of %zu results found: is a part of "
                 "the survey not finished?\n",
                 results.size(),
                 total);
    return kExitFailure;
  }
  if (!int_path.empty()) {
    std::string blocks;
    for (const auto& j : results)
      if (j.contains("int_block") && j["int_block"].is_string())
        blocks += j["int_block"].get<std::string>();
    ConsoleUi ui;
    if (!blocks.empty() && !AppendToIntFile(int_path, blocks, ui))
      return kExitFailure;
  }
  if (o.json) {
    nlohmann::ordered_json array = nlohmann::ordered_json::array();
    for (auto& j : results) array.push_back(j["result"]);
    std::printf("%s\n", JsonText(array).c_str());
  }
  int failed = 0;
  for (const auto& j : results)
    if (j["result"].is_object() && j["result"].value("failed", false)) ++failed;
  std::fprintf(stderr,
               "merge: %zu %s results%s%s, %d failed\n",
               total,
               command.c_str(),
               int_path.empty() ? "" : ", model blocks appended to ",
               int_path.c_str(),
               failed);
  return failed > 0 ? kExitFailure : kExitOk;
}

}  // namespace mtvuk::cli
