#include "libvek2019.h"

static int s_Test = 0;

int libvek2019Test()
{
    return ++s_Test;
}

int unpack(char*, char*, int)
{
    return 0;
}
