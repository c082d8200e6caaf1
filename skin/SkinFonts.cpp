#include "skin/SkinFonts.h"

#include <QStringList>

namespace kelm::skin {

namespace {

// DejaVu Sans is the last resort: it ships with practically every Linux
// system, so the fallback does not depend on fontconfig's guess.
QFont Font(const QStringList& faces, int pixelHeight, QFont::Weight weight) {
    QFont font;
    QStringList families = faces;
    families << QStringLiteral("DejaVu Sans");
    font.setFamilies(families);
    font.setPixelSize(pixelHeight);
    font.setWeight(weight);
    return font;
}

}  // namespace

QFont TitleFont() { return Font({QStringLiteral("Tahoma")}, 15, QFont::Bold); }

QFont TradeMarkFont() { return Font({QStringLiteral("Eurostile")}, 8, QFont::Normal); }

QFont MenuFont() { return Font({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")}, 14, QFont::Normal); }

}  // namespace kelm::skin
