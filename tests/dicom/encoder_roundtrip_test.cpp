// The sample data set, encoded as whole Part-10 files and read back by our own reader, gives
// the same elements and values in each transfer syntax.
#include <gtest/gtest.h>

#include <algorithm>

#include "dicom/byte_source.h"
#include "dirscan/scan_read.h"
#include "interop/sample_data_set.h"

namespace {

// The value bytes as the builders hold them (little endian), whatever the syntax read.
std::vector<uint8_t> little_endian(const DICOM_Tag& t) {
    std::vector<uint8_t> bytes = t.data;
    std::size_t unit = 1;
    switch (t.effective_vr()) {
    case VR_Code("FD"): unit = 8; break;
    case VR_Code("SL"): case VR_Code("UL"): unit = 4; break;
    case VR_Code("US"): case VR_Code("SS"): case VR_Code("OW"): case VR_Code("AT"): unit = 2; break;
    default: break;
    }
    if ((t.syntax & 1) != 0)
        for (std::size_t at = 0; at + unit <= bytes.size(); at += unit)
            std::reverse(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                         bytes.begin() + static_cast<std::ptrdiff_t>(at + unit));
    return bytes;
}

TEST(EncoderRoundTrip, OwnReaderGivesTheBuiltValues) {
    for (const Sample_Syntax& s : Sample_Syntaxes) {
        SCOPED_TRACE(s.transfer_syntax);
        const DICOM_Tag_List list = Sample_Data_Set(s.transfer_syntax);
        const std::vector<uint8_t> bytes = Sample_File(s.code, list);
        Memory_Source source(bytes);
        const std::optional<DICOM_Tag_List> read = DICOMDIR_Scan_Read(nullptr, source);
        ASSERT_TRUE(read.has_value());
        for (const DICOM_Tag& want : list) {
            const auto got = std::find_if(read->begin(), read->end(), [&](const DICOM_Tag& t) {
                return t.group == want.group && t.element == want.element;
            });
            ASSERT_NE(got, read->end()) << std::hex << want.group << "," << want.element;
            if (want.vr == VR_SQ) {
                EXPECT_EQ(got->item_nb(), 2);
                continue;
            }
            EXPECT_EQ(got->length, want.length) << std::hex << want.group << "," << want.element;
            EXPECT_EQ(little_endian(*got), want.data) << std::hex << want.group << "," << want.element;
        }
    }
}

}  // namespace
