#include "app/StandInFont.h"

#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <stdexcept>
#include <string>

namespace orvel {
namespace {

// The font files built into the program (src/app/CMakeLists.txt).
constexpr const char* kStandInFiles[] = {":/fonts/DejaVuSansCondensed.ttf", ":/fonts/DejaVuSansCondensed-Bold.ttf"};
constexpr const char* kRequestedFamilies[] = {"Verdana", "Tahoma", "MS Sans Serif"};

// Windows draws some names in another family it names in the registry: the dialog font
// "MS Shell Dlg" in Microsoft Sans Serif, or in Tahoma under Wine. Such a name is listed
// among the families whether or not the one it stands for is there.
QString FamilyDrawnFor(const QString& family) {
  const QSettings substitutes(R"(HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows NT\CurrentVersion\FontSubstitutes)",
                              QSettings::NativeFormat);
  return substitutes.value(family, family).toString();
}

void StandInIfMissing(const QString& family, const QString& standIn, const QStringList& available) {
  if (!available.contains(FamilyDrawnFor(family), Qt::CaseInsensitive)) QFont::insertSubstitution(family, standIn);
}

}  // namespace

void StandInForMissingFontFamilies() {
  QString standIn;
  for (const char* file : kStandInFiles) {
    const int id = QFontDatabase::addApplicationFont(QString::fromLatin1(file));
    if (id < 0 || QFontDatabase::applicationFontFamilies(id).isEmpty()) {
      throw std::runtime_error(std::string("The font ") + file +
                               " built into the program cannot be loaded; the program was built wrongly.");
    }
    standIn = QFontDatabase::applicationFontFamilies(id).front();
  }
  const QStringList available = QFontDatabase::families();
  for (const char* family : kRequestedFamilies) StandInIfMissing(QString::fromLatin1(family), standIn, available);
  // Controls that take no font of their own, the boxes and the tooltips are drawn in the
  // platform's dialog font.
  StandInIfMissing(QGuiApplication::font().family(), standIn, available);
}

}  // namespace orvel
