// SPDX-License-Identifier: Apache-2.0
// The last photo's shape, kept with its decomposition and synthesis plan:
// every photo without a shape segment has the same one, and making them
// again is a tenth of a decode.
#pragma once

#include "common_struct.h"

// When SMask, level and sample size are those kept, FMask becomes the kept
// decomposition, synthesis the kept plan (still the keeper's) and shape_id
// the kept shape's, and true is returned; otherwise the record's shape gets
// a new id and nothing else changes.
bool Recall_Mask(common_ptr info);

// At the end of a decode: SMask, FMask and their plan (when there is one,
// that is, FMask was formed from SMask) are kept for the next decode and
// what was kept before is freed; without a plan both planes are freed. The
// record's mask fields are cleared either way.
void Keep_Mask(common_ptr info);

// Frees what is kept (when the library is unloaded), before the kept planes.
void Forget_Mask();
