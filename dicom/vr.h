// Facts about value representations shared by the reader and the encoder.
#pragma once

#include <cstdint>

#include "dicom/tag.h"

// VRs whose explicit-VR header is 12 bytes: two reserved bytes, then a 32-bit length.
// Every other VR has an 8-byte header with a 16-bit length.
constexpr bool VR_Has_Long_Length(uint16_t vr) {
    switch (vr) {
    case VR_Code("OB"): case VR_Code("OD"): case VR_Code("OF"): case VR_Code("OL"):
    case VR_Code("OV"): case VR_Code("OW"): case VR_Code("SQ"): case VR_Code("SV"):
    case VR_Code("UC"): case VR_Code("UN"): case VR_Code("UR"): case VR_Code("UT"):
    case VR_Code("UV"):
        return true;
    default:
        return false;
    }
}
