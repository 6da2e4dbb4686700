// Fuzz target of one exchange-format reader (chosen when the target is
// built): any bytes must end in a transfer function or a message naming
// what is missing; what is stored is a sounding within its capacity, with
// positive frequencies and finite values, that the EMTF XML writer writes
// and the reader reads back to the same count.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "core/formats/emtf_xml_writer.h"
#include "core/formats/field_data_import.h"
#include "core/platform/scripted_ui.h"
#include "core/store/workspace.h"

#ifndef MTVUK_FUZZ_FORMAT
#define MTVUK_FUZZ_FORMAT kEmtfXml
#endif

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  static auto sounding = std::make_unique<mtvuk::SoundingBuffer>();
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  // Sniffing any text gives a format or none, never a crash.
  (void)mtvuk::SniffFieldFormat(text);
  mtvuk::TransferFunction tf;
  std::string error;
  if (!mtvuk::ReadTransferFunction(
          mtvuk::FieldFormat::MTVUK_FUZZ_FORMAT, text, tf, error)) {
    if (error.empty()) std::abort();  // a refusal without a reason
    return 0;
  }
  mtvuk::ScriptedUi ui;
  if (!mtvuk::StoreTransferFunction(tf, *sounding, ui, "FUZZ", 0.05)) {
    if (ui.prompts().empty()) std::abort();  // a silent failure
    return 0;
  }
  const mtvuk::SoundingBuffer& sb = *sounding;
  if (sb.nfreq <= 0 || sb.nfreq > mtvuk::MaxFreq) std::abort();
  for (int k = 0; k < sb.nfreq; ++k) {
    if (!(sb.freq[k] > 0.0f)) std::abort();
    for (int i = 1; i < mtvuk::kSoundingArrays; ++i) {
      if (std::isnan(sb.Array(i)[k])) std::abort();
    }
  }
  // Written as EMTF XML and read back: the same number of points.
  const std::string xml =
      mtvuk::FormatEmtfXml(mtvuk::TransferFunctionFromSounding(sb));
  mtvuk::TransferFunction back;
  if (!mtvuk::ReadEmtfXml(xml, back, error)) std::abort();
  if (static_cast<int>(back.points.size()) != sb.nfreq) std::abort();
  return 0;
}
