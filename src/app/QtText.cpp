#include "app/QtText.h"

#include <QList>

namespace orvel {

std::u32string CodePoints(const QString& text) {
  const QList<uint> ucs4 = text.toUcs4();
  return std::u32string(ucs4.cbegin(), ucs4.cend());
}

}  // namespace orvel
