// The section window on the example profile: what it draws, its colours
// after a scale change, the close query and "&Save Section".
#include "ui/section/section_window.h"

#include <QImageReader>
#include <QPainter>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

#include "core/files/trf_file.h"
#include "core/section/section_options.h"
#include "ui/section/section_image.h"
#include "ui_test_util.h"

namespace mtvuk {

class SectionWindowTest : public QObject {
  Q_OBJECT

  std::unique_ptr<Stores> stores_;
  std::unique_ptr<test::ScriptedQtUi> ui_;
  std::vector<SectionStation> stations_;
  std::unique_ptr<QTemporaryDir> tmp_;
  QString dir_;

  // The stations of a file on the automatic profile of all of them.
  bool ReadOnProfile(const std::string& path) {
    SectionPictureOptions options;
    options.file = path;
    ResultFileKind kind = ResultFileKind::kNone;
    std::string error;
    if (!PlaceSectionStations(options, ui_->ui, stations_, kind, error))
      return false;
    stores_->workspace.station_file_kind = kind == ResultFileKind::kTrf;
    return true;
  }

  std::unique_ptr<SectionWindow> Window(QObject* view, int slot = 2) {
    stores_->workspace.sections.entries[slot].number = 7;
    return std::make_unique<SectionWindow>(
        stores_->workspace, ui_->ui, view, stations_, slot);
  }

 private slots:
  void init() {
    stores_ = std::make_unique<Stores>();
    ui_ = std::make_unique<test::ScriptedQtUi>();
    tmp_ = std::make_unique<QTemporaryDir>();
    dir_ = tmp_->path();
    QVERIFY(ReadOnProfile(test::ExampleFile("profile/profile.int")));
  }
  void cleanup() {
    tmp_.reset();
    ui_.reset();
    stores_.reset();
  }

  void StationNamesStandJustAboveTheSection() {
    auto w = Window(nullptr);
    SectionPlot& plot = *w->plot();
    auto most_rows = [&plot] {
      const auto& rows = plot.StationLabelRows();
      return rows.empty() ? -1 : *std::max_element(rows.begin(), rows.end());
    };
    // In the window and in a picture the names are staggered for the width
    // drawn, and the section starts right below them.
    w->resize(1200, 680);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    QVERIFY(!w->grab().isNull());
    QCOMPARE(int(plot.StationLabelRows().size()), 16);
    QVERIFY(!plot.Render(QSize(1600, 900)).isNull());
    QVERIFY(most_rows() <= 2);
    QVERIFY2(plot.axisRect()->top() < 110,
             qPrintable(QString::number(plot.axisRect()->top())));
    QCOMPARE(plot.xAxis2->tickLabelRotation(), 0.0);
    // Too narrow to stagger: the names stand upright in one row.
    QVERIFY(!plot.Render(QSize(360, 500)).isNull());
    QCOMPARE(most_rows(), 0);
    QCOMPARE(plot.xAxis2->tickLabelRotation(), -90.0);
  }

