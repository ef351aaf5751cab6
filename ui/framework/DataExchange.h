#pragma once

#include <functional>
#include <string>
#include <vector>

namespace telmaq {

class Dialog;

// One pass of data exchange between a dialog's controls and its members, in the order the
// dialog's exchange table lists them. Saving reads the controls and validates; the first
// failure shows its message, puts the focus back on the failing edit and ends the pass, so
// the fields after it are not read. The members change only when the whole pass succeeds:
// a refused OK never leaves half of a time behind in them.
class DataExchange
{
public:
    DataExchange(Dialog& dialog, bool saveAndValidate);

    // True when reading the controls into the members, false when filling the controls.
    bool saving() const { return m_saving; }
    bool failed() const { return m_failed; }

    // Window text of the control <-> UTF-8 string.
    void text(int id, std::string& value);
    // Check state of a check box <-> flag.
    void check(int id, bool& value);
    // Decimal text of an edit <-> integer; text that is no integer fails the pass.
    void number(int id, int& value);
    // As above, and a value outside lower..upper fails the pass too.
    void number(int id, int& value, int lower, int upper);

    // Writes what a successful saving pass read into the members; UpdateData calls it.
    void commit();

private:
    void fail(int id, const std::string& message);

    Dialog& m_dialog;
    bool m_saving;
    bool m_failed = false;
    std::vector<std::function<void()>> m_writes;
};

} // namespace telmaq
