#include "dialup/DialupLists.h"
