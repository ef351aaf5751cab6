#include "ui/framework/qt/QtMessageBox.h"

#include "platform/system/MessageBoxStyles.h"
#include "ui/framework/WindowStyles.h"
#include "ui/framework/qt/DialogWindow.h"

#include <QMessageBox>
#include <QPointer>

namespace telmaq {

int QtMessageBox::messageBox(Dialog* owner, const std::string& text, const std::string& title, unsigned style)
{
    // The icon bits sit in 0xF0; a box without any gets the exclamation mark, as the
    // framework's own boxes always did.
    QMessageBox::Icon icon = QMessageBox::Warning;
    if ((style & 0xF0) == MB_ICONINFORMATION)
        icon = QMessageBox::Information;
    QPointer<QMessageBox> box = new QMessageBox(icon, QString::fromStdString(title), QString::fromStdString(text),
                                                QMessageBox::Ok, owner ? qtWindow(*owner) : nullptr);
    box->setAttribute(Qt::WA_DeleteOnClose, false);
    // Texts carry names from the phonebook and from other programs' profiles: never markup.
    box->setTextFormat(Qt::PlainText);
    box->exec();
    // The owner may have gone while the box ran its own loop; the box went with it then.
    delete box.data();
    return IDOK;
}

} // namespace telmaq
