// A host that reads one card and then crashes, for the crash report test.
#include <csignal>
#include <cstdio>

#include <pelorin/pelorin_api.h>

int main()
{
    guiInit();
    ID_TYPE type;
    IDCARD_INFO_ALL_CN cn;
    IDCARD_INFO_ALL_FOREIGN_2017 f2017;
    IDCARD_INFO_ALL_FOREIGN_NEW fnew;
    IDCARD_INFO_ALL_HMT hmt;
    std::string front, back;
    READ_RESULT result = readIDCard(&type, &cn, &f2017, &fnew, &hmt, &front, &back);
    printf("read result %d\n", result);
    fflush(stdout);
    raise(SIGSEGV);
    return 0;
}
