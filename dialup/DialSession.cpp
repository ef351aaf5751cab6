#include "dialup/DialSession.h"
