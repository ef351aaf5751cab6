#pragma once

#include "platform/history/SqliteHistory.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace telmaq::dialuptool {

// text as a JSON string, quotes included, appended to out.
void appendJsonString(std::string& out, const std::string& text);

// One JSON object per row, one per line, as `history --json` prints them.
void printHistoryJson(std::ostream& out, const std::vector<HistoryRow>& rows);

} // namespace telmaq::dialuptool
