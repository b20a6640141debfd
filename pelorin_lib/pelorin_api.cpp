#include "pelorin_api.h"

bool gHasInited = false;
bool gHasRegisterSignal = false;
QGuiApplication* theApp = nullptr;

std::string getSDKVersion()
{
    return "version:1.5.5";
}
