// SPDX-License-Identifier: Apache-2.0
// Any text and photo block a card holds: the parsers fill records without
// reading or writing outside the blocks.
#include <QtGlobal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <pelorin/iddata.h>

namespace {
void discard(QtMsgType, const QMessageLogContext&, const QString&) {}
constexpr size_t kTextBlock = 256;
constexpr size_t kPhotoBlock = 1024;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const QtMessageHandler previous = qInstallMessageHandler(discard);
    (void)previous;
    std::vector<unsigned char> text(kTextBlock, 0);
    std::vector<unsigned char> photo(kPhotoBlock, 0);
    std::memcpy(text.data(), data, size < kTextBlock ? size : kTextBlock);
    if (size > kTextBlock) {
        const size_t rest = size - kTextBlock;
        std::memcpy(photo.data(), data + kTextBlock, rest < kPhotoBlock ? rest : kPhotoBlock);
    }

    QByteArray frame;
    CIdData parser(frame, NO_FP_INFO);
    ID_TYPE kind = ID_TYPE_UNKNOWN;
    parser.parseIDType(text.data(), &kind);
    ID_TEXT_INFO_CN cn;
    parser.parseChinaIdText(text.data(), &cn);
    ID_TEXT_INFO_HMT hmt;
    parser.parseHMTIDText(text.data(), &hmt);
    ID_TEXT_INFO_FOREIGN_2017 old;
    parser.parseForeign2017IDText(text.data(), &old);
    ID_TEXT_INFO_FOREIGN_NEW fresh;
    parser.parseForeignNewIDText(text.data(), &fresh);
    // Every text field stays within its UTF-8 limit.
    if (cn.name.size() > 30 || cn.address.size() > 100 || cn.idCode.size() > 36 ||
        hmt.passCheckCode.size() > 18 || old.nameEN.size() > 120 || fresh.nameEN.size() > 70 ||
        fresh.nationality.size() > 3 * 30 + 3 + 6)
        std::abort();
    if (size > kTextBlock) {
        std::vector<unsigned char> bitmap(HEAD_IMAGE_BMP_SIZE, 0);
        parser.parseIDHeadImage(photo.data(), bitmap.data());
    }
    return 0;
}
