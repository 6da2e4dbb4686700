// Texts written for a Greek symbol face, shown with the Greek letters a user
// of that face saw.
#pragma once

#include <QString>

namespace mtvuk {

// s, w, e, r, p, h, d and j become sigma, omega, epsilon, rho, pi, eta,
// delta and phi; every other character stays.
QString SymbolFace(const QString& text);

}  // namespace mtvuk
