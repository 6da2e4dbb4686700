// The sections: the main view's workflow and the section window.
#include <QImageReader>
#include <QPainter>
#include <QSvgRenderer>
#include <QTimer>
#include <QtTest>
#include <cmath>
#include <functional>

#include "core/files/int_file.h"
#include "core/files/trf_file.h"
#include "core/section/section_options.h"
#include "ui/app/file_dialogs.h"
#include "ui/files/int_dialogs.h"
#include "ui/section/delete_section_dialog.h"
#include "ui/section/map_dialog.h"
#include "ui/section/scale_dialog.h"
#include "ui/section/section_image.h"
#include "ui/section/section_window.h"
#include "ui_test_util.h"

namespace mtvuk {

class SectionsTest : public test::FrameTest {
  Q_OBJECT

  QString path_;                          // the profile written for the view
  std::vector<SectionStation> stations_;  // the example profile's stations

  CVUKView& view() { return *frame_->view(); }
  SectionStack& stack() { return stores_->workspace.sections; }

  // 16 stations 2 km apart along a west-east line, three layers each.
  void WriteProfile() {
    std::string text;
    for (int i = 0; i < 16; ++i) {
      LayerModel model;
      model.name = QString("P%1").arg(i + 1, 2, 10, QChar('0')).toStdString();
      model.coordinates = {7510000.0, 500000.0 + 2000.0 * i, 300.0 - 5 * i};
      model.layer_count = 3;
      model.resistivity[0] = 200.0;
      model.thickness[0] = 0.2;
      model.resistivity[1] = 5.0 + i;
      model.thickness[1] = 1.0;
      model.resistivity[2] = 2000.0;
      text += FormatModelBlock(model, 1);
    }
    QFile file(path_);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text.c_str());
  }

  // The map's automatic profile through all stations, sent to the view.
  void MakeSection() {
    view().content_dialog()->list()->selectAll();
    view().map_dialog()->AutoProfileCommand();
    view().map_dialog()->SetProfileCommand();
    QCoreApplication::sendPostedEvents();
  }

