// What the workspace keeps of the profile sections: the stack of five slots
// and the colour block of each slot.
#pragma once

#include <array>
#include <cstdint>

namespace mtvuk {

inline constexpr int kSectionSlots = 5;
// Entries of a colour block: 219 ramp indices and the palette number.
inline constexpr int kColourBlockSize = 220;
inline constexpr int kColourListSize = 219;
inline constexpr int kPaletteByte = 219;

// One slot of the section stack.
struct SectionEntry {
  std::int32_t slot = 0;     // the slot index, 0..4
  std::int32_t number = -1;  // the section's number; below 0 while free
  std::int32_t state = -1;   // -1 while its window is shown, 1 hidden
};

struct SectionStack {
  std::array<SectionEntry, kSectionSlots> entries{{{0, -1, -1},
                                                   {1, -1, -1},
                                                   {2, -1, -1},
                                                   {3, -1, -1},
                                                   {4, -1, -1}}};
  // Each new section takes counter + 1 as its number, so numbers are never
  // used twice in a session.
  std::int32_t counter = 0;
  // The slot of each "Section %d" item of the menu, in menu order; -1 past
  // the items.
  std::array<std::int32_t, kSectionSlots> menu_slots{{-1, -1, -1, -1, -1}};
  bool map_open = false;
  bool content_open = false;
};

// The colours of one section: the ramp indices its scale uses, from the low
// end of its values upward, and its palette (0..3).
struct SectionColourBlock {
  std::array<std::uint8_t, kColourBlockSize> bytes{};
  // Number of ramp indices in the list.
  std::int32_t count = 0;

  std::uint8_t palette() const { return bytes[kPaletteByte]; }
};

}  // namespace mtvuk
