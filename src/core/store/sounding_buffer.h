// The sounding last read from a field-data file, overwritten by each read.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/store/capacities.h"

namespace mtvuk {

inline constexpr int kListingLines = 400;
inline constexpr int kSoundingArrays = 13;
// The file keywords of the thirteen data arrays, in array order.
inline constexpr const char* kSoundingKeywords[kSoundingArrays] = {
    ">FREQ",
    ">ZXXR",
    ">ZXXI",
    ">ZXYR",
    ">ZXYI",
    ">ZYXR",
    ">ZYXI",
    ">ZYYR",
    ">ZYYI",
    ">RHOXY.ERR",
    ">RHOYX.ERR",
    ">PHSXY.ERR",
    ">PHSYX.ERR"};

struct SoundingBuffer {
  std::string station;  // up to 12 characters from the DATAID line
  std::int32_t nfreq = 0;
  // The thirteen data arrays, in the order of the file keywords >FREQ,
  // >ZXXR ... >ZYYI, >RHOXY.ERR, >RHOYX.ERR, >PHSXY.ERR, >PHSYX.ERR.
  // Impedances in mV/km per nT, resistivity errors in Ohm-m, phase errors in
  // degrees.
  PointArray freq{};
  PointArray zxxr{}, zxxi{}, zxyr{}, zxyi{}, zyxr{}, zyxi{}, zyyr{}, zyyi{};
  PointArray rhoxy_err{}, rhoyx_err{}, phsxy_err{}, phsyx_err{};
  PointFlags missing{};  // 1 where the file marks a point as empty
  std::string header;    // ">HEAD\n" and the head lines, each ended by "\n"
  std::array<std::string, kListingLines> listing;
  std::int32_t listing_count = 0;  // lines of the listing in use
  std::string lat = "00:00:00";
  std::string lon = "000:00:00";
  std::string elev = "0000";

  // Data array number i (0..12) in keyword order.
  PointArray& Array(int i);
  const PointArray& Array(int i) const;
};

}  // namespace mtvuk
