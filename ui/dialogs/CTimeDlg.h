#pragma once

#include "ui/framework/Dialog.h"
#include "ui/framework/UpDownControl.h"

#include <string>

namespace telmaq {

// Asks for a time of day as hours, minutes and seconds, each with up-down arrows. The caller
// sets the caption and the three values, runs it modally and reads the values back on IDOK.
class CTimeDlg : public Dialog
{
public:
    explicit CTimeDlg(IMessageBox& messageBoxes, Dialog* owner = nullptr);

    std::string m_strCaption;
    int m_nHour = 0;
    int m_nMinute = 0;
    int m_nSecond = 0;

protected:
    bool OnInitDialog() override;
    void DoDataExchange(DataExchange& dx) override;

private:
    UpDownControl* m_spinHour;
    UpDownControl* m_spinMinute;
    UpDownControl* m_spinSecond;
};

} // namespace telmaq
