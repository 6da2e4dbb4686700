#include "core/files/fixed_fields.h"

#include <cctype>
#include <climits>
#include <cstdio>

#include "core/platform/c_number.h"

namespace mtvuk::columns {
namespace {

std::string ColumnsText(std::size_t at, std::size_t width) {
  return width == 1 ? "column " + std::to_string(at + 1)
                    : "columns " + std::to_string(at + 1) + "-" +
                          std::to_string(at + width);
}

// The field's text shown in a message: printable, at most 40 characters.
std::string Shown(const std::string& text) {
  std::string out;
  for (char c : text.substr(0, 40)) {
    const auto u = static_cast<unsigned char>(c);
    out += u < 0x20 || u == 0x7f ? '?' : c;
  }
  return out;
}

// The field without the blanks around it; false when the field is not all
// there (the line ends inside it) or is blank.
bool FieldText(const std::string& line,
               std::size_t at,
               std::size_t width,
               std::string& text,
               std::string& problem) {
  if (line.size() < at + width) {
    problem = "the line ends at column " + std::to_string(line.size()) +
              ", inside or before " + ColumnsText(at, width);
    return false;
  }
  const std::string field = line.substr(at, width);
  const std::size_t first = field.find_first_not_of(' ');
  if (first == std::string::npos) {
    problem = ColumnsText(at, width) + " are blank";
    return false;
  }
  const std::size_t last = field.find_last_not_of(' ');
  text = field.substr(first, last - first + 1);
  return true;
}

}  // namespace

bool NumberField(const std::string& line,
                 std::size_t at,
                 std::size_t width,
                 double& value,
                 std::string& problem) {
  std::string text;
  if (!FieldText(line, at, width, text, problem)) return false;
  // strtod would also skip tabs and line breaks, and stop at a NUL.
  bool plain = true;
  for (char c : text) {
    plain = plain && std::isgraph(static_cast<unsigned char>(c));
  }
  if (plain && ParseNumber(text, value)) return true;
  problem = ColumnsText(at, width) + " ('" + Shown(line.substr(at, width)) +
            "') hold no single number";
  return false;
}

bool IntegerField(const std::string& line,
                  std::size_t at,
                  std::size_t width,
                  int& value,
                  std::string& problem) {
  std::string text;
  if (!FieldText(line, at, width, text, problem)) return false;
  std::size_t digits = text[0] == '-' || text[0] == '+' ? 1 : 0;
  bool ok = digits < text.size() && text.size() < 10;
  for (std::size_t i = digits; ok && i < text.size(); ++i)
    ok = std::isdigit(static_cast<unsigned char>(text[i])) != 0;
  if (ok) {
    value = AtoI(text);
    return true;
  }
  problem = ColumnsText(at, width) + " ('" + Shown(line.substr(at, width)) +
            "') hold no whole number";
  return false;
}

bool BlankFrom(const std::string& line, std::size_t at, std::string& problem) {
  if (line.size() <= at) return true;
  const std::size_t other = line.find_first_not_of(' ', at);
  if (other == std::string::npos) return true;
  problem = "the values run past column " + std::to_string(at) + " ('" +
            Shown(line.substr(other, 40)) + "' from column " +
            std::to_string(other + 1) + "): a value is wider than its column";
  return false;
}

std::string WhereInFile(const std::string& path,
                        int line,
                        const std::string& problem) {
  if (line <= 0) return path + ": " + problem;
  return path + ", line " + std::to_string(line) + ": " + problem;
}

bool Separators(const std::string& line,
                std::initializer_list<std::size_t> at,
                std::string& problem) {
  for (std::size_t c : at) {
    if (c < line.size() && line[c] == '/') continue;
    problem = ColumnsText(c, 1) +
              (c < line.size() ? " ('" + Shown(line.substr(c, 1)) + "')"
                               : std::string(" (after the end of the line)")) +
              " is not the \"/\" between two fields";
    return false;
  }
  return true;
}

}  // namespace mtvuk::columns
