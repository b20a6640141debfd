#include "DecodeFault.h"

int DecodeFault = 0;
