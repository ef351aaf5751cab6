#include "ui/framework/MessageBox.h"

#include "connection/DialWindow.h"
#include "ui/framework/WindowStyles.h"

#include <QMessageBox>
#include <QPointer>

namespace telmaq {

const char* const kApplicationName = "telmaq";

int QtMessageBox::messageBox(QWidget* owner, const std::string& text, const std::string& title, unsigned style)
{
    // The icon bits sit in 0xF0; a box without any gets the exclamation mark, as the
    // framework's own boxes always did.
    QMessageBox::Icon icon = QMessageBox::Warning;
    if ((style & 0xF0) == MB_ICONINFORMATION)
        icon = QMessageBox::Information;
    QPointer<QMessageBox> box =
        new QMessageBox(icon, QString::fromStdString(title), QString::fromStdString(text), QMessageBox::Ok, owner);
    box->setAttribute(Qt::WA_DeleteOnClose, false);
    // Texts carry names from the phonebook and from other programs' profiles: never markup.
    box->setTextFormat(Qt::PlainText);
    box->exec();
    // The owner may have gone while the box ran its own loop; the box went with it then.
    delete box.data();
    return IDOK;
}

} // namespace telmaq
