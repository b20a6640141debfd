// SPDX-License-Identifier: Apache-2.0
// A whole card data frame from the emulated reader, taken apart by CIdData.
#include <gtest/gtest.h>

#include "qt_message_capture.h"
#include "emulated_reader.h"
#include "reader_frames.h"
#include <pelorin/iddata.h>
#include "text_block.h"
#include <pelorin/usbidreader.h>

using namespace reader_frames;

namespace {

constexpr int kTextAt = 16;

// Fetches `frame` from a freshly emulated reader.
QByteArray fetchFromReader(const Bytes& frame, FP_INFO_TYPE& fp)
{
    EmulatedReader bed;
    const std::string sysfs = bed.addReader(5);
    UsbConversation talk(EmulatedReader::kBusnum, 5);
    scriptCardFoundAndSelected(talk);
    talk.hostSends(kOut, fetchRequest());
    talk.deviceAnswers(kIn, 2321, frame);
    QByteArray out;
    if (!bed.play(sysfs, talk))
        return out;
    CUsbIdReader reader(EmulatedReader::kVendorId, EmulatedReader::kProductId);
    reader.fetch_data(out, fp);
    return out;
}

struct ParsedCard {
    ID_TYPE kind = ID_TYPE_UNKNOWN;
    FP_INFO_TYPE fp = NO_FP_INFO;
    ID_TEXT_INFO_CN cn;
    ID_TEXT_INFO_HMT hmt;
    ID_TEXT_INFO_FOREIGN_2017 foreign2017;
    ID_TEXT_INFO_FOREIGN_NEW foreignNew;
};

ParsedCard readCard(TextBlock& text, int fpLength)
{
    ParsedCard card;
    QByteArray frame = fetchFromReader(dataFrame(fpLength, text.data()), card.fp);
    EXPECT_EQ(frame.size(), 1297 + fpLength);
    if (frame.size() != 1297 + fpLength)
        return card;
    CIdData parser(frame, card.fp);
    auto* block = reinterpret_cast<unsigned char*>(frame.data()) + kTextAt;
    EXPECT_TRUE(parser.parseIDType(block, &card.kind));
    switch (card.kind) {
    case ID_TYPE_CN: parser.parseChinaIdText(block, &card.cn); break;
    case ID_TYPE_HMT: parser.parseHMTIDText(block, &card.hmt); break;
    case ID_TYPE_FOREIGN_2017: parser.parseForeign2017IDText(block, &card.foreign2017); break;
    case ID_TYPE_FOREIGN_NEW: parser.parseForeignNewIDText(block, &card.foreignNew); break;
    case ID_TYPE_UNKNOWN: break;
    }
    return card;
}

class UsbCard : public ::testing::Test {
protected:
    QtMessageCapture debug;  // keeps the reader's lines out of the test output
};

TEST_F(UsbCard, ResidentCard)
{
    TextBlock text;
    text.put(0, 30, "张三").put(30, 2, "1").put(32, 4, "02").put(36, 16, "19900102")
        .put(122, 36, "11010119900102001X").put(188, 16, "20200301").put(204, 16, "长期");
    const ParsedCard card = readCard(text, 1024);
    EXPECT_EQ(card.kind, ID_TYPE_CN);
    EXPECT_EQ(card.fp, TWO_FP_INFO);
    EXPECT_EQ(card.cn.nation, "蒙古");
    EXPECT_EQ(card.cn.idCode, "11010119900102001X");
    EXPECT_EQ(card.cn.validPeriod.start, "2020.03.01");
    EXPECT_EQ(card.cn.validPeriod.end, "长期");
}

TEST_F(UsbCard, ResidencePermit)
{
    TextBlock text;
    text.put(0, 30, "陈大文").put(30, 2, "1").put(122, 36, "810000199001020014")
        .put(220, 18, "H12345678").put(238, 4, "01").put(248, 2, "J");
    const ParsedCard card = readCard(text, 0);
    EXPECT_EQ(card.kind, ID_TYPE_HMT);
    EXPECT_EQ(card.fp, NO_FP_INFO);
    EXPECT_EQ(card.hmt.gender, "男");
    EXPECT_EQ(card.hmt.passCheckCode, "H12345678");
    EXPECT_EQ(card.hmt.changes, "01");
}

TEST_F(UsbCard, ForeignerCard2017)
{
    TextBlock text;
    text.put(0, 120, "DOE JANE").put(120, 2, "2").put(122, 30, "CAN110080050601")
        .put(152, 6, "CAN").put(220, 16, "19800506").put(248, 2, "I");
    const ParsedCard card = readCard(text, 0);
    EXPECT_EQ(card.kind, ID_TYPE_FOREIGN_2017);
    EXPECT_EQ(card.foreign2017.gender, "女");
    EXPECT_EQ(card.foreign2017.nationality, "CAN");
    EXPECT_EQ(card.foreign2017.birth.day, "06");
}

TEST_F(UsbCard, ForeignerCardNewLayout)
{
    TextBlock text;
    text.put(0, 30, "汤姆").put(30, 2, "9").put(122, 36, "911840198005060017")
        .put(242, 6, "FRA").put(248, 2, "Y");
    const ParsedCard card = readCard(text, 512);
    EXPECT_EQ(card.kind, ID_TYPE_FOREIGN_NEW);
    EXPECT_EQ(card.fp, ONE_FP_INFO);
    EXPECT_EQ(card.foreignNew.gender, "未说明");
    EXPECT_EQ(card.foreignNew.idCode, "911840198005060017");
    EXPECT_EQ(card.foreignNew.nationality, "法国 / FRA");
}

}  // namespace
