#pragma once

#include "tools/ToolRun.h"

namespace telmaq::test {
using DialupToolTest = ToolTest;
} // namespace telmaq::test
