#pragma once

#include "connection/DialDlgState.h"
#include "platform/system/Clock.h"

namespace telmaq {

class ITickWindow;

// The seven weekday check boxes as a mask, bit 0 for Sunday up to bit 6 for Saturday, the
// same numbering as the broken-down local time's day of the week.
unsigned WeekdayMask(const DialDlgState& state);

// Whether the mask selects the given day of the week (0 = Sunday); days out of range never are.
bool isDaySelected(unsigned mask, int weekday);

// Whether any of the five busy flags is set: a time-setting dialog, the About box or the file
// dialog is open, or a connect or disconnect runs. The clock leaves the line alone then.
bool anyBusyFlag(const DialDlgState& state);

// The scheduled connect and disconnect: with automatic connection on and nothing busy, runs
// Connect when the local time is the connect time to the second on a selected weekday, else
// Disconnect when automatic disconnection is on and it is the disconnect time (any day).
// Missed seconds are not made up: only the one time read here counts.
void runScheduledConnectAndDisconnect(ITickWindow& window, const IClock& clock);

} // namespace telmaq
