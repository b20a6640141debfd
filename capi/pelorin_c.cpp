// SPDX-License-Identifier: Apache-2.0
// The C interface: a read into a card handle, the card's accessors and free.
#include <pelorin/pelorin_c.h>

#include "cancellation.h"
#include "card_json.h"
#include "card_table.h"
#include "gui_thread.h"

#include <pelorin/pelorin_api.h>

static_assert(PELORIN_OK == READ_OK && PELORIN_UNSUPPORT_CARD == UNSUPPORT_CARD &&
                  PELORIN_OPEN_DEV_FAIL == OPEN_DEV_FAIL && PELORIN_READ_DATA_FAIL == READ_DATA_FAIL &&
                  PELORIN_READ_NO_DATA == READ_NO_DATA &&
                  PELORIN_READ_DATA_TIMEOUT == READ_DATA_TIMEOUT &&
                  PELORIN_PARSE_ERROR == PARSE_ERROR && PELORIN_DEV_IS_BUSY == DEV_IS_BUSY &&
                  PELORIN_UNKNOWN_ERROR == UNKNOWN_ERROR,
              "the C results are the C++ interface's");
static_assert(PELORIN_ID_TYPE_CN == ID_TYPE_CN && PELORIN_ID_TYPE_FOREIGN_2017 == ID_TYPE_FOREIGN_2017 &&
                  PELORIN_ID_TYPE_FOREIGN_NEW == ID_TYPE_FOREIGN_NEW && PELORIN_ID_TYPE_HMT == ID_TYPE_HMT,
              "the C card kinds are the C++ interface's");
static_assert(PELORIN_TWO_FP_INFO == TWO_FP_INFO && PELORIN_ONE_FP_INFO == ONE_FP_INFO &&
                  PELORIN_NO_FP_INFO == NO_FP_INFO,
              "the C fingerprint kinds are the C++ interface's");

namespace {

int readCard(pelorin_card** card)
{
    auto read = std::make_unique<CardRead>();
    const READ_RESULT result = readCardRecords(*read);
    if (result != READ_OK)
        return result;
    if (idTypeName(read->idType) == nullptr)
        return PELORIN_UNSUPPORT_CARD;
    *card = CardTable::instance().add(makeCardResult(std::move(read)));
    return PELORIN_OK;
}

// Hands out bytes the card owns; an empty array as a null pointer and size 0.
int giveBytes(const unsigned char* bytes, size_t size, const unsigned char** out, size_t* outSize)
{
    *out = size > 0 ? bytes : nullptr;
    *outSize = size;
    return PELORIN_OK;
}

int giveBytes(const QByteArray& bytes, const unsigned char** out, size_t* outSize)
{
    return giveBytes(reinterpret_cast<const unsigned char*>(bytes.constData()),
                     static_cast<size_t>(bytes.size()), out, outSize);
}

}  // namespace

