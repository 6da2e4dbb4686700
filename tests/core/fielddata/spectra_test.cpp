#include "core/fielddata/spectra.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <vector>

#include "core/platform/c_number.h"
#include "util/test_util.h"

namespace mtvuk {
namespace {

// Spectra matrix of noise-free fields E = Z H with remote channels equal to
// the local magnetic channels, built from its complex channel amplitudes.
void BuildMatrix(const Complex (&channels)[7], SpectraMatrix& a) {
  for (int p = 0; p < 7; ++p) {
    a[p][p] = Abs2(channels[p]);
    for (int q = p + 1; q < 7; ++q) {
      Complex c = Mul(channels[p], Conj(channels[q]));
      a[q][p] = c.re;  // C(p, q) = A(q, p) + i A(p, q)
      a[p][q] = c.im;
    }
  }
}

TEST(Spectra, NoiseFreeFieldsGiveBackTheImpedanceWithoutError) {
  // Two independent source polarisations summed incoherently.
  const Complex zxx{0.5, -0.2}, zxy{10, 8}, zyx{-12, -9}, zyy{0.3, 0.1};
  SpectraMatrix a = {};
  const Complex sources[2][2] = {{{1, 0}, {0.2, 0.1}}, {{-0.3, 0.4}, {1, 0.5}}};
  for (const auto& h : sources) {
    Complex hx = h[0], hy = h[1];
    Complex ex = Add(Mul(zxx, hx), Mul(zxy, hy));
    Complex ey = Add(Mul(zyx, hx), Mul(zyy, hy));
    Complex ch[7] = {hx, hy, {0.01, 0}, ex, ey, hx, hy};
    SpectraMatrix one = {};
    BuildMatrix(ch, one);
    for (int r = 0; r < 7; ++r)
      for (int c = 0; c < 7; ++c) a[r][c] += one[r][c];
  }
  SpectraEstimate z = EstimateImpedance(a, 10.0, 100.0);
  // The estimator works on conj(C) products: the result is conjugated back.
  // With channel products X_p conj(X_q) the quotients are Z itself, so the
  // stored values are its conjugates.
  const Complex expected[4] = {zxx, zxy, zyx, zyy};
  const Complex got[4] = {z.zxx, z.zxy, z.zyx, z.zyy};
  for (int i = 0; i < 4; ++i) {
    EXPECT_NEAR(got[i].re, expected[i].re, 1e-9) << i;
    EXPECT_NEAR(got[i].im, -expected[i].im, 1e-9) << i;
  }
  EXPECT_NEAR(z.exy, 0.0, 1e-6);
  EXPECT_NEAR(z.phsxy_err, 0.0, 1e-4);
  EXPECT_NEAR(z.rhoxy_err, 0.0, 1e-4);
}

// Reads the spectra blocks of a file as 49 consecutive numbers each, however
// many a line holds, with the frequency and the number of averaged spectra.
struct Block {
  double freq, avgt;
  SpectraMatrix a;
};

std::vector<Block> ReadBlocksLoosely(const std::string& path) {
  std::ifstream in(path);
  std::vector<Block> blocks;
  std::string line;
  auto value = [](const std::string& l, const std::string& key) {
    std::size_t at = l.find(key);
    std::istringstream s(l.substr(at + key.size()));
    double v = 0;
    s >> v;
    return v;
  };
  while (std::getline(in, line)) {
    if (line.rfind(">SPECTRA", 0) != 0) continue;
    Block b{value(line, "FREQ="), value(line, "AVGT="), {}};
    for (int i = 0; i < 49; ++i) {
      double v;
      in >> v;
      b.a[i / 7][i % 7] = v;
    }
    blocks.push_back(b);
  }
  return blocks;
}

std::vector<double> ReadBlock(const std::string& path, const std::string& key) {
  std::ifstream in(path);
  std::string line;
  std::vector<double> out;
  while (std::getline(in, line)) {
    if (line.rfind(key + " ", 0) != 0) continue;
    while (in >> std::ws && in.peek() != '>') {
      double v;
      in >> v;
      out.push_back(v);
    }
    break;
  }
  return out;
}

TEST(Spectra, ReproducesAnIndependentProcessingOfTheSameSite) {
  // tf_edi_spectra_out.edi holds the impedances and variances computed from
  // tf_edi_spectra_in.edi by another program.
  auto blocks = ReadBlocksLoosely(test::RealDataPath("tf_edi_spectra_in.edi"));
  const std::string out = test::RealDataPath("tf_edi_spectra_out.edi");
  auto zxyr = ReadBlock(out, ">ZXYR");
  auto zxyi = ReadBlock(out, ">ZXYI");
  auto zyxr = ReadBlock(out, ">ZYXR");
  auto zyyi = ReadBlock(out, ">ZYYI");
  auto zxy_var = ReadBlock(out, ">ZXY.VAR");
  auto zyx_var = ReadBlock(out, ">ZYX.VAR");
  ASSERT_EQ(blocks.size(), 33u);
  ASSERT_EQ(zxyr.size(), 33u);
  ASSERT_EQ(zxy_var.size(), 33u);
  for (std::size_t k = 0; k < blocks.size(); ++k) {
    SpectraEstimate z =
        EstimateImpedance(blocks[k].a, blocks[k].freq, blocks[k].avgt);
    double scale = std::hypot(zxyr[k], zxyi[k]);
    EXPECT_NEAR(z.zxy.re, zxyr[k], 4e-6 * scale) << k;
    EXPECT_NEAR(z.zxy.im, zxyi[k], 4e-6 * scale) << k;
    EXPECT_NEAR(z.zyx.re, zyxr[k], 4e-6 * std::fabs(zyxr[k]) + 1e-6) << k;
    EXPECT_NEAR(z.zyy.im, zyyi[k], 1e-5 * scale) << k;
    EXPECT_NEAR(z.exy * z.exy / zxy_var[k], 1.0, 1e-3) << k;
    EXPECT_NEAR(z.eyx * z.eyx / zyx_var[k], 1.0, 1e-3) << k;
  }
}

}  // namespace
}  // namespace mtvuk
