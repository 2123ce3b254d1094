// The head of a DICOMDIR: file meta information naming this program and a fresh instance UID.
#include <atomic>
#include <chrono>
#include <random>
#include <string>

#include "dicom/attribute_add.h"
#include "dicom/part10.h"
#include "dicom/uid_table.h"
#include "dirscan/dicomdir_writer.h"

namespace {

constexpr const char* Directory_Storage_Class = "1.2.840.10008.1.3.10";
constexpr const char* Explicit_Little_Endian = "1.2.840.10008.1.2.1";
constexpr std::size_t UID_Max = 64;
// Root, name number (5 digits at most), time number (8 at most) and 4 unique digits at least.
static_assert(sizeof(Implementation_UID_Root) - 1 + 1 + 5 + 1 + 8 + 1 + 4 <= UID_Max);

uint64_t mix(uint64_t value) {  // splitmix64's finaliser: every input bit moves every output bit
    value ^= value >> 30;
    value *= 0xBF58476D1CE4E5B9ull;
    value ^= value >> 27;
    value *= 0x94D049BB133111EBull;
    return value ^ (value >> 31);
}

}  // namespace

uint32_t DICOMDIR_Name_Number(std::string_view path) {
    static constexpr uint32_t Weight[5] = {1, 10, 100, 1000, 10000};
    uint32_t sum = 0;
    std::size_t k = 0;
    for (auto c = path.rbegin(); c != path.rend(); ++c, ++k) {
        int digit = -1;
        if (*c >= 'A' && *c <= 'Z') digit = (*c - 'A') % 10;
        if (*c >= 'a' && *c <= 'z') digit = (*c - 'a') % 10;
        if (*c >= '0' && *c <= '9') digit = *c - '0';  // "scan1" and "scan2" must differ
        if (digit > 0) sum += static_cast<uint32_t>(digit) * Weight[k % 5];
    }
    sum %= 100000;
    return sum == 0 ? 1 : sum;
}

uint32_t DICOMDIR_Time_Number(const std::tm& local) {
    uint64_t value = static_cast<uint64_t>(local.tm_year % 26);
    value = value * 12 + static_cast<uint64_t>(local.tm_mon);
    value = value * 31 + static_cast<uint64_t>(local.tm_mday);
    value = value * 24 + static_cast<uint64_t>(local.tm_hour);
    value = value * 60 + static_cast<uint64_t>(local.tm_min);
    value = value * 60 + static_cast<uint64_t>(local.tm_sec);
    value %= 100000000;
    return value == 0 ? 1 : static_cast<uint32_t>(value);
}

std::string DICOMDIR_Unique_Number(std::size_t digits) {
    // The time has one-second steps: runs in one second are told apart by the clock's finer
    // steps, the system's random source (which differs between processes) and a count of the
    // heads made in this process.
    static std::atomic<uint64_t> made{0};
    static const uint64_t process_seed = [] {
        std::random_device device;
        return (uint64_t{device()} << 32) ^ device();
    }();
    const auto ticks = std::chrono::system_clock::now().time_since_epoch().count();
    uint64_t value = mix(process_seed ^ mix(static_cast<uint64_t>(ticks)) ^ mix(made.fetch_add(1) + 1));
    std::string number(digits, '0');
    for (std::size_t i = digits; i-- > 0; value /= 10) number[i] = static_cast<char>('0' + value % 10);
    if (number[0] == '0') number[0] = static_cast<char>('1' + mix(value) % 9);  // no leading zero in a UID
    return number;
}

std::vector<uint8_t> DICOMDIR_Head(Win_Handle window, DICOM_Root* state, const std::string& path,
                                   const std::tm& local) {
    const std::string root = Implementation_UID_Root;
    std::string instance = root + "." + std::to_string(DICOMDIR_Name_Number(path)) + "." +
                           std::to_string(DICOMDIR_Time_Number(local)) + ".";
    // The unique part fills the UID to its 64 characters: more digits, fewer chances to meet,
    // and the head's size stays the same whatever the other numbers' lengths.
    instance += DICOMDIR_Unique_Number(UID_Max - instance.size());
    DICOM_Tag_List meta;
    const auto add = [&](uint16_t element, const char (&vr)[3], int count, std::vector<DICOM_Value> values) {
        DICOM_Attribute_Add(window, state, &meta, 0x0002, element, VR_Code(vr), count, values);
    };
    add(0x0001, "OB", 2, {int64_t{0}, int64_t{1}});
    add(0x0002, "UI", 1, {std::string(Directory_Storage_Class)});
    add(0x0003, "UI", 1, {instance});
    add(0x0010, "UI", 1, {std::string(Explicit_Little_Endian)});
    add(0x0012, "UI", 1, {root});
    add(0x0013, "SH", 1, {Prog_Version});
    add(0x0016, "AE", 1, {Prog_Name});
    return DICOM_Write_Part10(window, 8, meta);
}
