#include "core/fielddata/number_line.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace mtvuk {
namespace {

std::vector<float> Numbers(const std::string& line, int capacity = 100) {
  std::vector<float> out(static_cast<std::size_t>(capacity));
  int n = ReadNumbersOnLine(line, out.data(), capacity);
  out.resize(static_cast<std::size_t>(std::min(n, capacity)));
  return out;
}

TEST(NumbersOnLine, FixedWidthColumnsAreReadOneByOne) {
  EXPECT_EQ(Numbers("   1.000e+03   2.500e-01  -3.000e+00 \n"),
            (std::vector<float>{1000.0f, 0.25f, -3.0f}));
  EXPECT_EQ(Numbers("  1.52125E-09 -6.65692E-12"),
            (std::vector<float>{1.52125e-9f, -6.65692e-12f}));
  // Numbers that touch their neighbour's sign still need a blank to end.
  EXPECT_EQ(Numbers(" 12345 6789"), (std::vector<float>{12345.0f, 6789.0f}));
  EXPECT_TRUE(Numbers("").empty());
  EXPECT_TRUE(Numbers("   ").empty());
}

TEST(NumbersOnLine, ShortNumbersAreJoinedWithTheNext) {
  // "1 2 3" is one field of five characters: it reads as 1.
  EXPECT_EQ(Numbers("1 2 3 45678"), (std::vector<float>{1.0f, 45678.0f}));
  // A four-character field at the end of a line is not read at all.
  EXPECT_EQ(Numbers("12345 678"), (std::vector<float>{12345.0f}));
  EXPECT_EQ(Numbers("  10   20"), (std::vector<float>{10.0f}));
  // Five blanks make a field of their own that reads as 0.
  EXPECT_EQ(Numbers("1.0e+03       "), (std::vector<float>{1000.0f, 0.0f}));
  // Tabs are not blanks.
  EXPECT_EQ(Numbers("1.0e+03\t2.0e+03\t3.0e+03"),
            (std::vector<float>{1000.0f}));
  // Such fields, and garbled ones, are counted for the user.
  float out[8];
  OddFields odd;
  EXPECT_EQ(ReadNumbersOnLine("   2.773es02   1.0e+00       ", out, 8, &odd),
            3);
  EXPECT_EQ(out[0], 2.773f);
  EXPECT_EQ(odd.count, 2);  // the garbled number and the five blanks
  EXPECT_EQ(odd.first, "2.773es02");
  ReadNumbersOnLine("1 2 3 45678", out, 8, &odd);
  EXPECT_EQ(odd.count, 3);
  EXPECT_EQ(odd.first, "2.773es02");
}

TEST(NumbersOnLine, CountsBeyondCapacityAndSurvivesOddText) {
  std::string many;
  for (int i = 0; i < 130; ++i) many += "  1.0e+00";
  float out[100];
  EXPECT_EQ(ReadNumbersOnLine(many, out, 100), 130);
  EXPECT_EQ(ReadNumbersOnLine(many, out, 0), 130);
  std::vector<float> odd =
      Numbers("   nan    inf   1e400  -1e400  1e-50  abcde");
  ASSERT_EQ(odd.size(), 6u);
  EXPECT_TRUE(std::isnan(odd[0]));
  EXPECT_TRUE(std::isinf(odd[1]));
  EXPECT_TRUE(std::isinf(odd[2]) && odd[2] > 0);
  EXPECT_TRUE(std::isinf(odd[3]) && odd[3] < 0);
  EXPECT_EQ(odd[4], 0.0f);
  EXPECT_EQ(odd[5], 0.0f);
  // A NUL byte ends the line as it would a C string.
  EXPECT_EQ(Numbers(std::string("  1.0e+00\0  2.0e+00", 19)),
            (std::vector<float>{1.0f}));
}

}  // namespace
}  // namespace mtvuk
