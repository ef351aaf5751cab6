#include "ui/framework/qt/QtSortedComboBox.h"

#include <QLocale>

namespace telmaq {

QtSortedComboBox::QtSortedComboBox(QWidget* parent)
    : QComboBox(parent), m_collator(QLocale(QLocale::Japanese, QLocale::Japan))
{
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
    m_collator.setNumericMode(false);
}

bool QtSortedComboBox::lessThan(const QString& a, const QString& b) const
{
    const int order = m_collator.compare(a, b);
    if (order != 0)
        return order < 0;
    return QString::compare(a, b, Qt::CaseSensitive) < 0;
}

int QtSortedComboBox::addSortedItem(const QString& text)
{
    // Binary search for the first item that sorts after the new one.
    int low = 0;
    int high = count();
    while (low < high) {
        const int mid = (low + high) / 2;
        if (lessThan(text, itemText(mid)))
            high = mid;
        else
            low = mid + 1;
    }
    insertItem(low, text);
    return low;
}

int QtSortedComboBox::findStringExact(const QString& text) const
{
    for (int i = 0; i < count(); ++i) {
        if (QString::compare(itemText(i), text, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

int QtSortedComboBox::addSortedItem(const std::string& text)
{
    return addSortedItem(QString::fromStdString(text));
}

int QtSortedComboBox::findStringExact(const std::string& text) const
{
    return findStringExact(QString::fromStdString(text));
}

std::string QtSortedComboBox::itemTextAt(int index) const
{
    if (index < 0 || index >= count())
        return {};
    return itemText(index).toStdString();
}

} // namespace telmaq
