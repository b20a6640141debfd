// SPDX-License-Identifier: Apache-2.0
#include "DecodeFault.h"

int DecodeFault = 0;
