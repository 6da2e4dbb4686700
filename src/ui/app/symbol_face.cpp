#include "ui/app/symbol_face.h"

namespace mtvuk {

QString SymbolFace(const QString& text) {
  QString out;
  out.reserve(text.size());
  for (QChar c : text) {
    switch (c.unicode()) {
      case 's':
        out += QChar(0x03C3);
        break;
      case 'w':
        out += QChar(0x03C9);
        break;
      case 'e':
        out += QChar(0x03B5);
        break;
      case 'r':
        out += QChar(0x03C1);
        break;
      case 'p':
        out += QChar(0x03C0);
        break;
      case 'h':
        out += QChar(0x03B7);
        break;
      case 'd':
        out += QChar(0x03B4);
        break;
      case 'j':
        out += QChar(0x03C6);
        break;
      default:
        out += c;
    }
  }
  return out;
}

}  // namespace mtvuk
