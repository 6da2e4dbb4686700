// Pages and picture files of a graph: printing, print preview and the
// pictures that "Save Image" writes (SVG, PDF, PNG). A page has a title line
// (program, stations and modes, date) above the graph, which fills the rest
// of the page and keeps its proportions.
#pragma once

#include <QDate>
#include <QString>

#include "ui/graph/graph_picture.h"

class QPrinter;

namespace mtvuk {

// The filter of "Save Image" for the file dialog (the text of the program's
// metafile filter, adapted to the types written here).
inline constexpr char kPictureFilter[] =
    "Scalable Vector Graphics (*.SVG)|*.SVG|Portable Document Format "
    "(*.PDF)|*.PDF|Portable Network Graphics (*.PNG)|*.PNG||";

// "MT-VUK   15125A  XY, YX   2026-12-06".
QString TitleLine(const GraphPicture& graph, const QDate& date);

// Draws the page: the title line at the top of `page`, the graph below it,
// as large as fits with its proportions. Coordinates are pixels of a device
// with the resolution of the screen.
void PaintGraphPage(QCPPainter& painter,
                    const QRectF& page,
                    GraphPicture& graph,
                    const QString& title_line);

// The size of a picture file of the graph: the graph and its title line.
QSize PicturePageSize(GraphPicture& graph);

// Writes the graph with its title line to `path`; the type follows the
// extension (.svg, .pdf, .png, in any letter case). False with the reason
// in `error` when the type is not known or the file cannot be written.
bool SaveGraphPicture(GraphPicture& graph,
                      const QString& path,
                      const QString& title_line,
                      QString* error);

// Prints the graph on one page of `printer`; false when the printer cannot
// be started.
bool PrintGraph(GraphPicture& graph,
                QPrinter& printer,
                const QString& title_line);

}  // namespace mtvuk
