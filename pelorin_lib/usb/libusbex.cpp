// SPDX-License-Identifier: Apache-2.0
#include "libusbex.h"

#include "usb_device.h"

#include <QDebug>

CLibUsbEx::CLibUsbEx(unsigned short vid, unsigned short pid) : m_pid(pid), m_vid(vid)
{
    const int rc = libusb_init(&m_ctx);
    if (rc < 0) {
        qDebug("libusb_init() failed: %s", libusb_error_name(rc));
        // No context exists, so the destructor must not exit one.
        m_ctx = nullptr;
        m_einitErrorType = INIT_DEV_FAIL;
        return;
    }
    m_eOperateState = INIT_OK;
    if (!open(vid, pid))
        qDebug("open usb failed!");
    else
        m_einitErrorType = DEV_INIT_OK;
}

CLibUsbEx::~CLibUsbEx()
{
    if (m_eOperateState == REGISTER_OK) {
        libusb_release_interface(m_hdev, 0);
        m_eOperateState = OPEN_OK;
    }
    if (m_eOperateState == OPEN_OK) {
        libusb_close(m_hdev);
        m_hdev = nullptr;
        m_eOperateState = INIT_OK;
    }
    if (m_eOperateState == INIT_OK && m_ctx != nullptr)
        libusb_exit(m_ctx);
}

bool CLibUsbEx::open(unsigned short vid, unsigned short pid)
{
    Q_ASSERT(vid==m_vid && pid==m_pid);
    m_hdev = libusb_open_device_with_vid_pid_ex(m_ctx, vid, pid);
    if (m_hdev == nullptr) {
        qDebug("libusb_open_device_with_vid_pid() failed");
        return false;
    }
    m_eOperateState = OPEN_OK;

    // A reader that cannot be claimed or reset is closed again.
    const auto giveUp = [this](const char* call, int rc, READ_RESULT error) {
        libusb_close(m_hdev);
        m_hdev = nullptr;
        m_eOperateState = INIT_OK;
        qDebug("%s failed: %s", call, libusb_error_name(rc));
        m_einitErrorType = error;
        return false;
    };
    int rc = usb::claimReader(m_hdev);
    if (rc != 0)
        return giveUp("libusb_claim_interface", rc, DEV_REGISTER_FAIL);
    rc = libusb_reset_device(m_hdev);
    if (rc != 0)
        return giveUp("libusb_reset_device", rc, DEV_RESET_FAIL);
    qDebug("open usb device success!");
    m_eOperateState = REGISTER_OK;
    return true;
}

libusb_device_handle* CLibUsbEx::libusb_open_device_with_vid_pid_ex(libusb_context* ctx,
                                                                     uint16_t vendor_id,
                                                                     uint16_t product_id)
{
    const usb::Search search = usb::openFirst(ctx, vendor_id, product_id);
    switch (search.outcome) {
    case usb::Search::NoList:
        qDebug("libusb_get_device_list fail!");
        m_einitErrorType = GET_DEV_LIST_FAIL;
        break;
    case usb::Search::BadDescriptor:
        qDebug("libusb_get_device_descriptor(%d) fail!", search.position);
        m_einitErrorType = GET_DEV_DESC_FAIL;
        break;
    case usb::Search::NotFound:
        m_einitErrorType = DEV_NOT_FOUND;
        break;
    case usb::Search::OpenFailed:
        qDebug("found usb device!");
        qDebug("failed to open device");
        qDebug() << libusb_error_name(search.code) << search.code;
        qDebug("failed to open device: %s(%d)", libusb_error_name(search.code), search.code);
        m_einitErrorType = search.code == LIBUSB_ERROR_ACCESS ? ACCESS_DEV_ERROR : OPEN_DEV_FAIL;
        break;
    case usb::Search::Opened:
        qDebug("found usb device!");
        break;
    }
    return search.handle;
}

READ_RESULT CLibUsbEx::getLibUsbInitErrorType()
{
    return m_einitErrorType;
}
