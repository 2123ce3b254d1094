#include "dicom/un_element.h"

#include <algorithm>
#include <cstdlib>
#include <initializer_list>

#include "dicom/dictionary.h"
#include "dicom/element_reader.h"

namespace {

bool all_in(const uint16_t* vrs, int count, std::initializer_list<uint16_t> set) {
    return std::all_of(vrs, vrs + count,
                       [&](uint16_t vr) { return std::find(set.begin(), set.end(), vr) != set.end(); });
}

}  // namespace

uint16_t DICOM_UN_Dictionary_VR(const DICOM_Tag& node, bool signed_pixels) {
    if (node.vr != VR_UN || node.length == Undefined_Length || node.dict == nullptr) return 0;
    const int count = std::min(std::abs(static_cast<int>(node.dict->count)), 3);
    if (count == 0) return 0;
    const uint16_t* vrs = node.dict->vr;
    if (std::find(vrs, vrs + count, VR_SQ) != vrs + count || vrs[0] == VR_RT || vrs[0] == VR_UN) return 0;
    if (count == 1) return vrs[0];
    if (all_in(vrs, count, {VR_OB, VR_OW})) return VR_OB;
    const uint16_t us = VR_Code("US"), ss = VR_Code("SS");
    if (all_in(vrs, count, {us, ss, VR_OW})) {
        const bool sign_open = std::find(vrs, vrs + count, ss) != vrs + count;
        return sign_open && signed_pixels ? ss : us;
    }
    return 0;
}

int DICOM_UN_Resolve(DICOM_Tag& node, bool signed_pixels) {
    const uint16_t vr = DICOM_UN_Dictionary_VR(node, signed_pixels);
    if (vr == 0) return 0;
    node.vr = vr;
    node.syntax = static_cast<uint8_t>(node.syntax & ~(Mode_Big_Endian | Mode_Word_Swap));
    return 1;
}
