#include "section_command.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "core/platform/console_ui.h"
#include "core/section/section_options.h"
#include "field_commands.h"

namespace mtvuk::cli {
namespace {

namespace fs = std::filesystem;

fs::path ToolDirectory(const std::string& self) {
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (!ec && !exe.empty()) return exe.parent_path();
  return fs::absolute(fs::path(self), ec).parent_path();
}

}  // namespace

std::vector<std::string> WorkstationCandidates(const std::string& self) {
  std::vector<std::string> out;
  if (const char* env = std::getenv("MTVUK_GUI"); env != nullptr && *env) {
    out.push_back(env);
    return out;  // the user's choice alone
  }
  const fs::path dir = ToolDirectory(self);
  out.push_back((dir / "mtvuk").string());
  out.push_back((dir / ".." / "mtvuk" / "mtvuk").lexically_normal().string());
  return out;
}

bool Executable(const std::string& path) {
  return !path.empty() && access(path.c_str(), X_OK) == 0 &&
         !fs::is_directory(path);
}

int RunWorkstation(const std::string& gui,
                   const std::vector<std::string>& args) {
  std::fflush(stdout);
  std::fflush(stderr);
  const pid_t pid = fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(gui.c_str()));
    for (const std::string& a : args)
      argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(gui.c_str(), argv.data());
    std::fprintf(stderr,
                 "mtvuk-cli: cannot start %s: %s\n",
                 gui.c_str(),
                 std::strerror(errno));
    _exit(127);
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  std::fprintf(stderr,
               "mtvuk-cli: %s ended by signal %d\n",
               gui.c_str(),
               WTERMSIG(status));
  return kExitFailure;
}

int RunSection(const std::vector<std::string>& args, const std::string& self) {
  SectionPictureOptions options;
  std::string error;
  if (!ParseSectionArguments(args, options, error)) {
    std::fprintf(stderr, "mtvuk-cli section: %s\n", error.c_str());
    return kExitUsage;
  }
  // The file and the profile are checked here, so that a bad one is told
  // in this tool's words and never starts the workstation.
  ConsoleUi ui;
  std::vector<SectionStation> stations;
  ResultFileKind kind = ResultFileKind::kNone;
  if (!PlaceSectionStations(options, ui, stations, kind, error)) {
    if (!error.empty())
      std::fprintf(stderr, "mtvuk-cli section: %s\n", error.c_str());
    return kExitFailure;
  }
  std::string gui;
  const std::vector<std::string> candidates = WorkstationCandidates(self);
  for (const std::string& c : candidates) {
    if (Executable(c)) {
      gui = c;
      break;
    }
  }
  if (gui.empty()) {
    std::string tried;
    for (const std::string& c : candidates) tried += "\n  " + c;
    std::fprintf(stderr,
                 "mtvuk-cli section: the pictures are drawn by the "
                 "workstation binary mtvuk, which was not found (set "
                 "MTVUK_GUI to its path). Looked for:%s\n",
                 tried.c_str());
    return kExitFailure;
  }
  std::vector<std::string> gui_args = {"--export-section"};
  for (const std::string& a : SectionArguments(options)) gui_args.push_back(a);
  const int status = RunWorkstation(gui, gui_args);
  if (status < 0) {
    std::fprintf(stderr, "mtvuk-cli section: cannot start %s\n", gui.c_str());
    return kExitFailure;
  }
  return status == 0 ? kExitOk : kExitFailure;
}

}  // namespace mtvuk::cli
