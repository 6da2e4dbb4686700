#include "core/platform/c_number.h"

#include <cerrno>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#include <locale.h>
#else
#include <locale.h>
#if defined(__APPLE__)
#include <xlocale.h>
#endif
#endif

namespace mtvuk {
namespace {

#ifdef _WIN32
_locale_t CLocale() {
  static _locale_t loc = _create_locale(LC_NUMERIC, "C");
  return loc;
}
double StrToD(const char* s, char** end) {
  return _strtod_l(s, end, CLocale());
}
long StrToL(const char* s, char** end) {
  return _strtol_l(s, end, 10, CLocale());
}
#else
locale_t CLocale() {
  static locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  return loc;
}
double StrToD(const char* s, char** end) { return strtod_l(s, end, CLocale()); }
long StrToL(const char* s, char** end) {
  return strtol_l(s, end, 10, CLocale());
}
#endif

// The text as a NUL-terminated string, ending at its first NUL as a C string
// would. Short texts (every number field) stay on the stack.
class CText {
 public:
  explicit CText(std::string_view text) {
    text = text.substr(0, text.find('\0'));
    if (text.size() < sizeof small_) {
      text.copy(small_, text.size());
      small_[text.size()] = '\0';
    } else {
      large_.assign(text);
    }
  }
  const char* c_str() const { return large_.empty() ? small_ : large_.c_str(); }

 private:
  char small_[64];
  std::string large_;
};

}  // namespace

double AtoF(std::string_view text) {
  return StrToD(CText(text).c_str(), nullptr);
}

bool ParseNumber(std::string_view token, double& value) {
  if (token.empty()) return false;
  CText text(token);
  char* end = nullptr;
  value = StrToD(text.c_str(), &end);
  return end != text.c_str() && *end == '\0';
}

int AtoI(std::string_view text) {
  long v = StrToL(CText(text).c_str(), nullptr);
  if (v > INT_MAX) return INT_MAX;
  if (v < INT_MIN) return INT_MIN;
  return static_cast<int>(v);
}

float ToF32(double value) {
  if (std::isnan(value)) return static_cast<float>(value);
  if (value > static_cast<double>(FLT_MAX)) return HUGE_VALF;
  if (value < -static_cast<double>(FLT_MAX)) return -HUGE_VALF;
  return static_cast<float>(value);
}

}  // namespace mtvuk
