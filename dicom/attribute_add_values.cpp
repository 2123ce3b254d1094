// Reading the values of one call by the type its VR expects.
#include <type_traits>

#include "dicom/attribute_add_build.h"
#include "dicom/warning.h"

namespace add {

const DICOM_Value& Build_Call::at(int i) const {
    static const DICOM_Value absent;
    return i >= 0 && static_cast<std::size_t>(i) < values.size() ? values[static_cast<std::size_t>(i)] : absent;
}

template <typename T>
std::optional<T> Build_Call::take(int i) const {
    const DICOM_Value& v = at(i);
    if (std::holds_alternative<std::monostate>(v)) return std::nullopt;
    if constexpr (std::is_floating_point_v<T>) {
        // DS and FL narrow to single precision; integers are accepted as numbers too.
        if (const int64_t* n = std::get_if<int64_t>(&v)) return static_cast<T>(*n);
        if (const double* d = std::get_if<double>(&v)) return static_cast<T>(*d);
    } else {
        if (const T* held = std::get_if<T>(&v)) return *held;
    }
    DICOM_Warning(window, "VR=%c%c: value %d is not of the VR's type",
                static_cast<char>(vr >> 8), static_cast<char>(vr & 0xFF), i + 1);
    return std::nullopt;
}

template std::optional<int64_t> Build_Call::take<int64_t>(int) const;
template std::optional<float> Build_Call::take<float>(int) const;
template std::optional<double> Build_Call::take<double>(int) const;
template std::optional<std::string> Build_Call::take<std::string>(int) const;
template std::optional<DICOM_Date> Build_Call::take<DICOM_Date>(int) const;
template std::optional<DICOM_Time> Build_Call::take<DICOM_Time>(int) const;
template std::optional<DICOM_Date_Time> Build_Call::take<DICOM_Date_Time>(int) const;
template std::optional<Person_Name> Build_Call::take<Person_Name>(int) const;

void Build_Call::refuse_array(const char* family) const {
    if (array_form())
        Log_Message(window, DICOM_Warning_Kind, "VR=%s: vector fct not implemented (nb_arg=%d)",
                    family, count);
}

}  // namespace add
