// DICOM_Attribute_Add: places the element, builds its value by VR, then runs the value cleanup.
#include "dicom/attribute_add.h"

#include <new>

#include "dicom/attribute_add_build.h"
#include "dicom/attribute_list.h"
#include "dicom/dictionary.h"
#include "dicom/library_warning.h"
#include "dicom/value_cleanup.h"
#include "dicom/warning.h"

using namespace add;

namespace {

constexpr const char* Source_Name = "Prog_Lib/Corvanthis_DICOM/NEMA_Tag_Add";

using Builder = Built (*)(const Build_Call&);

Builder builder_of(uint16_t vr) {
    switch (vr) {
    case VR_Code("AE"): case VR_Code("CS"): case VR_Code("LO"): case VR_Code("SH"): return build_strings;
    case VR_Code("AS"): case VR_Code("LT"): case VR_Code("ST"): case VR_Code("UT"): return build_single_text;
    case VR_Code("UI"): return build_uid;
    case VR_Code("PN"): return build_person_names;
    case VR_Code("IS"): return build_integer_texts;
    case VR_Code("DS"): return build_decimal_texts;
    case VR_Code("DA"): return build_dates;
    case VR_Code("TM"): return build_times;
    case VR_Code("DT"): return build_date_times;
    case VR_Code("FD"): case VR_Code("FL"): case VR_Code("OW"): case VR_Code("SL"):
    case VR_Code("SS"): case VR_Code("UL"): case VR_Code("US"): return build_numbers;
    case VR_Code("OB"): return build_bytes;
    case VR_Code("AT"): return build_tags;
    default: return nullptr;
    }
}

DICOM_Tag* first_of(DICOM_Tag_List* list) { return list->empty() ? nullptr : &list->front(); }

void give_value(Win_Handle window, DICOM_Tag& node, int count, const std::vector<DICOM_Value>& values) {
    const Build_Call call{window, node.vr, count, values};
    if (node.vr == VR_SQ) {
        // The one value of a sequence is a flag word; its items come through the nesting calls.
        if (auto flags = call.take<int64_t>(0)) node.flags |= static_cast<uint16_t>(*flags);
        return;
    }
    const Builder builder = builder_of(node.vr);
    if (builder == nullptr) {
        Log_Message(window, LOG_ERROR, "Error: file:%s line:%d", Source_Name, __LINE__);
        Log_Message(window, LOG_ERROR, "tag (%04x,%04x) VR=%c%c not implemented", node.group, node.element,
                    static_cast<char>(node.vr >> 8), static_cast<char>(node.vr & 0xFF));
        return;
    }
    try {
        if (const Built value = builder(call)) {
            node.data.assign(value->begin(), value->end());
            node.length = static_cast<int32_t>(value->size());
        }
    } catch (const std::bad_alloc&) {
        Log_Memory_Error(window, __LINE__, Source_Name, "realloc", "data", static_cast<long>(values.size()), 1);
        node.data.clear();
        node.length = 0;
    }
}

}  // namespace

DICOM_Tag* DICOM_Attribute_Add(Win_Handle window, DICOM_Root* root, DICOM_Tag_List* list, uint16_t group,
                               uint16_t element, uint16_t vr, int count, const std::vector<DICOM_Value>& values) {
    Log_Message(window, LOG_TRACE_5, "in DICOM_Attribute_Add(%04x,%04x) nb_arg=%d", group, element, count);
    DICOM_Tag* node = DICOM_Attribute_Place(window, root, list, group, element);
    if (node == nullptr) return first_of(list);
    if (node->flags != 0 && node->length != 0) return first_of(list);  // never overwrite a value

    node->syntax = 8;
    node->flags = Tag_Flag::Origin_Library;
    node->vr = vr;
    node->dict = NEMA_db_Get(group, element);
    node->data.clear();
    node->length = 0;
    if (count != 0) give_value(window, *node, count, values);

    if (!DICOM_Attribute_Cleanup_Tag(window, node))
        DICOM_Warning(window, "problem creating tag " DICOM_TAG_FORMAT, group,
                    element);
    return first_of(list);
}
