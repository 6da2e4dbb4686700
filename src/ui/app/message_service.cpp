#include "ui/app/message_service.h"

#include <QApplication>
#include <QMessageBox>

namespace mtvuk {
namespace {

QMessageBox::StandardButton ToQt(Answer answer) {
  switch (answer) {
    case Answer::kOk:
      return QMessageBox::Ok;
    case Answer::kCancel:
      return QMessageBox::Cancel;
    case Answer::kYes:
      return QMessageBox::Yes;
    case Answer::kNo:
      return QMessageBox::No;
  }
  return QMessageBox::Ok;
}

}  // namespace

Answer ShowMessageBox(std::string_view text,
                      std::string_view caption,
                      Icon icon,
                      Buttons buttons,
                      Answer default_button) {
  QMessageBox box(QApplication::activeWindow());
  box.setWindowTitle(
      QString::fromUtf8(caption.data(), static_cast<int>(caption.size())));
  box.setText(QString::fromUtf8(text.data(), static_cast<int>(text.size())));
  switch (icon) {
    case Icon::kStop:
      box.setIcon(QMessageBox::Critical);
      break;
    case Icon::kExclamation:
      box.setIcon(QMessageBox::Warning);
      break;
    case Icon::kQuestion:
      box.setIcon(QMessageBox::Question);
      break;
    case Icon::kInformation:
      box.setIcon(QMessageBox::Information);
      break;
  }
  switch (buttons) {
    case Buttons::kOk:
      box.setStandardButtons(QMessageBox::Ok);
      break;
    case Buttons::kOkCancel:
      box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
      break;
    case Buttons::kYesNo:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      break;
    case Buttons::kYesNoCancel:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No |
                             QMessageBox::Cancel);
      break;
  }
  box.setDefaultButton(ToQt(default_button));
  switch (box.exec()) {
    case QMessageBox::Yes:
      return Answer::kYes;
    case QMessageBox::No:
      return Answer::kNo;
    case QMessageBox::Cancel:
      return Answer::kCancel;
    case QMessageBox::Ok:
      return Answer::kOk;
    default:
      // Closing the box with Esc or its title bar counts as its escape answer.
      return buttons == Buttons::kOk      ? Answer::kOk
             : buttons == Buttons::kYesNo ? Answer::kNo
                                          : Answer::kCancel;
  }
}

void ShowAbout(QWidget* parent) {
  QMessageBox::about(
      parent,
      QStringLiteral("About MT-VUK"),
      QStringLiteral(
          "<h3>MT-VUK %1</h3>"
          "<p>A workstation for one-dimensional interpretation of "
          "magnetotelluric soundings.</p>"
          "<p>Licence: GNU General Public License, version 3 or later. "
          "MT-VUK comes with no warranty.</p>"
          "<p>Built with Qt %2 and QCustomPlot.</p>")
          .arg(QStringLiteral(MTVUK_VERSION), QString::fromLatin1(qVersion())));
}

}  // namespace mtvuk
