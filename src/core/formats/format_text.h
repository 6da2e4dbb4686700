// Small text helpers shared by the readers of the exchange formats.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace mtvuk::format_text {

// The lines of a text, without their line ends ("\n", "\r\n" or "\r").
std::vector<std::string_view> Lines(std::string_view text);
std::string_view Trim(std::string_view s);
std::string Upper(std::string_view s);
bool StartsWithNoCase(std::string_view s, std::string_view prefix);
// Every whole number of a line; blanks, tabs and commas separate them. Text
// that is not a number is passed over and counted in `others`.
std::vector<double> Numbers(std::string_view line, int* others = nullptr);
// The file name without folder and extension.
std::string FileStem(const std::string& path);

}  // namespace mtvuk::format_text
