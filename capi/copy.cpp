// SPDX-License-Identifier: Apache-2.0
// The C interface's true-size copy of a card, as a file or as bytes.
#include <pelorin/pelorin_c.h>

#include "cancellation.h"
#include "card_copy.h"
#include "card_table.h"
#include "gui_thread.h"
#include "private_file.h"

#include <QFile>

#include <memory>

namespace {

// Composes the copy of the card on the GUI thread, from a copy of its
// record, so that neither the card table nor other cards wait meanwhile.
int composeCopy(const pelorin_card* card, CopyFormat format, const char* watermark, QByteArray& copy)
{
    std::unique_ptr<CardRead> read;
    const int found = CardTable::instance().use(card, [&](const CardResult& c) {
        read = std::make_unique<CardRead>(*c.read);
        return PELORIN_OK;
    });
    if (found != PELORIN_OK)
        return found;
    const QString text = watermark != nullptr ? QString::fromUtf8(watermark) : QString();
    const int composed = runOnGuiThread([&] {
        try {
            copy = cardCopy(*read, format, text);
            return PELORIN_OK;
        } catch (...) {
            return PELORIN_UNKNOWN_ERROR;
        }
    });
    if (composed != PELORIN_OK)
        return composed;
    return copy.isEmpty() ? PELORIN_NO_FACES : PELORIN_OK;
}

// Composes the copy and hands it to use, with the host's cancellation held
// off; nothing may unwind into C (out of memory).
template <class Use>
int withComposedCopy(const pelorin_card* card, CopyFormat format, const char* watermark, Use use)
{
    return withoutCancellation([&] {
        try {
            QByteArray copy;
            const int result = composeCopy(card, format, watermark, copy);
            return result != PELORIN_OK ? result : use(copy);
        } catch (...) {
            return PELORIN_UNKNOWN_ERROR;
        }
    });
}

}  // namespace

extern "C" {

int pelorin_card_copy(const pelorin_card* card, const char* path, const char* watermark)
{
    if (card == nullptr || path == nullptr)
        return PELORIN_NULL_ARGUMENT;
    const QString fileName = QFile::decodeName(path);
    const std::optional<CopyFormat> format = copyFormatOfFile(fileName);
    if (!format)
        return PELORIN_BAD_ARGUMENT;
    return withComposedCopy(card, *format, watermark, [&](const QByteArray& copy) {
        return writePrivateFile(fileName, copy) == PrivateFileResult::Written ? PELORIN_OK : PELORIN_WRITE_FAILED;
    });
}

int pelorin_card_copy_bytes(const pelorin_card* card, const char* format, const char* watermark,
                            const unsigned char** bytes, size_t* size)
{
    if (card == nullptr || format == nullptr || bytes == nullptr || size == nullptr)
        return PELORIN_NULL_ARGUMENT;
    const std::optional<CopyFormat> named = copyFormatNamed(QString::fromUtf8(format));
    if (!named)
        return PELORIN_BAD_ARGUMENT;
    return withComposedCopy(card, *named, watermark, [&](const QByteArray& copy) {
        // The card may have been freed while the copy was composed.
        return CardTable::instance().use(card, [&](CardResult& c) {
            c.copies.push_back(copy);
            *bytes = reinterpret_cast<const unsigned char*>(c.copies.back().constData());
            *size = static_cast<size_t>(c.copies.back().size());
            return PELORIN_OK;
        });
    });
}

}  // extern "C"
