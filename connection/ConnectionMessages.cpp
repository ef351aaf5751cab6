#include "connection/ConnectionMessages.h"

namespace telmaq {

const char* const kErrorBoxTitle = "telmaq - エラー";
const char* const kWarningBoxTitle = "telmaq - 警告";

void showErrorBox(IDialWindow& window, const std::string& text)
{
    if (window.state().m_bInteractive)
        window.messageBox(text, kErrorBoxTitle, MB_OK | MB_ICONEXCLAMATION);
}

void showWarningBox(IDialWindow& window, const std::string& text)
{
    if (window.state().m_bInteractive)
        window.messageBox(text, kWarningBoxTitle, MB_OK | MB_ICONINFORMATION);
}

} // namespace telmaq
