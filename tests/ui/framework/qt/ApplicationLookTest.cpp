#include "ui/framework/ApplicationLook.h"
#include "ui/dialogs/DialogTemplates.h"
#include "ui/framework/Dialog.h"
#include "ui/framework/qt/DialogFont.h"
#include "ui/framework/qt/QtMessageBox.h"

#include "fakes/MessageBoxRecorder.h"
#include "platform/system/MessageBoxStyles.h"
#include "ui/ModalWatcher.h"

#include <QtWidgets>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace telmaq::test {
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

// The look stays applied for the main window's tests after this one.
TEST(QtLook, FileDialogAndEditMenuReadInJapaneseAndMessageBoxesShowNamesAsPlainTextWithPlainButtons)
{
    QApplication::setStyle(new IconsOnButtonsStyle);
    applyApplicationLook(kDialogFontFace);
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
    // In the dialog font, not as rich text that would draw the markup in a name or load a file.
    const std::string text = "「<b>x</b><img src=\"/etc/hostname\">」に接続されています";
    for (const bool owned : {false, true}) {
        MessageBoxRecorder boxes;
        const std::unique_ptr<Dialog> owner(owned ? new Dialog(aboutDialogTemplate(), boxes) : nullptr);
        std::tuple<QString, Qt::TextFormat, QStringList, bool, int> seen;
        ModalWatcher watcher([&](QDialog* box) {
            auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
            const auto buttons = qobject_cast<QMessageBox*>(box)->buttons();
            seen = {label->text(), label->textFormat(), label->font().families(), QFontInfo(label->font()).fixedPitch(),
                    static_cast<int>(std::count_if(buttons.begin(), buttons.end(),
                                                   [](QAbstractButton* b) { return !b->icon().isNull(); }))};
            box->accept();
        });
        EXPECT_EQ(QtMessageBox().messageBox(owner.get(), text, "telmaq", MB_ICONEXCLAMATION), IDOK);
        EXPECT_EQ(seen, std::tuple(QString::fromStdString(text), Qt::PlainText, dialogFontFamilies(kDialogFontFace),
                                   false, 0));
    }
}

} // namespace
} // namespace telmaq::test
