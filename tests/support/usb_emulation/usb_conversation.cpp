// SPDX-License-Identifier: Apache-2.0
#include "usb_conversation.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

constexpr uint32_t kLinkTypeUsbLinuxMmapped = 220;
constexpr uint8_t kTransferBulk = 3;
constexpr int kStatusInProgress = -EINPROGRESS;

// The 64-byte usbmon header of each captured event (Linux usbmon "mmapped" format).
#pragma pack(push, 1)
struct UsbmonHeader {
    uint64_t id;
    uint8_t type;
    uint8_t transferType;
    uint8_t endpoint;
    uint8_t devnum;
    uint16_t busnum;
    uint8_t flagSetup;
    uint8_t flagData;
    int64_t tsSec;
    int32_t tsUsec;
    int32_t status;
    uint32_t length;
    uint32_t lenCap;
    uint8_t setup[8];
    int32_t interval;
    int32_t startFrame;
    uint32_t xferFlags;
    uint32_t ndesc;
};
#pragma pack(pop)
static_assert(sizeof(UsbmonHeader) == 64, "usbmon header is 64 bytes");

void put32(FILE* f, uint32_t v) { std::fwrite(&v, 4, 1, f); }
void put16(FILE* f, uint16_t v) { std::fwrite(&v, 2, 1, f); }

}  // namespace

void UsbConversation::addEvent(char type, uint8_t endpoint, int status, uint32_t length,
                               const Bytes& data)
{
    UsbmonHeader h{};
    h.id = m_urbId;
    h.type = uint8_t(type);
    h.transferType = kTransferBulk;
    h.endpoint = endpoint;
    h.devnum = m_devnum;
    h.busnum = m_busnum;
    h.flagSetup = '-';
    h.flagData = data.empty() ? (type == 'S' ? '<' : '>') : 0;  // 0: data follows
    h.tsSec = 1000 + long(m_packets.size());
    h.status = status;
    h.length = length;
    h.lenCap = uint32_t(data.size());
    Bytes packet(sizeof h);
    std::memcpy(packet.data(), &h, sizeof h);
    packet.insert(packet.end(), data.begin(), data.end());
    m_packets.push_back(std::move(packet));
}

void UsbConversation::hostSends(uint8_t endpoint, const Bytes& data)
{
    addEvent('S', endpoint, kStatusInProgress, uint32_t(data.size()), data);
    addEvent('C', endpoint, 0, uint32_t(data.size()), {});
    ++m_urbId;
}

void UsbConversation::hostSendFails(uint8_t endpoint, const Bytes& data, int status)
{
    addEvent('S', endpoint, kStatusInProgress, uint32_t(data.size()), data);
    addEvent('C', endpoint, status, 0, {});
    ++m_urbId;
}

void UsbConversation::deviceAnswers(uint8_t endpoint, uint32_t requested, const Bytes& data)
{
    addEvent('S', endpoint, kStatusInProgress, requested, {});
    addEvent('C', endpoint, 0, uint32_t(data.size()), data);
    ++m_urbId;
}

void UsbConversation::deviceFails(uint8_t endpoint, uint32_t requested, int status)
{
    addEvent('S', endpoint, kStatusInProgress, requested, {});
    addEvent('C', endpoint, status, 0, {});
    ++m_urbId;
}

bool UsbConversation::writePcap(const std::string& path) const
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr)
        return false;
    put32(f, 0xa1b2c3d4);
    put16(f, 2);
    put16(f, 4);
    put32(f, 0);
    put32(f, 0);
    put32(f, 65535);
    put32(f, kLinkTypeUsbLinuxMmapped);
    for (size_t i = 0; i < m_packets.size(); ++i) {
        put32(f, uint32_t(1000 + i));
        put32(f, 0);
        put32(f, uint32_t(m_packets[i].size()));
        put32(f, uint32_t(m_packets[i].size()));
        std::fwrite(m_packets[i].data(), 1, m_packets[i].size(), f);
    }
    return std::fclose(f) == 0;
}