  // Answers the modal dialog of type D once it is on screen.
  template <class D>
  void WhenShown(const std::function<void(D*)>& answer) {
    QTimer::singleShot(10, this, [this, answer] {
      for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* d = qobject_cast<D*>(w);
        if (d != nullptr && d->isVisible()) return answer(d);
      }
      WhenShown(answer);
    });
  }

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

  bool ReadBack(const QString& path,
                std::vector<SectionStation>& back,
                ResultFileKind expected) {
    ResultFileKind kind = ResultFileKind::kNone;
    return ReadStationFile(path.toStdString(), ui_->ui, back, kind) &&
           kind == expected;
  }

  std::unique_ptr<SectionWindow> Window(QObject* view, int slot = 2) {
    stores_->workspace.sections.entries[slot].number = 7;
    return std::make_unique<SectionWindow>(
        stores_->workspace, ui_->ui, view, stations_, slot);
  }

 private slots:
  void init() {
    FrameTest::init();
    path_ = Path("section.int");
    WriteProfile();
    QVERIFY(ReadOnProfile(test::ExampleFile("profile/profile.int")));
  }

  void NewListsTheStationsAndSetPrMakesASection() {
    QCOMPARE(QtNameFilters(kSectionFileFilter),
             QStringList({"INT files (*.int) (results of inversion) (*.int)",
                          "TRF files (*.trf) (pseoudosection) (*.trf)",
                          "All Files (*.*)"}));
    QVERIFY(view().OpenSectionFile(path_.toStdString()));
    QCOMPARE(stores_->workspace.files.int_opened, path_.toStdString());
    CFileContentDlg* content = view().content_dialog();
    QVERIFY(content != nullptr && content->isVisible());
    QCOMPARE(content->list()->count(), 16);
    MapDialog* map = view().map_dialog();
    QVERIFY(map != nullptr && !map->isVisible());
    content->map_box()->setChecked(true);
    QVERIFY(map->isVisible());

    // Set PR without a profile is refused and makes nothing.
    ui_->script.Allow("SET PROFILE");
    map->SetProfileCommand();
    QCoreApplication::sendPostedEvents();
    QVERIFY(view().section_window(0) == nullptr);
    QCOMPARE(ui_->script.prompts().size(), std::size_t{1});

    content->delete_z_box()->setChecked(true);
    MakeSection();
    SectionWindow* window = view().section_window(0);
    QVERIFY(window != nullptr);
    QCOMPARE(window->slot(), 0);
    QCOMPARE(stack().entries[0].number, 1);
    // The window took its stations; the array waits for the next profile.
    for (const SectionStation& s : view().section_stations())
      QCOMPARE(s.profile_position, -1.0);
    const auto [lo, hi] = window->ValueRange();
    QCOMPARE(lo, 5.0);
    QCOMPARE(hi, 2000.0);

    // "&Scale..." opens the dialog on the window's values; Apply stores.
    bool scaled = false;
    WhenShown<CScaleDlg>([&](CScaleDlg* dialog) {
      scaled = dialog->scale().min() == 5.0 && dialog->scale().max() == 2000.0;
      dialog->palette_list()->setCurrentIndex(2);
      dialog->Apply();
      dialog->accept();
    });
    window->scale_action()->trigger();
    QVERIFY(scaled);
    QCOMPARE(int(stores_->workspace.section_colours[0].palette()), 2);
    QCoreApplication::sendPostedEvents();

    // Close query: No hides, the menu shows it again, Yes frees the slot.
    ui_->script.Expect("SECTION #1", Answer::kNo);
    window->close();
    QCoreApplication::sendPostedEvents();
    QCOMPARE(ui_->LastText(), std::string("Delete this SECTION ?"));
    QVERIFY(!window->isVisible());
    QCOMPARE(stack().entries[0].state, 1);
    frame_->UpdateSectionMenu();
    frame_->CommandAction(kCmdSection1)->trigger();
    QVERIFY(window->isVisible());
    ui_->script.Expect("SECTION #1", Answer::kYes);
    window->close();
    QCoreApplication::sendPostedEvents();
    QVERIFY(view().section_window(0) == nullptr);
    QCOMPARE(stack().entries[0].number, -1);
    QVERIFY(ui_->script.AllExpectedShown());
    MakeSection();  // the next section takes the free slot, number 2
    QCOMPARE(stack().entries[0].number, 2);

    // A file without result blocks leaves the open dialogs alone.
    const QString junk = path_ + ".txt";
    QFile file(junk);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("nothing to see\n");
    file.close();
    ui_->script.Allow(junk.toStdString());
    QVERIFY(!view().OpenSectionFile(junk.toStdString()));
    QCOMPARE(ui_->LastText(), std::string("Can't find INT or TRF-data"));
    QVERIFY(view().content_dialog() == content);

    // Closing the map closes the list too; the section stays.
    map->close();
    QCoreApplication::sendPostedEvents();
    QVERIFY(view().map_dialog() == nullptr);
    QVERIFY(view().content_dialog() == nullptr);
    QVERIFY(view().section_window(0) != nullptr);
  }

  void SixthSectionGoesThroughTheDeleteDialog() {
    QVERIFY(view().OpenSectionFile(path_.toStdString()));
    for (int i = 0; i < 5; ++i) MakeSection();
    QCOMPARE(stack().counter, 5);

    // Section 4 hidden ("No" in its close query).
    QCoreApplication::postEvent(&view(),
                                new UmEvent(Um::UM_SECTIONSTATE, 100, 3));
    QCoreApplication::sendPostedEvents();

    // A sixth: the dialog refuses no selection, then deletes section 2.
    ui_->script.Allow("Can't delete section");
    bool shown = false;
    WhenShown<DeleteSectionDialog>([&](DeleteSectionDialog* dialog) {
      shown = true;
      QCOMPARE(dialog->windowTitle(), QString("Delete Section"));
      QCOMPARE(dialog->list()->count(), 5);
      dialog->delete_button()->click();
      QVERIFY(dialog->isVisible());
      dialog->list()->item(1)->setSelected(true);
      dialog->delete_button()->click();
    });
    MakeSection();
    QVERIFY(shown);
    QCOMPARE(ui_->LastText(), std::string("Nothing selected"));
    QCOMPARE(stack().entries[1].number, 6);
    QVERIFY(view().section_window(1) != nullptr);

    frame_->UpdateSectionMenu();
    QCOMPARE(frame_->CommandAction(kCmdSection1 + 1)->text(),
             QString("Section 6"));
    QVERIFY(!frame_->CommandAction(kCmdSection1 + 3)->isChecked());
    frame_->CommandAction(kCmdSection1 + 3)->trigger();
    QVERIFY(view().section_window(3)->isVisible());
    QVERIFY(frame_->CommandAction(kCmdSection1 + 3)->isChecked());

    // "Yes" in the close query frees the slot; the menu shrinks.
    QCoreApplication::postEvent(&view(),
                                new UmEvent(Um::UM_SECTIONSTATE, 0, 4));
    QCoreApplication::sendPostedEvents();
    QVERIFY(view().section_window(4) == nullptr);
    frame_->UpdateSectionMenu();
    QVERIFY(!frame_->CommandAction(kCmdSection1 + 4)->isVisible());
    QVERIFY(ui_->script.unexpected().empty());
  }

  void ScaleDialogStoresOnlyOnApply() {
    SectionColourBlock& block = stores_->workspace.section_colours[2];
    test::MessageRecorder sink;
    CScaleDlg dialog(nullptr, 1.0, 2000.0, 2, stores_->workspace, &sink);
    dialog.show();
    QCOMPARE(dialog.windowTitle(), QString("Scale"));
    ResetColourList(block);  // as a section window leaves it
    for (int i = 0; i < 20; ++i) dialog.resolution_down()->click();
    QCOMPARE(dialog.scale().resolution_index(), 0);
    // The bar shows bands of ten; the section keeps its whole ramp.
    QCOMPARE(dialog.shown_colours().count, 217);
    QCOMPARE(int(dialog.shown_colours().bytes[11]), 10);
    QCOMPARE(int(block.bytes[11]), 11);

    dialog.palette_list()->setCurrentIndex(3);  // "Blue-Red"
    dialog.repaint();
    QCOMPARE(int(dialog.shown_colours().bytes[0]), 216);
    QCOMPARE(int(block.bytes[0]), 0);  // nothing leaks before "Apply"
    QCoreApplication::sendPostedEvents();
    QVERIFY(sink.received.empty());
    dialog.Apply();
    QCOMPARE(int(block.palette()), 3);
    QCOMPARE(int(block.bytes[11]), 206);
    QCoreApplication::sendPostedEvents();
    QCOMPARE(sink.received.size(), std::size_t{1});
    QCOMPARE(sink.received[0].message, Um::UM_SCALECHANGED);
    QCOMPARE(sink.received[0].lparam, std::intptr_t{2});

    dialog.SetDefault();
    QCOMPARE(dialog.palette_list()->currentIndex(), 0);
    QCOMPARE(int(block.bytes[11]), 11);
    QCoreApplication::sendPostedEvents();
    QCOMPARE(sink.received.size(), std::size_t{2});
  }

  void MapDesignWithTheMouse() {
    QVERIFY(view().OpenSectionFile(path_.toStdString()));
    MapDialog* map = view().map_dialog();
    map->show();
    QVERIFY(QTest::qWaitForWindowExposed(map));
    MapCanvas* canvas = map->canvas();
    map->design_box()->setChecked(true);
    const int y = canvas->height() / 2;
    QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(60, y));
    QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(200, y));
    QTest::mouseClick(canvas, Qt::RightButton, {}, QPoint(200, y));
    QCOMPARE(map->design().points().size(), std::size_t{1});
    QTest::mouseClick(
        canvas, Qt::LeftButton, {}, QPoint(canvas->width() - 60, y));
    QTest::mouseDClick(
        canvas, Qt::LeftButton, {}, QPoint(canvas->width() - 60, y));
    QVERIFY(map->design().finished());
    QVERIFY(!map->design_box()->isChecked());
    // Pixels to metres: the line spans the stations' 30 km west to east.
    const auto& points = map->design().points();
    QVERIFY(points.back().east - points.front().east > 25000.0);
    QVERIFY(std::abs(points.front().north - 7510000.0) < 500.0);
  }

  void StationNamesStandJustAboveTheSection() {
    auto w = Window(nullptr);
    SectionPlot& plot = *w->plot();
    auto most_rows = [&plot] {
      const auto& rows = plot.StationLabelRows();
      return rows.empty() ? -1 : *std::max_element(rows.begin(), rows.end());
    };
    // Staggered for the width drawn; the section starts right below.
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
    QCOMPARE(image->dataRange().lower, std::log10(lo));
    QCOMPARE(image->dataRange().upper, std::log10(hi));
    w->logging_action()->trigger();
    QCOMPARE(static_cast<int>(w->plot()->blocks().size()), shown);
  }

  void RecoloursFromTheSlotsColourBlock() {
    auto w = Window(nullptr);
    QSignalSpy scale(w.get(), &SectionWindow::ScaleRequested);
    w->scale_action()->trigger();
    const auto [lo, hi] = w->ValueRange();
    QCOMPARE(QList<QVariantList>(scale), QList<QVariantList>({{2, lo, hi}}));

    // As "Apply" leaves it: two bands of the blue-white-red ramp.
    SectionColourBlock& block = stores_->workspace.section_colours[2];
    block.bytes[0] = 216;
    block.bytes[1] = 0;
    block.count = 2;
    block.bytes[kPaletteByte] = 3;
    QCoreApplication::postEvent(w.get(),
                                new UmEvent(Um::UM_SECTIONSCALE, 0, 2));
    QCoreApplication::sendPostedEvents();
    QCOMPARE(w->ValueRange(), std::make_pair(lo, hi));
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

  void CloseQueryCancelKeepsTheWindow() {
    test::MessageRecorder view;
    auto w = Window(&view, 4);
    w->show();
    ui_->script.Expect("SECTION #7", Answer::kCancel);
    QVERIFY(!w->close());
    QCoreApplication::sendPostedEvents();
    QVERIFY(ui_->script.AllExpectedShown());
    QCOMPARE(ui_->script.prompts()[0].text,
             std::string("Delete this SECTION ?"));
    QVERIFY(ui_->script.prompts()[0].buttons == Buttons::kYesNoCancel);
    QVERIFY(view.received.empty());
    QVERIFY(w->isVisible());
  }

  void SavesTheSectionAsStationsThatReadBack() {
    auto w = Window(nullptr);
    const QString chosen = Path("line.txt");
    QVERIFY(w->SaveSection(chosen));
    const QString saved = Path("line.int");
    const QByteArray first = test::ReadAll(saved);
    // An existing file is kept unless the user says otherwise ...
    ui_->script.Expect("Save Section", Answer::kNo);
    QVERIFY(!w->SaveSection(chosen));
    QCOMPARE(
        ui_->LastText(),
        saved.toStdString() + " already exists.\nDo you want to replace it?");
    QVERIFY(ui_->script.prompts().back().buttons == Buttons::kYesNo);
    QCOMPARE(test::ReadAll(saved), first);
    // ... and then replaced, not appended to.
    ui_->script.Expect("Save Section", Answer::kYes);
    QVERIFY(w->SaveSection(chosen));
    QCOMPARE(test::ReadAll(saved), first);
    QVERIFY(ui_->script.AllExpectedShown());
    // The stations read back at their places along the line.
    std::vector<SectionStation> back;
    QVERIFY(ReadBack(saved, back, ResultFileKind::kInt));
    QCOMPARE(back.size(), std::size_t{16});
    const auto& cols = w->plot()->model().columns();
    for (std::size_t i = 0; i < back.size(); ++i) {
      QVERIFY(std::fabs(back[i].x - 1000.0 * cols[i].position_km) < 0.06);
      QVERIFY(std::fabs(back[i].z - cols[i].elevation_m) < 0.06);
      // Thicknesses in km again, to the file's two decimals.
      QVERIFY(std::fabs(back[i].thickness[0] - cols[i].layers[1].top_km) <
              0.006);
    }
    // A folder that does not exist: the file-error text, nothing written.
    const std::string bad = Path("no/such/x").toStdString();
    ui_->script.Allow("CAN'T CREATE " + bad + ".int");
    QVERIFY(!w->SaveSection(QString::fromStdString(bad)));
    QCOMPARE(ui_->LastCaption(), "CAN'T CREATE " + bad + ".int");
    QVERIFY(!ui_->LastText().empty());
    QVERIFY(!QFileInfo::exists(QString::fromStdString(bad + ".int")));
    QVERIFY(ui_->script.unexpected().empty());
  }

  void OnePolarisationIsKeptThroughRedrawsAndSaved() {
    QVERIFY(ReadOnProfile(test::ExampleFile("15125A.trf")));
    auto w = Window(nullptr);
    // Each polarisation has its own name above its column.
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
    QVERIFY(w->SaveSection(Path("yx")));
    std::vector<SectionStation> back;
    QVERIFY(ReadBack(Path("yx.trf"), back, ResultFileKind::kTrf));
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

  void PicturesOfTheSizeAskedHoldTheTomographyOnce() {
    auto w = Window(nullptr);
    w->SetStyle({true, false, 6.0});
    // One embedded image of the cells, by either export.
    const QString svg = Path("t.svg");
    QString error;
    QVERIFY(w->plot()->Export(svg, QSize(1600, 900), &error));
    QVERIFY(w->SavePicture(Path("w.svg")));
    for (const QString& path : {svg, Path("w.svg")}) {
      const QByteArray text = test::ReadAll(path);
      QCOMPARE(text.count("<image"), 2);  // the cells and the colour bar
      QVERIFY2(text.size() < 4'000'000, qPrintable(path));
    }
    QVERIFY(w->SavePicture(Path("w.pdf")));
    const qint64 pdf = QFileInfo(Path("w.pdf")).size();
    QVERIFY(pdf > 1000 && pdf < 4'000'000);
    // The SVG's colours are the PNG's at the same places (not upside down).
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
    // The image lands exactly over the cells.
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

    // Pictures of the size asked for, a section without stations among them.
    const QString png = Path("s.png");
    QVERIFY(w->plot()->Export(png, QSize(1000, 560), &error));
    QCOMPARE(QImageReader(png).size(), QSize(1000, 560));
    QVERIFY(!w->plot()->Export(Path("s.bmp"), QSize(8, 5), &error));
    QVERIFY(error.contains("not known"));
    ui_->script.Allow("SAVE PICTURE");
    QVERIFY(!w->SavePicture(Path("no/such/w.png")));
    for (SectionStation& s : stations_) s.profile_position = -1.0;
    w = Window(nullptr);
    QVERIFY(w->plot()->model().columns().empty());
    QCOMPARE(w->ValueRange(), std::make_pair(1.0, 1000.0));
    w->tomography_action()->trigger();
    QVERIFY(w->plot()->image() == nullptr);
    QVERIFY(w->plot()->Export(png, QSize(300, 200), &error));
    QCOMPARE(QImageReader(png).size(), QSize(300, 200));
  }
};

[[maybe_unused]] const bool kRegistered = test::Register<SectionsTest>();

}  // namespace mtvuk

#include "sections_test.moc"
