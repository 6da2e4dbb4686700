// Section pictures without a person: "mtvuk --export-section" and the
// section windows of --screenshots.
#pragma once

#include <QDir>

#include "core/store/workspace.h"
#include "ui/app/qt_ui.h"

namespace mtvuk {

// The Qt message handler of pictures made without a person: real
// problems only, as "mtvuk: text" on standard error.
void PictureMessages(QtMsgType type,
                     const QMessageLogContext& context,
                     const QString& text);

// True when the command line asks for --export-section.
bool AsksForSectionExport(int argc, char** argv);

// mtvuk --export-section FILE [--profile auto|X0,Y0,X1,Y1]
// [--logging|--tomography] [--palette 0..3] [--depth-max KM] [--log-depth]
// --out OUT.png|pdf|svg [--size WxH]: draws the section offscreen and
// writes the picture. Returns the exit status (1 with the reason on
// standard error).
int ExportSectionMain(int argc, char** argv);

// section-logging.png and section-tomography.png: the example profile on
// its automatic profile, as the section window shows it.
bool PictureSectionWindows(Stores& stores, QtUi& ui, const QDir& dir);

}  // namespace mtvuk
