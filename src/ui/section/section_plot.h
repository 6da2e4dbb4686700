// The picture of a profile section: the stations at their positions along
// the profile, depth downwards, drawn as columns of coloured layers
// ("logging") or as an interpolated image ("tomography"), with the surface
// line, the station names on top and the colour scale beside it.
#pragma once

#include <qcustomplot.h>

#include <QString>
#include <vector>

#include "core/section/section_model.h"
#include "core/section/tomography_grid.h"
#include "ui/graph/graph_picture.h"

namespace mtvuk {

// How a section is drawn.
struct SectionStyle {
  bool tomography = false;
  bool log_depth = false;
  double depth_max_km = 0.0;  // 0: the section's own depth
  TomographyMethod method = TomographyMethod::kFollowLayers;
};

class SectionPlot : public QCustomPlot, public GraphPicture {
  Q_OBJECT

 public:
  explicit SectionPlot(QWidget* parent = nullptr);

  // What to draw; Rebuild draws it.
  void SetModel(SectionModel model, const QString& title);
  void SetColours(const SectionColourBlock& block, const ColourRamps& ramps);
  void SetStyle(const SectionStyle& style) { style_ = style; }
  const SectionStyle& style() const { return style_; }
  const SectionModel& model() const { return model_; }

  // Redraws everything from the model, the colours and the style.
  void Rebuild();
  // Only the colours change (blocks, image, scale).
  void Recolour();

  // The bottom of the depth axis, km.
  double DepthMaxKm() const;
  // The colour of a resistivity in the section's colours.
  QColor ColourOf(double rho) const;
  // The logging blocks drawn (one per layer and column), in column order.
  const std::vector<QCPItemRect*>& blocks() const { return blocks_; }
  // The resistivity each block stands for.
  const std::vector<double>& block_values() const { return block_rho_; }
  QCPColorMap* image() const { return image_; }
  QCPColorScale* scale() const { return scale_; }
  // Station labels written along the top, one per column in column order,
  // and the row of each (0 next to the axis).
  QStringList StationLabels() const { return labels_; }
  const std::vector<int>& StationLabelRows() const { return label_rows_; }

  // The section alone, drawn at `size` pixels (the plot takes that size).
  QImage Render(QSize size);
  // Writes the section alone at `size` pixels to `path` (.png, .pdf, .svg):
  // a PNG of exactly that size, a PDF page and an SVG of that size. False
  // with the reason in `error`.
  bool Export(const QString& path, QSize size, QString* error);

  QString PictureTitle() const override { return title_; }
  QSize PictureSize() const override { return size(); }
  void RenderPicture(QCPPainter& painter, const QSize& size) override;

 protected:
  // Staggers the station names for the width of the axis at the size being
  // drawn, on screen or in a picture.
  void updateLayout() override;

 private:
  void DrawLogging();
  void DrawTomography();
  void DrawSurface();
  // The sea surface and the water above seafloor stations, for the surface
  // line through (x, s).
  void DrawSea(const QVector<double>& x, const QVector<double>& s);
  // The station names along the top in their rows (label_rows_).
  void SetStationTicks();
  QCPColorGradient Gradient() const;
  double ColumnHalfWidth(std::size_t i) const;

  SectionModel model_{{}, SectionSource::kInt, true};
  SectionColourBlock colours_;
  ColourRamps ramps_;
  SectionStyle style_;
  QString title_;
  QCPTextElement* title_element_ = nullptr;
  QCPColorScale* scale_ = nullptr;
  QCPColorMap* image_ = nullptr;
  std::vector<QCPItemRect*> blocks_;
  std::vector<double> block_rho_;
  QSharedPointer<QCPAxisTickerText> station_ticker_;
  QStringList labels_;
  std::vector<int> label_rows_;
};

}  // namespace mtvuk
