#pragma once

namespace telmaq {

class ITickWindow;
class SystemDialupSettings;

// Follows the system's redial settings: when any of them differs from the window's copy, the
// copy and its description are renewed and pushed into the controls. The controls are left
// alone while nothing has changed.
void watchRedialSettings(ITickWindow& window, SystemDialupSettings& settings);

} // namespace telmaq
