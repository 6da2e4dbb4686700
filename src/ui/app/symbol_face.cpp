#include "ui/app/symbol_face.h"

namespace mtvuk {

QString SymbolFace(const QString& text) {
  // The letters of the face and the Greek letters they stand for.
  static const QString kLatin = "swerphdj";
  static const QString kGreek = QString::fromUtf8("σωερπηδφ");
  QString out = text;
  for (QChar& c : out) {
    const qsizetype i = kLatin.indexOf(c);
    if (i >= 0) c = kGreek[i];
  }
  return out;
}

}  // namespace mtvuk
