// The readers of result and sounding files take a number only from a field
// that holds one; the writers write only values that fit their fields.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/files/fixed_columns.h"
#include "core/files/fixed_fields.h"
#include "core/files/int_file.h"
#include "core/files/name_text.h"
#include "core/files/trf_file.h"
#include "core/platform/scripted_ui.h"
#include "core/store/store_defaults.h"
#include "util/test_util.h"

namespace mtvuk {
namespace {

// The cases the readers' tests below do not reach.
TEST(StrictFields, AFieldHoldsOneNumber) {
  double v = 0.0;
  int n = 0;
  std::string why;
  EXPECT_TRUE(columns::NumberField("1.5e+03   ", 0, 10, v, why));
  EXPECT_DOUBLE_EQ(v, 1500.0);
  EXPECT_FALSE(columns::NumberField("  1.0 2.0", 0, 9, v, why));
  EXPECT_FALSE(columns::NumberField(std::string("  1.0\0 7", 8), 0, 8, v, why));
  EXPECT_FALSE(columns::IntegerField("/1./", 1, 2, n, why));
}

FieldSet Transformed(const std::string& label, double z) {
  FieldSet set;
  set.in_use = 1;
  set.smoothed = 1;
  set.depth_switch = 1;
  set.label = label;
  set.header = ">HEAD\n";
  set.count = 3;
  set.coordinates = {7525034.5f, 313494.3f, static_cast<float>(z)};
  const float depth[] = {-10.0f, -541908.0f, -1200.0f};
  const float log_res[] = {1.2866f, 5.2767f, 2.0f};
  for (int i = 0; i < 3; ++i) {
    set.depth[i] = depth[i];
    set.log_res[i] = log_res[i];
  }
  return set;
}

// Values that do not fit their ten characters are refused with the station,
// the depth and the value; altitudes of the seafloor are written without
// their decimal and read back.
TEST(StrictFields, TrfWriterRefusesWideValuesAndWritesDeepAltitudes) {
  FieldSet set = Transformed("XY SEA-07", -3000.4);
  EXPECT_EQ(TrfBlockProblem(set), "");
  const std::string block = FormatTrfBlock(set);
  EXPECT_NE(block.find("/ -3000/  3/\n"), std::string::npos) << block;
  EXPECT_EQ(columns::AltitudeField(-999.94), "-999.9");
  EXPECT_EQ(columns::AltitudeField(-99999.0), "-99999");
  EXPECT_EQ(columns::AltitudeField(999999.0), "999999");
  EXPECT_EQ(columns::AltitudeField(-100000.0), "");
  EXPECT_EQ(columns::AltitudeField(1e6), "");

  test::TempFile file(block, ".trf");
  TextFile f;
  ASSERT_TRUE(f.Open(file.path(), TextFile::Mode::kRead));
  std::vector<SectionStation> st;
  ASSERT_EQ(ReadTrfStations(f, &st), 1);
  EXPECT_FLOAT_EQ(st[0].z, -3000.0f);
  EXPECT_FLOAT_EQ(st[0].depth[1], 541.908f);
  EXPECT_NEAR(st[0].depth_resistivity[1],
              std::pow(10.0, static_cast<double>(set.log_res[1])),
              0.02);

  set.log_res[1] = 9.6258f;  // 4.2e9 Ohm-m, fourteen characters
  const std::string wide = TrfBlockProblem(set);
  EXPECT_EQ(wide.substr(0, 56),
            "The resistivity of 'XY SEA-07' at 541.908 km depth is 42")
      << wide;
  EXPECT_NE(wide.find(" Ohm-m, which does not fit the ten characters of its "
                      "column in TRF files"),
            std::string::npos);
  set.log_res[1] = -3.5f;  // writes as 0.000
  EXPECT_NE(TrfBlockProblem(set).find("0.000 Ohm-m"), std::string::npos);
  set = Transformed("XY SEA-07", -100000.0);
  EXPECT_NE(TrfBlockProblem(set).find("-100000.0 m"), std::string::npos);

  // "Save &All" with one set that does not fit writes nothing at all.
  auto stores = test::NewStores();
  stores->sets[0] = Transformed("XY FINE", 10.0);
  stores->sets[1] = Transformed("YX WIDE", 10.0);
  stores->sets[1].log_res[0] = 6.5f;
  test::TempFile out(">HEAD\nkept\n", ".trf");
  ScriptedUi ui;
  TrfSaveLogic logic(stores->workspace, stores->sets, ui);
  EXPECT_FALSE(logic.Save(out.path(), true));
  EXPECT_EQ(test::ReadWholeFile(out.path()), ">HEAD\nkept\n");
  ASSERT_EQ(ui.prompts().size(), 1u);
  EXPECT_NE(ui.prompts()[0].text.find("'YX WIDE' at 0.010 km depth is "
                                      "3162277.660 Ohm-m"),
            std::string::npos);
}

TEST(StrictFields, NamesAreCutWhereACharacterEndsAndShownAsText) {
  // "XY " and "Łódź-Ö1" (Ł, ó, ź and Ö take two bytes each): 15 bytes.
  const std::string name =
      "XY \xC5\x81\xC3\xB3"
      "d\xC5\xBA-\xC3\x96"
      "1";
  EXPECT_EQ(CutName(name, 12),
            "XY \xC5\x81\xC3\xB3"
            "d\xC5\xBA-");
  EXPECT_EQ(CutName(name, 13),
            "XY \xC5\x81\xC3\xB3"
            "d\xC5\xBA-\xC3\x96");
  EXPECT_EQ(columns::NameField(name),
            "XY \xC5\x81\xC3\xB3"
            "d\xC5\xBA-   ");
  EXPECT_EQ(CutName("ABCDEFGHIJKLMN", 12), "ABCDEFGHIJKL");
  EXPECT_EQ(PrintableText("A\xE9"
                          "B\x01"
                          "C\xC3\xA9"),
            "A\xEF\xBF\xBD"
            "B?C\xC3\xA9");
  EXPECT_EQ(PrintableText("\xED\xA0\x80"),
            "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");  // a surrogate

  EXPECT_EQ(columns::SameNameProblem({"XY A1", "YX A1", "XY A2"}), "");
  EXPECT_EQ(columns::SameNameProblem({"XY STATION_0001", "XY STATION_0002"}),
            "Two blocks would be written under the name 'XY STATION_0' ('XY "
            "STATION_0001' and 'XY STATION_0002'):\nresult files keep the "
            "first 12 characters of a name. Give them names that differ "
            "within those.");

  // The save dialog refuses two marked models that would share a name.
  auto stores = test::NewStores();
  SaveModelChoice choice = SaveModelChoice::Load(stores->models);
  choice.marked = {1, 0, 1, 0, 0, 0};
  choice.names[0] = "XY STATION_0001";
  choice.names[2] = "XY STATION_0002";
  ScriptedUi ui;
  EXPECT_FALSE(choice.Apply(stores->models, ui));
  EXPECT_NE(stores->models[0].name, "XY STATION_0001");
  choice.names[2] = "YX STATION_0001";
  EXPECT_TRUE(choice.Apply(stores->models, ui));
}

}  // namespace
}  // namespace mtvuk
