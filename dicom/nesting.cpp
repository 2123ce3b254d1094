#include "dicom/nesting.h"

#include <string>

#include "dicom/warning.h"

namespace {

inline constexpr int Last_Depth = DICOM_Max_Depth - 1;

bool valid_depth(int depth) { return depth >= 0 && depth <= Last_Depth; }

// Four blanks per nesting step in front of the visual trace lines.
std::string indent(int steps) { return std::string(steps > 0 ? 4 * steps : 0, ' '); }

}  // namespace

void DICOM_Attribute_Sequence_Reset(Win_Handle window, DICOM_Root* root) {
    Log_Message(window, LOG_TRACE_5, "in DICOM_Attribute_Sequence_Reset()");
    *root = DICOM_Root{};
    Log_Message(window, LOG_TRACE_5, "-> Item_Number[%d] = %d", root->depth,
                root->Item_Number[root->depth]);
}

int DICOM_Attribute_Sequence_Start(Win_Handle window, DICOM_Root* root, uint16_t group,
                                   uint16_t element, uint16_t flags, int level) {
    Log_Message(window, LOG_TRACE_5, "in DICOM_Attribute_Sequence_Start(%04x,%04x)", group, element);
    if (!valid_depth(root->depth)) root->depth = root->depth < 0 ? 0 : Last_Depth;
    if (level != 0) {
        Log_Message(window, level, "%s------------------------ ---- Sequence in ----(depth=%d)-----",
                    indent(root->depth).c_str(), root->depth);
    }
    DICOM_Root_Set_Entry(root, root->depth, group, element, flags);
    root->depth++;
    if (root->depth >= DICOM_Max_Depth) {
        DICOM_Warning(window, "To many \"sequences\" in DICOM stream");
        root->depth = Last_Depth;
    }
    root->Item_Number[root->depth] = 0;
    Log_Message(window, LOG_TRACE_5, "-> Item_Number[%d] = %d", root->depth,
                root->Item_Number[root->depth]);
    return root->depth;
}

int DICOM_Attribute_Sequence_Stop(Win_Handle window, DICOM_Root* root, int level) {
    Log_Message(window, LOG_TRACE_5, "in DICOM_Attribute_Sequence_Stop()");
    if (!valid_depth(root->depth)) root->depth = root->depth < 0 ? 0 : Last_Depth;
    if (level != 0) {
        Log_Message(window, level, "%s------------------------ ---- Sequence out --------------",
                    indent(root->depth - 1).c_str());
    }
    if (root->depth == 0) {
        DICOM_Warning(window, "To many \"out of sequences\" in DICOM stream (%04x,%04x)",
                      root->Seq_Group[0], root->Seq_Element[0]);
        return 0;
    }
    root->Item_Number[root->depth] = 0;
    root->depth--;
    Log_Message(window, LOG_TRACE_5, "-> Item_Number[%d] = %d", root->depth,
                root->Item_Number[root->depth]);
    return root->depth;
}

int DICOM_Attribute_Sequence_End(Win_Handle window, DICOM_Root* root, int depth) {
    Log_Message(window, LOG_TRACE_5, "in DICOM_Attribute_Sequence_End(depth:%d)", depth);
    if (!valid_depth(depth)) return -1;
    return root->Item_Number[depth] - 1;
}

int DICOM_Attribute_Item_Start(Win_Handle window, DICOM_Root* root, int level) {
    Log_Message(window, LOG_TRACE_5, "in DICOM_Attribute_Item_Start()");
    if (!valid_depth(root->depth)) root->depth = root->depth < 0 ? 0 : Last_Depth;
    root->Item_Number[root->depth]++;
    Log_Message(window, LOG_TRACE_5, "-> root->Item_Number[%d] = %d", root->depth,
                root->Item_Number[root->depth]);
    if (level != 0) {
        Log_Message(window, level, "%s------------------------ ---- Item[%d] in ---------------",
                    indent(root->depth).c_str(), root->Item_Number[root->depth]);
    }
    return 1;
}

int DICOM_Attribute_Item_Stop(Win_Handle window, DICOM_Root* root, int level) {
    Log_Message(window, LOG_TRACE_5, "in DICOM_Attribute_Item_Stop()");
    if (!valid_depth(root->depth)) root->depth = root->depth < 0 ? 0 : Last_Depth;
    if (level != 0) {
        Log_Message(window, level, "%s------------------------ ---- Item[%d] out --------------",
                    indent(root->depth).c_str(), root->Item_Number[root->depth]);
    }
    Log_Message(window, LOG_TRACE_5, "-> Item_Number[%d] = %d", root->depth,
                root->Item_Number[root->depth]);
    return 1;
}

int DICOM_Root_Depth(const DICOM_Root* root) { return root->depth; }

