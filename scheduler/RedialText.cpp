#include "scheduler/RedialText.h"

#include <cstdio>

namespace telmaq {

std::string FormatRedialText(bool redial, std::int32_t waitSeconds, std::int32_t tries)
{
    if (!redial)
        return "【リダイヤルなし】";
    char text[96];
    std::snprintf(text, sizeof text, "【リダイヤルあり】\n %d分 %d秒 / %d回", static_cast<int>(waitSeconds / 60),
                  static_cast<int>(waitSeconds % 60), static_cast<int>(tries));
    return text;
}

} // namespace telmaq
