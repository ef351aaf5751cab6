#include "ui/framework/DataExchange.h"

#include "connection/DialWindow.h"
#include "ui/framework/Dialog.h"
#include "ui/framework/MessageBox.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QString>

namespace telmaq {

namespace {

const char* const kNotAnInteger = "整数を入力してください。";
const char* const kOutOfRange = "%1 から %2 までの整数を入力してください。";

} // namespace

DataExchange::DataExchange(Dialog& dialog, bool saveAndValidate) : m_dialog(dialog), m_saving(saveAndValidate) {}

void DataExchange::text(int id, std::string& value)
{
    if (m_failed)
        return;
    if (m_saving)
        m_writes.push_back([&value, read = m_dialog.GetDlgItemText(id)] { value = read; });
    else
        m_dialog.SetDlgItemText(id, value);
}

void DataExchange::check(int id, bool& value)
{
    if (m_failed)
        return;
    if (m_saving)
        m_writes.push_back([&value, read = m_dialog.IsDlgButtonChecked(id)] { value = read; });
    else
        m_dialog.CheckDlgButton(id, value);
}

bool DataExchange::readNumber(int id, int& parsed)
{
    bool ok = false;
    // toInt refuses what does not fit 32 bits, so a long run of digits asks for an integer
    // again instead of wrapping round to some other time.
    parsed = QString::fromStdString(m_dialog.GetDlgItemText(id)).trimmed().toInt(&ok);
    if (!ok)
        fail(id, kNotAnInteger);
    return ok;
}

void DataExchange::number(int id, int& value)
{
    if (m_failed)
        return;
    if (!m_saving) {
        m_dialog.SetDlgItemText(id, std::to_string(value));
        return;
    }
    int parsed = 0;
    if (readNumber(id, parsed))
        m_writes.push_back([&value, parsed] { value = parsed; });
}

void DataExchange::number(int id, int& value, int lower, int upper)
{
    if (m_failed)
        return;
    if (!m_saving) {
        m_dialog.SetDlgItemText(id, std::to_string(value));
        return;
    }
    int parsed = 0;
    if (!readNumber(id, parsed))
        return;
    if (parsed < lower || parsed > upper) {
        fail(id, QString::fromUtf8(kOutOfRange).arg(lower).arg(upper).toStdString());
        return;
    }
    m_writes.push_back([&value, parsed] { value = parsed; });
}

void DataExchange::commit()
{
    if (m_failed)
        return;
    for (const auto& write : m_writes)
        write();
    m_writes.clear();
}

void DataExchange::fail(int id, const std::string& message)
{
    m_failed = true;
    m_dialog.messageBoxes().messageBox(&m_dialog, message, kApplicationName, MB_ICONEXCLAMATION);
    if (auto* edit = qobject_cast<QLineEdit*>(m_dialog.GetDlgItem(id))) {
        edit->setFocus(Qt::OtherFocusReason);
        edit->selectAll();
    } else if (QWidget* control = m_dialog.GetDlgItem(id)) {
        control->setFocus(Qt::OtherFocusReason);
    }
}

} // namespace telmaq
