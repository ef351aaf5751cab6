#include "dialup/RasErrorText.h"
