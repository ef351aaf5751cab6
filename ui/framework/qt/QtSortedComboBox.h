#pragma once

#include "ui/framework/SortedComboBox.h"

#include <QCollator>
#include <QComboBox>

namespace telmaq {

// The sorted drop-down list on Qt: the collation comes from QCollator with the Japanese locale.
class QtSortedComboBox : public QComboBox, public SortedComboBox
{
    Q_OBJECT

public:
    explicit QtSortedComboBox(QWidget* parent = nullptr);

    int addSortedItem(const QString& text);
    int findStringExact(const QString& text) const;

    int addSortedItem(const std::string& text) override;
    int findStringExact(const std::string& text) const override;
    int itemCount() const override { return count(); }
    std::string itemTextAt(int index) const override;
    int selectedIndex() const override { return currentIndex(); }
    void selectIndex(int index) override { setCurrentIndex(index); }
    void setRedraw(bool redraw) override { setUpdatesEnabled(redraw); }

private:
    bool lessThan(const QString& a, const QString& b) const;

    QCollator m_collator;
};

} // namespace telmaq