  void DrawsTheSixteenStationsAsLoggingAndAsTomography() {
    // One station off the profile is left out.
    stations_[5].profile_position = -1.0;
    stores_->workspace.section_colours[2].bytes[kPaletteByte] = 3;
    auto w = Window(nullptr);
    QCOMPARE(w->windowTitle(), QString("Section 7"));
    QCOMPARE(static_cast<int>(w->plot()->model().columns().size()), 15);
    stations_[5].profile_position = 10000.0;
    w = Window(nullptr);
    const auto& cols = w->plot()->model().columns();
    QCOMPARE(static_cast<int>(cols.size()), 16);
    QCOMPARE(QString::fromStdString(cols.front().name).trimmed(),
             QString("XY P01"));
    QCOMPARE(QString::fromStdString(cols.back().name).trimmed(),
             QString("XY P16"));
    // 2 km apart along the line, from 0.
    QVERIFY(std::fabs(cols[15].position_km - 30.0) < 0.3);
    // The slot's list is the whole ramp; its palette stays.
    const SectionColourBlock& block = stores_->workspace.section_colours[2];
    QCOMPARE(block.count, 217);
    QCOMPARE(int(block.palette()), 3);
    QCOMPARE(w->plot()->StationLabels().size(), 16);
    QVERIFY(w->logging_action()->isChecked());
    // A block for every layer that starts above the bottom of the section.
    int layers = 0, shown = 0;
    for (const SectionColumn& c : cols) {
      layers += int(c.layers.size());
      for (const SectionLayer& l : c.layers)
        shown += c.surface_km + l.top_km < w->plot()->DepthMaxKm();
    }
    QCOMPARE(layers, 64);
    QVERIFY(shown >= 60);
    QCOMPARE(static_cast<int>(w->plot()->blocks().size()), shown);
    QVERIFY(w->plot()->image() == nullptr);
    const auto [lo, hi] = w->ValueRange();
    QVERIFY(lo > 0.5 && lo < 10.0);  // the basin's few Ohm-m
    QVERIFY(hi > 500.0);             // the basement

    w->tomography_action()->trigger();
    QVERIFY(w->style().tomography);
    QVERIFY(w->plot()->blocks().empty());
    QCPColorMap* image = w->plot()->image();
    QVERIFY(image != nullptr);
    // The image covers the stations without a gap below the surface.
    QCPColorMapData* data = image->data();
    int missing = 0;
    for (int ix = 0; ix < data->keySize(); ++ix) {
      double x, depth;
      data->cellToCoord(ix, data->valueSize() - 1, &x, &depth);
      for (int iy = data->valueSize() / 4; iy < data->valueSize(); ++iy) {
        if (std::isnan(data->cell(ix, iy))) ++missing;
      }
    }
    QCOMPARE(missing, 0);
    QCOMPARE(image->dataRange().lower, std::log10(lo));
    QCOMPARE(image->dataRange().upper, std::log10(hi));
    w->logging_action()->trigger();
    QCOMPARE(static_cast<int>(w->plot()->blocks().size()), shown);
  }

  void RecoloursFromTheSlotsColourBlock() {
    auto w = Window(nullptr);
    QSignalSpy scale(w.get(), &SectionWindow::ScaleRequested);
    w->scale_action()->trigger();
    QCOMPARE(scale.count(), 1);
    QCOMPARE(scale[0][0].toInt(), 2);
    QCOMPARE(scale[0][1].toDouble(), w->ValueRange().first);
    QCOMPARE(scale[0][2].toDouble(), w->ValueRange().second);

    // What "Apply" of the scale leaves: two bands of the blue-white-red
    // ramp read from the top.
    SectionColourBlock& block = stores_->workspace.section_colours[2];
    block.bytes[0] = 216;
    block.bytes[1] = 0;
    block.count = 2;
    block.bytes[kPaletteByte] = 3;
    QCoreApplication::postEvent(w.get(),
                                new UmEvent(Um::UM_SECTIONSCALE, 0, 2));
    QCoreApplication::sendPostedEvents();
    const auto [lo, hi] = w->ValueRange();
    const double middle = std::sqrt(lo * hi);
    const ColourRamp& b = stores_->workspace.colour_ramps.b;
    const QColor low(b[216].r, b[216].g, b[216].b);
    const QColor high(b[0].r, b[0].g, b[0].b);
    const auto& blocks = w->plot()->blocks();
    const auto& rho = w->plot()->block_values();
    QVERIFY(blocks.size() > 30);
    int lows = 0;
    for (std::size_t k = 0; k < blocks.size(); ++k) {
      QCOMPARE(blocks[k]->brush().color(), rho[k] < middle ? low : high);
      lows += rho[k] < middle;
    }
    QVERIFY(lows > 10 && lows < int(blocks.size()));  // both colours
    // The image takes the same two colours.
    w->tomography_action()->trigger();
    QCPColorGradient g = w->plot()->image()->gradient();
    QCOMPARE(QColor(g.color(std::log10(lo),
                            QCPRange(std::log10(lo), std::log10(hi)))),
             low);
    QCOMPARE(QColor(g.color(std::log10(hi),
                            QCPRange(std::log10(lo), std::log10(hi)))),
             high);
    // A note changes nothing.
    QCoreApplication::postEvent(w.get(), new UmEvent(Um::UM_SECTIONNOTE, 0, 2));
    QCoreApplication::sendPostedEvents();
    QVERIFY(w->plot()->image() != nullptr);
  }

