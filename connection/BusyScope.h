#pragma once

namespace telmaq {

// Sets a busy flag of the main window for the life of a block and clears it however the
// block is left, so that no early return or exception leaves the window busy for good.
class BusyScope
{
public:
    explicit BusyScope(bool& flag) : m_flag(flag) { m_flag = true; }
    ~BusyScope() { m_flag = false; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    bool& m_flag;
};

} // namespace telmaq
