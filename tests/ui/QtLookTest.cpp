// Qt's own windows inside the program: the file dialog, an edit's context menu and the message
// boxes read in Japanese, use the dialog font, put no icons on their buttons and show their
// texts as plain text.
#include "ui/ApplicationLook.h"
#include "ui/DialogFont.h"
#include "ui/DialogTemplates.h"
#include "ui/MessageBox.h"
#include "ui/WindowStyles.h"

#include "connection/DialWindow.h"

#include <QAbstractButton>
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
        if (hint == SH_DialogButtonBox_ButtonsHaveIcons)
            return 1;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
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

    static bool japanese(const QString& text)
    {
        for (QChar c : text) {
            if (c.unicode() >= 0x3000)
                return true;
        }
        return false;
    }
};

TEST_F(QtLook, FileDialogAndEditMenuReadInJapanese)
{
    QFileDialog files;
    files.setOption(QFileDialog::DontUseNativeDialog, true);
    files.setFileMode(QFileDialog::ExistingFile);
    for (const char* name : {"lookInLabel", "fileNameLabel", "fileTypeLabel"})
        EXPECT_TRUE(japanese(files.findChild<QLabel*>(QLatin1String(name))->text())) << name;
    const auto buttons = files.findChildren<QPushButton*>();
    ASSERT_FALSE(buttons.isEmpty());
    for (QPushButton* button : buttons)
        EXPECT_TRUE(button->text().isEmpty() || japanese(button->text())) << button->text().toStdString();

    QLineEdit edit(QStringLiteral("text"));
    std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
    for (QAction* action : menu->actions())
        EXPECT_TRUE(action->isSeparator() || japanese(action->text())) << action->text().toStdString();
}

TEST_F(QtLook, MessageBoxesShowNamesAsPlainTextInTheDialogFontWithPlainButtons)
{
    const std::string text = "「<b>x</b><img src=\"/etc/hostname\">」に接続されています";
    for (QWidget* owner : {static_cast<QWidget*>(nullptr), static_cast<QWidget*>(new QWidget)}) {
        std::unique_ptr<QWidget> ownerGoesLast(owner);
        QString shown;
        Qt::TextFormat format = Qt::AutoText;
        QStringList families;
        bool fixedPitch = true;
        int buttonsWithIcons = -1;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
            shown = label->text();
            format = label->textFormat();
            families = label->font().families();
            fixedPitch = QFontInfo(label->font()).fixedPitch();
            buttonsWithIcons = 0;
            for (QAbstractButton* button : box->buttons())
                buttonsWithIcons += button->icon().isNull() ? 0 : 1;
            box->accept();
        });
        watch.start(5);
        EXPECT_EQ(QtMessageBox().messageBox(owner, text, "telmaq", MB_ICONEXCLAMATION), IDOK);
        EXPECT_EQ(shown.toStdString(), text);
        EXPECT_EQ(format, Qt::PlainText);
        EXPECT_EQ(families, dialogFontFamilies(kDialogFontFace));
        EXPECT_FALSE(fixedPitch);
        EXPECT_EQ(buttonsWithIcons, 0);
    }
}

} // namespace
} // namespace telmaq