  void CloseQueryTellsTheView() {
    test::MessageRecorder view;
    auto w = Window(&view, 4);
    w->show();
    ui_->script.Expect("SECTION #7", Answer::kYes);
    ui_->script.Expect("SECTION #7", Answer::kNo);
    ui_->script.Expect("SECTION #7", Answer::kCancel);
    for (int i = 0; i < 3; ++i) {
      QVERIFY(!w->close());  // the view acts, never the window itself
      QCoreApplication::sendPostedEvents();
    }
    QVERIFY(ui_->script.AllExpectedShown());
    QCOMPARE(ui_->script.prompts()[0].text,
             std::string("Delete this SECTION ?"));
    QVERIFY(ui_->script.prompts()[0].buttons == Buttons::kYesNoCancel);
    QCOMPARE(view.received.size(), std::size_t{2});
    for (int i : {0, 1}) {
      QCOMPARE(view.received[i].message, Um::UM_SECTIONSTATE);
      QCOMPARE(view.received[i].wparam, std::intptr_t{100 * i});
      QCOMPARE(view.received[i].lparam, std::intptr_t{4});
    }
    QVERIFY(w->isVisible());
  }

  void SavesTheSectionAsStationsThatReadBack() {
    auto w = Window(nullptr);
    const QString chosen = QDir(dir_).filePath("line.txt");
    QVERIFY(w->SaveSection(chosen));
    const QString saved = QDir(dir_).filePath("line.int");
    const QByteArray first = test::ReadAll(saved);
    // An existing file is kept unless the user says otherwise ...
    ui_->script.Expect("Save Section", Answer::kNo);
    QVERIFY(!w->SaveSection(chosen));
    QCOMPARE(
        ui_->script.prompts().back().text,
        saved.toStdString() + " already exists.\nDo you want to replace it?");
    QVERIFY(ui_->script.prompts().back().buttons == Buttons::kYesNo);
    QCOMPARE(test::ReadAll(saved), first);
    // ... and then replaced, not appended to.
    ui_->script.Expect("Save Section", Answer::kYes);
    QVERIFY(w->SaveSection(chosen));
    QCOMPARE(test::ReadAll(saved), first);
    QVERIFY(ui_->script.AllExpectedShown());
    std::vector<SectionStation> back;
    ResultFileKind kind = ResultFileKind::kNone;
    QVERIFY(ReadStationFile(
        QDir(dir_).filePath("line.int").toStdString(), ui_->ui, back, kind));
    QVERIFY(kind == ResultFileKind::kInt);
    QCOMPARE(back.size(), std::size_t{16});
    const auto& cols = w->plot()->model().columns();
    for (std::size_t i = 0; i < back.size(); ++i) {
      QCOMPARE(back[i].y, 0.0f);
      QVERIFY(std::fabs(back[i].x - 1000.0 * cols[i].position_km) < 0.06);
      QVERIFY(std::fabs(back[i].z - cols[i].elevation_m) < 0.06);
      QCOMPARE(back[i].layer_count, std::int16_t{4});
      // Thicknesses in km again, to the file's two decimals.
      const double top = cols[i].layers[1].top_km;
      QVERIFY(std::fabs(back[i].thickness[0] - top) < 0.006);
    }
    // A folder that does not exist: the file-error text, nothing written.
    const std::string bad = QDir(dir_).filePath("no/such/x").toStdString();
    ui_->script.Allow("CAN'T CREATE " + bad + ".int");
    QVERIFY(!w->SaveSection(QString::fromStdString(bad)));
    QCOMPARE(ui_->script.prompts().back().caption,
             "CAN'T CREATE " + bad + ".int");
    QVERIFY(!ui_->script.prompts().back().text.empty());
    QVERIFY(!QFileInfo::exists(QString::fromStdString(bad + ".int")));
    QVERIFY(ui_->script.unexpected().empty());
  }

