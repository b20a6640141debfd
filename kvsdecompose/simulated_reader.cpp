#include "kvsdecompose.h"

int KVS_OpenPort(int) { return KVS_OK; }
int KVS_FindIDCard(int) { return KVS_OK; }
int KVS_ReadIDCard(int, CardInfoStruct*, unsigned char*, unsigned int*, unsigned char*, unsigned int*, int)
{
    return KVS_OK;
}
int KVS_ClosePort(int) { return KVS_OK; }
