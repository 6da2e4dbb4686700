// mtvuk-cli section: the picture of a profile section. The picture is
// drawn by the workstation binary (this tool has no windowing library),
// run offscreen with the checked arguments.
#pragma once

#include <string>
#include <vector>

namespace mtvuk::cli {

// `args`: everything after "section". `self` is how this tool was started
// (argv[0]), to find the workstation beside it.
int RunSection(const std::vector<std::string>& args, const std::string& self);

// Where the workstation binary is looked for, in order: $MTVUK_GUI, then
// "mtvuk" beside this tool (installed side by side), then ../mtvuk/mtvuk
// (the build tree).
std::vector<std::string> WorkstationCandidates(const std::string& self);

bool Executable(const std::string& path);

// Runs the workstation with its batch platform; its status, or -1 when it
// could not be started.
int RunWorkstation(const std::string& gui,
                   const std::vector<std::string>& args);

}  // namespace mtvuk::cli