  void OnePolarisationIsKeptThroughRedrawsAndSaved() {
    // The XY and YX transformations of 15125A: both by default, then the
    // YX section alone through every redraw, and saved alone.
    QVERIFY(ReadOnProfile(test::ExampleFile("15125A.trf")));
    auto w = Window(nullptr);
    // The two polarisations of the station stand at one place: each keeps
    // its column, side by side, and its own name above it.
    const auto& cols = w->plot()->model().columns();
    QCOMPARE(cols[0].position_km, cols[1].position_km);
    QVERIFY(cols[1].draw_km - cols[0].draw_km > 0.5);
    QCOMPARE(w->plot()->StationLabels(),
             QStringList({"XY 15125A", "YX 15125A"}));
    QCOMPARE(int(w->polarisation_actions().size()), 3);
    QVERIFY(w->polarisation_actions()[0]->isChecked());
    for (QAction* a : w->polarisation_actions()) QVERIFY(a->isEnabled());
    w->polarisation_actions()[2]->trigger();
    QVERIFY(w->polarisation() == SectionPolarisation::kYx);
    const QStringList yx({"YX 15125A"});
    QCOMPARE(w->plot()->StationLabels(), yx);
    w->tomography_action()->trigger();
    w->log_depth_action()->trigger();
    UmEvent redraw(Um::UM_SECTIONREDRAW, 0, 0);
    QCoreApplication::sendEvent(w.get(), &redraw);
    QCOMPARE(w->plot()->StationLabels(), yx);
    QVERIFY(w->plot()->image() != nullptr);
    QVERIFY(w->polarisation_actions()[2]->isChecked());
    QVERIFY(w->SaveSection(QDir(dir_).filePath("yx")));
    std::vector<SectionStation> back;
    ResultFileKind kind = ResultFileKind::kNone;
    QVERIFY(ReadStationFile(
        QDir(dir_).filePath("yx.trf").toStdString(), ui_->ui, back, kind));
    QCOMPARE(back.size(), std::size_t{1});
    QCOMPARE(back[0].name, std::string("YX 15125A   "));
    QCOMPARE(back[0].depth_count, stations_[1].depth_count);
    for (int i = 0; i < back[0].depth_count; ++i)
      QVERIFY(std::fabs(back[0].depth[i] - stations_[1].depth[i]) < 0.0011);
    // The example profile holds XY models only: YX is not offered.
    QVERIFY(ReadOnProfile(test::ExampleFile("profile/profile.int")));
    auto xy = Window(nullptr);
    QVERIFY(xy->polarisation_actions()[1]->isEnabled());
    QVERIFY(!xy->polarisation_actions()[2]->isEnabled());
    QVERIFY(!xy->SetPolarisation(SectionPolarisation::kYx));
    QVERIFY(xy->polarisation() == SectionPolarisation::kBoth);
    QVERIFY(xy->polarisation_actions()[0]->isChecked());
    QCOMPARE(int(xy->plot()->model().columns().size()), 16);
  }

  void ASectionWithoutStationsIsEmptyNotBroken() {
    for (SectionStation& s : stations_) s.profile_position = -1.0;
    auto w = Window(nullptr);
    QVERIFY(w->plot()->model().columns().empty());
    QCOMPARE(w->ValueRange(), std::make_pair(1.0, 1000.0));
    w->tomography_action()->trigger();
    QVERIFY(w->plot()->image() == nullptr);
    QString error;
    QVERIFY(w->plot()->Export(
        QDir(dir_).filePath("e.png"), QSize(300, 200), &error));
  }

