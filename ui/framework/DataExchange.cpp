#include "ui/framework/DataExchange.h"

#include "platform/system/MessageBoxStyles.h"
#include "ui/framework/Dialog.h"
#include "ui/framework/MessageBox.h"

#include <climits>

namespace telmaq {

namespace {

const char* const kNotAnInteger = "整数を入力してください。";

std::string outOfRange(int lower, int upper)
{
    return std::to_string(lower) + " から " + std::to_string(upper) + " までの整数を入力してください。";
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Decimal digits with an optional sign, blanks around them allowed. What does not fit 32 bits
// is refused, so a long run of digits asks for an integer again instead of wrapping round to
// some other time.
bool parseInteger(const std::string& text, int& value)
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    const bool negative = begin < end && text[begin] == '-';
    if (begin < end && (text[begin] == '-' || text[begin] == '+'))
        ++begin;
    if (begin == end)
        return false;
    long long magnitude = 0;
    for (std::size_t i = begin; i < end; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude > static_cast<long long>(INT_MAX) + 1)
            return false;
    }
    const long long signedValue = negative ? -magnitude : magnitude;
    if (signedValue > INT_MAX)
        return false;
    value = static_cast<int>(signedValue);
    return true;
}

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

void DataExchange::number(int id, int& value)
{
    // Every int is in range: only text that is no integer fails.
    number(id, value, INT_MIN, INT_MAX);
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
    if (!parseInteger(m_dialog.GetDlgItemText(id), parsed)) {
        fail(id, kNotAnInteger);
        return;
    }
    if (parsed < lower || parsed > upper) {
        fail(id, outOfRange(lower, upper));
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
    m_dialog.GotoDlgCtrl(id);
}

} // namespace telmaq
