// Builders of the binary VRs: numbers little endian, OB bytes, AT tag pairs.
#include "dicom/attribute_add_build.h"
#include "dicom/byte_order.h"

namespace add {

namespace {

constexpr int Little_Endian = 0;

template <std::size_t N>
void append(std::string& out, const std::array<uint8_t, N>& bytes) {
    out.append(bytes.begin(), bytes.end());
}

// Appends value i in the VR's width; false when it is absent or of another type.
bool append_number(const Build_Call& call, int i, std::string& out) {
    switch (call.vr) {
    case VR_Code("FD"):
        if (auto d = call.take<double>(i)) return append(out, DICOM_Write_64(Little_Endian, *d)), true;
        return false;
    case VR_Code("FL"):
        if (auto f = call.take<float>(i)) return append(out, DICOM_Write_Float(Little_Endian, *f)), true;
        return false;
    case VR_Code("SL"): case VR_Code("UL"):
        if (auto n = call.take<int64_t>(i))
            return append(out, DICOM_Write_32(Little_Endian, static_cast<uint32_t>(*n))), true;
        return false;
    default:  // OW, SS, US, AT: the low 16 bits
        if (auto n = call.take<int64_t>(i))
            return append(out, DICOM_Write_16(Little_Endian, static_cast<uint16_t>(*n))), true;
        return false;
    }
}

Built numbers(const Build_Call& call, int count) {
    std::string out;
    for (int i = 0; i < count; ++i)
        if (!append_number(call, i, out)) return std::nullopt;
    return out;
}

}  // namespace

Built build_numbers(const Build_Call& call) {
    const char* trace = "in DICOM_Tag_Add_US(nb_arg=%d)";
    switch (call.vr) {
    case VR_Code("FD"): trace = "in DICOM_Tag_Add_FD(nb_arg=%d)"; break;
    case VR_Code("FL"): trace = "in DICOM_Tag_Add_FL(nb_arg=%d)"; break;
    case VR_Code("OW"): trace = "in DICOM_Tag_Add_OB(nb_arg=%d)"; break;
    case VR_Code("SL"): trace = "in DICOM_Tag_Add_VR_SH(nb_arg=%d)"; break;
    case VR_Code("SS"): trace = "in DICOM_Tag_Add_VR_SS(nb_arg=%d)"; break;
    case VR_Code("UL"): trace = "in DICOM_Tag_Add_VR_UL(nb_arg=%d)"; break;
    default: break;
    }
    Log_Message(call.window, LOG_TRACE_5, trace, call.count);
    return numbers(call, call.number());
}

Built build_bytes(const Build_Call& call) {
    Log_Message(call.window, LOG_TRACE_5, "in DICOM_Tag_Add_OB(nb_arg=%d)", call.count);
    std::string out;
    for (int i = 0; i < call.number(); ++i) {
        const std::optional<int64_t> n = call.take<int64_t>(i);
        if (!n) return std::nullopt;
        out += static_cast<char>(static_cast<uint8_t>(*n));
    }
    if (out.size() % 2 != 0) out += '\0';
    return out;
}

Built build_tags(const Build_Call& call) {
    Log_Message(call.window, LOG_TRACE_5, "in DICOM_Tag_Add_AT(nb_arg=%d)", call.count);
    call.refuse_array("AT");
    int count = call.number();
    if (count % 2 != 0) {
        Log_Message(call.window, DICOM_Warning_Kind, "VR=AT: only multiple of 2 accepted (nb_arg=%d != 2*n)", count);
        count = 2;
    }
    if (count < 1) return std::nullopt;
    return numbers(call, count);
}

}  // namespace add
