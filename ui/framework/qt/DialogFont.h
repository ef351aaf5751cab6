#pragma once

#include <QFont>
#include <QRect>
#include <QSize>
#include <QStringList>

#include <string>

namespace telmaq {

// The families a dialog font falls back through: the template's face first, then the names
// fontconfig actually knows for it and its look-alikes (fontconfig does not map the Japanese
// face name, so IPAPGothic must follow it).
QStringList dialogFontFamilies(const std::string& face);

// The template's face at its point size, with the fallbacks above.
QFont dialogFont(const std::string& face, int pointSize);

// The dialog's base units in pixels: the font's average character width and its height.
// A horizontal dialog unit is a quarter of the width, a vertical one an eighth of the height.
QSize dialogBaseUnits(const QFont& font);

// A rectangle in dialog units turned into pixels with the base units; each of x, y, width and
// height is scaled on its own and rounded to the nearest pixel.
QRect dialogUnitsToPixels(const QRect& units, const QSize& baseUnits);

} // namespace telmaq
