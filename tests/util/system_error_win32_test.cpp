// System error texts on Windows: the thread's last error and the system's own sentence.
#include <gtest/gtest.h>
#include <windows.h>

#include "util/system_error.h"

namespace {

TEST(Win32SystemErrorStr, NamesTheLastErrorOfAFailedOpen) {
    const HANDLE missing = CreateFileW(L"C:\\nonexistent-kestrapol-file", GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_EQ(missing, INVALID_HANDLE_VALUE);
    const std::string text = System_Error_Str(0);
    EXPECT_EQ(text.rfind("[ERROR_FILE_NOT_FOUND] ", 0), 0u) << text;
    EXPECT_GT(text.size(), 24u);  // the system's sentence follows, without its line break
    EXPECT_NE(text.back(), '\n');
    EXPECT_NE(text.back(), '\r');
}

}  // namespace
