// Explicit-VR elements sent as UN.
//
// A writer that does not know a tag sends it as UN; a reader that does may read it with the
// VR of its dictionary entry. A UN value is always little endian, whatever the transfer syntax.
#pragma once

#include <cstdint>

#include "dicom/tag.h"

// The VR to read node with when it was sent as UN, or 0 to leave it UN. Only a tag the
// dictionary knows gets one, and only when the value reads the same under it: a sequence sent
// as UN stays UN (its bytes are an implicit-VR sequence, never read again as elements), as does
// a UN of undefined length. Of the alternatives a dictionary entry may list, OB or OW gives OB
// (the bytes as they stand) and US or SS follows signed_pixels (Pixel Representation 1).
uint16_t DICOM_UN_Dictionary_VR(const DICOM_Tag& node, bool signed_pixels);

// Reads node with the dictionary's VR when it was sent as UN (see above), its value then
// little endian: 1 when it changed.
int DICOM_UN_Resolve(DICOM_Tag& node, bool signed_pixels);
