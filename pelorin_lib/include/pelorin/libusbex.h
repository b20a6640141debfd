// SPDX-License-Identifier: Apache-2.0
// CLibUsbEx: opens and claims one USB card reader through libusb-1.0 and keeps
// the device handle for the reader protocol.
#pragma once

#include <libusb-1.0/libusb.h>
#include <cstdint>

#include "pelorin_api.h"

// How far the device has been acquired, which is what the destructor undoes.
typedef enum _tagOPERATE_STATE : int {
    INIT_OK = 0,
    OPEN_OK = 1,
    REGISTER_OK = 2,
} OPERATE_STATE;

class CLibUsbEx {
public:
    CLibUsbEx(unsigned short vid, unsigned short pid);
    ~CLibUsbEx();
    CLibUsbEx(const CLibUsbEx&) = delete;
    CLibUsbEx& operator=(const CLibUsbEx&) = delete;

    bool open(unsigned short vid, unsigned short pid);
    // Searches and opens the device; a null result leaves its reason in
    // m_einitErrorType.
    libusb_device_handle* libusb_open_device_with_vid_pid_ex(libusb_context* ctx,
                                                             uint16_t vendor_id,
                                                             uint16_t product_id);
    READ_RESULT getLibUsbInitErrorType();

protected:
    libusb_context* m_ctx = nullptr;
    int m_pid;
    int m_vid;
    libusb_device_handle* m_hdev = nullptr;
    READ_RESULT m_einitErrorType = DEV_INIT_OK;
    OPERATE_STATE m_eOperateState = INIT_OK;
};
