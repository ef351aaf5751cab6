#pragma once

#include "connection/DialWindow.h"

#include <string>

namespace telmaq {

// The main window as the once-a-second tick sees it: what the connect and disconnect
// procedures already need, plus the entry list, the check marks of the entries sub-menu, the
// push of the members into the controls and the window's own Connect and Disconnect. The Qt
// main window implements it; tests implement it with a fake.
class ITickWindow : public IDialWindow
{
public:
    // Number of items in the entry list.
    virtual int entryCount() const = 0;
    // Text of item index as the list holds it; empty for an index out of range.
    virtual std::string entryText(int index) const = 0;
    // Index of the first item whose whole text equals name, ignoring letter case, searching
    // from the top; -1 when there is none.
    virtual int findEntryExact(const std::string& name) const = 0;
    // Index of the selected item, -1 when none is selected.
    virtual int currentEntry() const = 0;
    // Selects item index as the list control's own selection call does: the window's
    // selection handler does not run, so nothing is written to the default entry.
    virtual void selectEntry(int index) = 0;

    // Sets or clears the check mark of the item at position in the entries sub-menu.
    virtual void checkEntryMenuItem(int position, bool checked) = 0;

    // Data exchange: true pulls the controls into the members, false pushes the members into
    // the controls. Answers false when a pulled value does not validate.
    virtual bool UpdateData(bool saveAndValidate) = 0;

    // The window's connect and disconnect procedures, run with whatever state() holds; the
    // caller sets and clears the busy flags around them.
    virtual void Connect() = 0;
    virtual void Disconnect() = 0;
};

} // namespace telmaq
