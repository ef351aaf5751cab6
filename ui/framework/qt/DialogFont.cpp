#include "ui/framework/qt/DialogFont.h"

#include <QFontMetrics>

namespace telmaq {

namespace {

// a * b / c rounded half away from zero, as the desktop's dialog-unit mapping rounds.
int mulDiv(int a, int b, int c)
{
    const long long product = static_cast<long long>(a) * b;
    const long long half = c / 2;
    return static_cast<int>(product >= 0 ? (product + half) / c : (product - half) / c);
}

} // namespace

QStringList dialogFontFamilies(const std::string& face)
{
    QStringList families;
    if (!face.empty())
        families << QString::fromStdString(face);
    for (const char* fallback : {"MS PGothic", "IPAPGothic", "Noto Sans CJK JP"}) {
        if (!families.contains(QLatin1String(fallback)))
            families << QLatin1String(fallback);
    }
    return families;
}

QFont dialogFont(const std::string& face, int pointSize)
{
    QFont font;
    const QStringList families = dialogFontFamilies(face);
    font.setFamilies(families);
    font.setPointSize(pointSize > 0 ? pointSize : 9);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

QSize dialogBaseUnits(const QFont& font)
{
    // The same measure the desktop uses: the mean advance of the 52 Latin letters, rounded.
    const QFontMetrics metrics(font);
    const int letters =
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    const int width = (letters / 26 + 1) / 2;
    return QSize(qMax(1, width), qMax(1, metrics.height()));
}

QRect dialogUnitsToPixels(const QRect& units, const QSize& baseUnits)
{
    return QRect(mulDiv(units.x(), baseUnits.width(), 4), mulDiv(units.y(), baseUnits.height(), 8),
                 mulDiv(units.width(), baseUnits.width(), 4), mulDiv(units.height(), baseUnits.height(), 8));
}

} // namespace telmaq
