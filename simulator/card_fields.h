// SPDX-License-Identifier: Apache-2.0
// The text fields of CardInfoStruct by name, and writing into them.
#pragma once

#include "kvsdecompose.h"

#include <QByteArray>
#include <QString>

struct CardField {
    const char* name;
    size_t offset;
    size_t size;
};

// The field of that name (as in CardInfoStruct), or null for an unknown name.
const CardField* findCardField(const QString& name);

// Writes `text` as UCS-2 little-endian units; a text longer than the field is
// cut to the whole units that fit; the rest of the field is zeroed.
void writeFieldText(CardInfoStruct& info, const CardField& field, const QString& text);

// Writes exact bytes (at most the field's size) and zeroes the rest of the field.
void writeFieldBytes(CardInfoStruct& info, const CardField& field, const QByteArray& bytes);