extern "C" {

int pelorin_init(void)
{
    return withoutCancellation([] {
        try {
            return prepareReads();
        } catch (...) {
            return PELORIN_UNKNOWN_ERROR;  // no memory or no thread to be had
        }
    });
}

int pelorin_read(pelorin_card** card)
{
    if (card == nullptr)
        return PELORIN_NULL_ARGUMENT;
    *card = nullptr;
    return withoutCancellation([card] {
        // Out of memory: nothing may unwind into C, nor out of the GUI thread.
        try {
            return runOnGuiThread([card] {
                try {
                    return readCard(card);
                } catch (...) {
                    return PELORIN_UNKNOWN_ERROR;
                }
            });
        } catch (...) {
            return PELORIN_UNKNOWN_ERROR;
        }
    });
}

int pelorin_card_free(pelorin_card* card)
{
    if (card == nullptr)
        return PELORIN_OK;
    return CardTable::instance().remove(card) ? PELORIN_OK : PELORIN_BAD_CARD;
}

int pelorin_card_id_type(const pelorin_card* card, int* id_type)
{
    if (card == nullptr || id_type == nullptr)
        return PELORIN_NULL_ARGUMENT;
    return CardTable::instance().use(card, [&](const CardResult& c) {
        *id_type = c.read->idType;
        return PELORIN_OK;
    });
}

int pelorin_card_kind(const pelorin_card* card, const char** name)
{
    if (card == nullptr || name == nullptr)
        return PELORIN_NULL_ARGUMENT;
    return CardTable::instance().use(card, [&](const CardResult& c) {
        *name = idTypeName(c.read->idType);
        return PELORIN_OK;
    });
}

int pelorin_card_text(const pelorin_card* card, const char* field, const char** utf8)
{
    if (card == nullptr || field == nullptr || utf8 == nullptr)
        return PELORIN_NULL_ARGUMENT;
    return CardTable::instance().use(card, [&](const CardResult& c) {
        const std::string* text = c.text(field);
        if (text == nullptr)
            return PELORIN_UNKNOWN_FIELD;
        *utf8 = text->c_str();
        return PELORIN_OK;
    });
}

int pelorin_card_field_name(const pelorin_card* card, size_t index, const char** field)
{
    if (card == nullptr || field == nullptr)
        return PELORIN_NULL_ARGUMENT;
    return CardTable::instance().use(card, [&](const CardResult& c) {
        if (index >= c.texts.size())
            return PELORIN_UNKNOWN_FIELD;
        *field = c.texts[index].first.c_str();
        return PELORIN_OK;
    });
}

int pelorin_card_json(const pelorin_card* card, const char** json, size_t* length)
{
    if (card == nullptr || json == nullptr)
        return PELORIN_NULL_ARGUMENT;
    return CardTable::instance().use(card, [&](const CardResult& c) {
        *json = c.json.c_str();
        if (length != nullptr)
            *length = c.json.size();
        return PELORIN_OK;
    });
}

int pelorin_card_photo(const pelorin_card* card, const unsigned char** bmp, size_t* size)
{
    if (card == nullptr || bmp == nullptr || size == nullptr)
        return PELORIN_NULL_ARGUMENT;
    return CardTable::instance().use(card, [&](const CardResult& c) {
        return giveBytes(c.read->headImage(), HEAD_IMAGE_BMP_SIZE, bmp, size);
    });
}

int pelorin_card_front(const pelorin_card* card, const unsigned char** jpeg, size_t* size)
{
    if (card == nullptr || jpeg == nullptr || size == nullptr)
        return PELORIN_NULL_ARGUMENT;
    return CardTable::instance().use(card, [&](const CardResult& c) { return giveBytes(c.front, jpeg, size); });
}

int pelorin_card_back(const pelorin_card* card, const unsigned char** jpeg, size_t* size)
{
    if (card == nullptr || jpeg == nullptr || size == nullptr)
        return PELORIN_NULL_ARGUMENT;
    return CardTable::instance().use(card, [&](const CardResult& c) { return giveBytes(c.back, jpeg, size); });
}

int pelorin_card_faces_degraded(const pelorin_card* card, int* degraded)
{
    if (card == nullptr || degraded == nullptr)
        return PELORIN_NULL_ARGUMENT;
    return CardTable::instance().use(card, [&](const CardResult& c) {
        *degraded = c.read->facesDegraded ? 1 : 0;
        return PELORIN_OK;
    });
}

int pelorin_card_fingerprints(const pelorin_card* card, const unsigned char** block, size_t* size,
                              int* fp_type)
{
    if (card == nullptr || block == nullptr || size == nullptr || fp_type == nullptr)
        return PELORIN_NULL_ARGUMENT;
    return CardTable::instance().use(card, [&](const CardResult& c) {
        if (c.read->idType != ID_TYPE_CN) {
            *fp_type = PELORIN_NO_FP_INFO;
            return giveBytes(nullptr, 0, block, size);
        }
        const IDCARD_INFO_TAIL_CN& tail = c.read->cn.idInfoTailCN;
        *fp_type = static_cast<int>(tail.finger_info_type);
        return giveBytes(tail.fingerFeature, FINGER_FEATURE_SIZE, block, size);
    });
}

}  // extern "C"
