#include "dialup/SystemDialupSettings.h"
