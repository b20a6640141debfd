// SPDX-License-Identifier: Apache-2.0
#include "gui_platform.h"

#include <cstdlib>

void preferOffscreenWithoutDisplay()
{
    if (!getenv("DISPLAY") && !getenv("WAYLAND_DISPLAY") && !getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
}
