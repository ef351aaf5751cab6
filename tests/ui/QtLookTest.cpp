// Qt's own windows inside the program: the file dialog, an edit's context menu and the message
// boxes read in Japanese, use the dialog font, put no icons on their buttons and show their
// texts as plain text.
#include "ui/ApplicationLook.h"
#include "ui/DialogFont.h"
#include "ui/DialogTemplates.h"
#include "ui/MessageBox.h"
#include "ui/WindowStyles.h"

#include "connection/DialWindow.h"

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QProxyStyle>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>

namespace telmaq {
namespace {

// A desktop whose style puts stock icons on dialog buttons, as several do.
class IconsOnButtonsStyle : public QProxyStyle
{
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override
    {
        return hint == SH_DialogButtonBox_ButtonsHaveIcons ? 1
                                                           : QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

class QtLook : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        QApplication::setStyle(new IconsOnButtonsStyle);
        applyApplicationLook(*static_cast<QApplication*>(QCoreApplication::instance()));
    }
};

TEST_F(QtLook, FileDialogAndEditMenuReadInJapanese)
{
    QFileDialog files;
    files.setOption(QFileDialog::DontUseNativeDialog, true);
    files.setFileMode(QFileDialog::ExistingFile);
    QStringList texts;
    for (const char* name : {"lookInLabel", "fileNameLabel", "fileTypeLabel"})
        texts << files.findChild<QLabel*>(QLatin1String(name))->text();
    for (QPushButton* button : files.findChildren<QPushButton*>())
        texts << button->text();
    QLineEdit edit(QStringLiteral("text"));
    std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
    for (QAction* action : menu->actions())
        texts << action->text();
    for (const QString& text : texts) // empty for separators and icon-only buttons
        EXPECT_TRUE(text.isEmpty() ||
                    std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() >= 0x3000; }))
            << text.toStdString();
}

TEST_F(QtLook, MessageBoxesShowNamesAsPlainTextInTheDialogFontWithPlainButtons)
{
    const std::string text = "「<b>x</b><img src=\"/etc/hostname\">」に接続されています";
    for (const bool owned : {false, true}) {
        const std::unique_ptr<QWidget> owner(owned ? new QWidget : nullptr);
        std::tuple<QString, Qt::TextFormat, QStringList, bool, int> seen;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
            const auto buttons = box->buttons();
            seen = {label->text(), label->textFormat(), label->font().families(), QFontInfo(label->font()).fixedPitch(),
                    static_cast<int>(std::count_if(buttons.begin(), buttons.end(),
                                                   [](QAbstractButton* b) { return !b->icon().isNull(); }))};
            box->accept();
        });
        watch.start(5);
        EXPECT_EQ(QtMessageBox().messageBox(owner.get(), text, "telmaq", MB_ICONEXCLAMATION), IDOK);
        EXPECT_EQ(seen, std::tuple(QString::fromStdString(text), Qt::PlainText, dialogFontFamilies(kDialogFontFace),
                                   false, 0));
    }
}

} // namespace
} // namespace telmaq
