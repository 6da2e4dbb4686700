#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>

#include "core/files/file_error_text.h"
#include "core/platform/c_number.h"
#include "core/platform/console_ui.h"
#include "core/platform/scripted_ui.h"
#include "core/platform/text_file.h"
#include "util/test_util.h"

namespace mtvuk {
namespace {

TEST(TextFile, WritesCrLfReadsBothLineEndsAndNamesFailures) {
  test::TempFile file("", ".int");
  {
    TextFile out;
    ASSERT_TRUE(out.Open(file.path(), TextFile::Mode::kCreate));
    ASSERT_TRUE(out.Write("first\nsecond\n"));
  }
  EXPECT_EQ(test::ReadWholeFile(file.path()), "first\r\nsecond\r\n");
  {
    TextFile append;
    ASSERT_TRUE(append.Open(file.path(), TextFile::Mode::kReadWrite));
    ASSERT_TRUE(append.SeekToEnd());
    ASSERT_TRUE(append.Write("third\n"));
    EXPECT_EQ(append.Length(), 22);
  }
  TextFile in;
  std::string line;
  auto lines = [&](const std::string& path) {
    std::vector<std::string> all;
    EXPECT_TRUE(in.Open(path, TextFile::Mode::kRead));
    while (in.ReadLine(line)) all.push_back(line);
    return all;
  };
  EXPECT_EQ(lines(file.path()),
            (std::vector<std::string>{"first", "second", "third"}));
  EXPECT_EQ(in.cause(), FileCause::kEndOfFile);
  ASSERT_TRUE(in.Seek(7));  // positions count the CR LF bytes
  ASSERT_TRUE(in.ReadLine(line));
  EXPECT_EQ(line, "second");
  EXPECT_EQ(in.Position(), 15);
  test::TempFile mixed("a\nb\r\n\nlast without end", ".txt");
  EXPECT_EQ(lines(mixed.path()),
            (std::vector<std::string>{"a", "b", "", "last without end"}));
  TextFile f;
  EXPECT_FALSE(f.Open("/nonexistent-dir-mtvuk/x.int", TextFile::Mode::kRead));
  EXPECT_EQ(f.cause(), FileCause::kFileNotFound);
  EXPECT_STREQ(FileErrorText(f.cause()), "The file could not be located");
  EXPECT_FALSE(f.Open(testing::TempDir(), TextFile::Mode::kRead));
  EXPECT_EQ(f.cause(), FileCause::kAccessDenied);
  test::TempFile plain("x", ".txt");
  EXPECT_FALSE(f.Open(plain.path() + "/below", TextFile::Mode::kCreate));
  EXPECT_EQ(f.cause(), FileCause::kBadPath);
  // A missing folder: the path is wrong, not the file.
  EXPECT_FALSE(f.Open("/nonexistent-dir-mtvuk/x.int", TextFile::Mode::kCreate));
  EXPECT_EQ(f.cause(), FileCause::kBadPath);
  EXPECT_FALSE(f.ReadLine(line));
  EXPECT_EQ(f.cause(), FileCause::kInvalidFile);
}

TEST(CNumber, ReadsLikeAtofWhateverTheLocale) {
  // A user locale with a decimal comma must not change how files are read.
  const char* old = std::setlocale(LC_NUMERIC, nullptr);
  std::string saved = old ? old : "C";
  for (const char* name : {"de_DE.UTF-8", "fr_FR.UTF-8", "ru_RU.UTF-8"}) {
    if (std::setlocale(LC_NUMERIC, name) == nullptr) continue;
    EXPECT_DOUBLE_EQ(AtoF("   1.5e+03xyz"), 1500.0) << name;
  }
  std::setlocale(LC_NUMERIC, saved.c_str());
  EXPECT_DOUBLE_EQ(AtoF("   1.5e+03xyz"), 1500.0);
  EXPECT_EQ(AtoF("abc"), 0.0);
  EXPECT_TRUE(std::isnan(AtoF(" nan")));
  EXPECT_TRUE(std::isinf(AtoF("1e400")));
  EXPECT_EQ(AtoF(std::string_view("12\00034", 5)), 12.0);
  EXPECT_EQ(AtoI(" 17/"), 17);
  EXPECT_EQ(AtoI("99999999999999"), 2147483647);
  EXPECT_TRUE(std::isinf(ToF32(-1e300)));
}

TEST(Ui, ConsolePrintsCaptionAndTextAndAnswersTheDefault) {
  char buffer[256] = {};
  std::FILE* out = fmemopen(buffer, sizeof buffer, "w");
  ConsoleUi ui(out);
  EXPECT_EQ(ui.MessageBox("Try again ?",
                          "Nothing Z selected",
                          Icon::kQuestion,
                          Buttons::kYesNoCancel,
                          Answer::kNo),
            Answer::kNo);
  std::fclose(out);
  EXPECT_STREQ(buffer, "Nothing Z selected: Try again ?\n");
}

}  // namespace
}  // namespace mtvuk
