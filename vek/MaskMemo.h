// SPDX-License-Identifier: Apache-2.0
// The last photo's shape, kept with its decomposition and synthesis plan:
// every photo without a shape segment has the same one, and making them
// again is a tenth of a decode.
#pragma once

#include "common_struct.h"

// mask: the picture's mask, image_height rows of image_width bytes in one
// block. When it, the level and the sample size are those kept, SMask and
// FMask become the kept planes (their own go to the keeper), synthesis the
// kept plan (still the keeper's) and shape_id the kept shape's, and true is
// returned. Otherwise the mask is noted for Keep_Mask, the shape gets a new
// id and false is returned: SMask is then the caller's to fill.
bool Recall_Mask(common_ptr info, const char* mask);

// At the end of a decode: SMask, FMask and their plan (when there is one,
// that is, FMask was formed from SMask) are kept for the next decode with
// the mask noted, and what was kept before is freed; without a plan, or
// without a noted mask, both planes are freed. The record's mask fields are
// cleared either way.
void Keep_Mask(common_ptr info);

// Frees what is kept (when the library is unloaded), before the kept planes.
void Forget_Mask();
