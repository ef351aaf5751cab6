#pragma once

#include "ui/framework/UpDownControl.h"

#include "ui/framework/win32/WinApi.h"

namespace telmaq {

// The common controls' up-down control over its buddy edit.
class Win32UpDownControl : public UpDownControl
{
public:
    explicit Win32UpDownControl(HWND upDown) : m_upDown(upDown) {}

    void setRange(int lower, int upper) override;
    int lower() const override;
    int upper() const override;
    void stepBy(int delta) override;

private:
    HWND m_upDown;
};

} // namespace telmaq