  void ExportsPicturesOfTheRequestedSize() {
    auto w = Window(nullptr);
    const QString png = QDir(dir_).filePath("s.png");
    QString error;
    QVERIFY(w->plot()->Export(png, QSize(1000, 560), &error));
    QCOMPARE(QImageReader(png).size(), QSize(1000, 560));
    QVERIFY(
        !w->plot()->Export(QDir(dir_).filePath("s.bmp"), QSize(8, 5), &error));
    QVERIFY(error.contains("not known"));
    ui_->script.Allow("SAVE PICTURE");
    QVERIFY(w->SavePicture(QDir(dir_).filePath("w.pdf")));
    QVERIFY(QFileInfo(QDir(dir_).filePath("w.pdf")).size() > 1000);
    QVERIFY(!w->SavePicture(QDir(dir_).filePath("no/such/w.png")));
  }

  void VectorPicturesHoldTheTomographyOnce() {
    auto w = Window(nullptr);
    w->SetStyle({true, false, 6.0});
    // Through the command line's export and through the window's picture
    // export alike: one embedded image of the cells, not a bitmap three
    // times the page's size.
    const QString svg = QDir(dir_).filePath("t.svg");
    QString error;
    QVERIFY(w->plot()->Export(svg, QSize(1600, 900), &error));
    QVERIFY(w->SavePicture(QDir(dir_).filePath("w.svg")));
    for (const QString& path : {svg, QDir(dir_).filePath("w.svg")}) {
      const QByteArray text = test::ReadAll(path);
      QCOMPARE(text.count("<image"), 2);  // the cells and the colour bar
      QVERIFY2(text.size() < 4'000'000, qPrintable(path));
    }
    QVERIFY(w->SavePicture(QDir(dir_).filePath("w.pdf")));
    QVERIFY(QFileInfo(QDir(dir_).filePath("w.pdf")).size() < 4'000'000);
    // The SVG shows what the PNG shows: the same colours at the same
    // places inside the section (not the image upside down).
    const QImage raster = w->plot()->Render(QSize(1600, 900));
    QImage drawn(1600, 900, QImage::Format_ARGB32);
    drawn.fill(Qt::white);
    {
      QPainter painter(&drawn);
      QSvgRenderer(svg).render(&painter);
    }
    int agree = 0, total = 0;
    for (int x = 250; x <= 1350; x += 100) {
      for (int y = 250; y <= 800; y += 50) {
        const QColor a = raster.pixelColor(x, y), b = drawn.pixelColor(x, y);
        ++total;
        agree += std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
                     std::abs(a.blue() - b.blue()) <
                 60;
      }
    }
    QVERIFY2(agree >= total * 9 / 10,
             qPrintable(QString("%1 of %2").arg(agree).arg(total)));
    // The image lands exactly over the cells: from the first to the last
    // station, from the top of the axis to its bottom.
    auto* image = static_cast<SectionImage*>(w->plot()->image());
    bool mirror_x = true, mirror_y = false;
    const QRectF target = image->TargetRect(&mirror_x, &mirror_y);
    const auto& cols = w->plot()->model().columns();
    QVERIFY(std::fabs(target.left() - w->plot()->xAxis->coordToPixel(
                                          cols.front().draw_km)) < 1.0);
    QVERIFY(std::fabs(target.right() - w->plot()->xAxis->coordToPixel(
                                           cols.back().draw_km)) < 1.0);
    QVERIFY(std::fabs(target.bottom() - w->plot()->yAxis->coordToPixel(6.0)) <
            1.0);
    QVERIFY(!mirror_x);
    QVERIFY(mirror_y);  // depth grows downwards

    // The depth range the user chose stays through redraws.
    w->SetElevation(false);
    w->log_depth_action()->trigger();
    w->log_depth_action()->trigger();
    QCOMPARE(w->plot()->DepthMaxKm(), 6.0);
    QCOMPARE(w->plot()->yAxis->range().upper, 6.0);
    // So does the filling chosen in the menu.
    w->method_actions()[2]->trigger();
    QVERIFY(w->style().method == TomographyMethod::kNearestStation);
    w->SetElevation(true);
    QVERIFY(w->style().method == TomographyMethod::kNearestStation);
    QVERIFY(w->method_actions()[2]->isChecked());
  }
};

}  // namespace mtvuk

QTEST_MAIN(mtvuk::SectionWindowTest)
#include "section_window_test.moc"
