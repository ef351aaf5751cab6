#include "ui/framework/ApplicationLook.h"

#include "ui/framework/qt/DialogFont.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QProxyStyle>
#include <QTranslator>

namespace telmaq {

namespace {

// Some desktops' styles put stock icons on OK and Cancel; the program's own buttons carry
// text alone, and Qt's boxes should match them.
class PlainButtonsStyle : public QProxyStyle
{
public:
    // Wraps the style in use, so the desktop's look stays apart from this one hint.
    explicit PlainButtonsStyle(QStyle* desktopStyle) : QProxyStyle(desktopStyle) {}

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override
    {
        if (hint == SH_DialogButtonBox_ButtonsHaveIcons)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

} // namespace

void applyApplicationLook(const char* dialogFontFace)
{
    auto& app = *qApp;
    // Without the translation Qt's texts stay English; the program still works then.
    auto* translator = new QTranslator(&app);
    if (translator->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(translator);
    else
        delete translator;

    // Boxes without an owner take the application's font; fontconfig's own default would
    // otherwise pick whatever it maps first, a fixed-pitch face on a bare system.
    QApplication::setFont(dialogFont(dialogFontFace, 9));
    QApplication::setStyle(new PlainButtonsStyle(QApplication::style()));
}

} // namespace telmaq
