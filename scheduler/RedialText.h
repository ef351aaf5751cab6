#pragma once

#include <cstdint>
#include <string>

namespace telmaq {

// The redial description shown beside the entry list: "【リダイヤルあり】" over the wait in
// minutes and seconds and the number of tries when redial is on, "【リダイヤルなし】" when off.
std::string FormatRedialText(bool redial, std::int32_t waitSeconds, std::int32_t tries);

} // namespace telmaq
