#include "ui/framework/SortedComboBox.h"

#include <QLocale>

namespace telmaq {

SortedComboBox::SortedComboBox(QWidget* parent)
    : QComboBox(parent), m_collator(QLocale(QLocale::Japanese, QLocale::Japan))
{
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
    m_collator.setNumericMode(false);
}

bool SortedComboBox::lessThan(const QString& a, const QString& b) const
{
    const int order = m_collator.compare(a, b);
    if (order != 0)
        return order < 0;
    return QString::compare(a, b, Qt::CaseSensitive) < 0;
}

int SortedComboBox::addSortedItem(const QString& text)
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

int SortedComboBox::findStringExact(const QString& text) const
{
    for (int i = 0; i < count(); ++i) {
        if (QString::compare(itemText(i), text, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

} // namespace telmaq
