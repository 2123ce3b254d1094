// System error texts on POSIX: errno named after its Windows equivalent, the C library's text.
#include <gtest/gtest.h>
#include <fcntl.h>

#include <cerrno>

#include "util/system_error.h"

namespace {

TEST(PosixSystemErrorStr, NamesTheErrnoOfAFailedOpen) {
    ASSERT_LT(open("/nonexistent/kestrapol/file", O_RDONLY), 0);
    EXPECT_STREQ(System_Error_Str(0), "[ERROR_FILE_NOT_FOUND] No such file or directory");
    errno = EACCES;
    EXPECT_STREQ(System_Error_Str(0), "[ERROR_ACCESS_DENIED] Permission denied");
    EXPECT_STREQ(System_Error_Str(0x80070005u), "(facility=Win32) [ERROR_ACCESS_DENIED] Permission denied");
    EXPECT_STREQ(System_Error_Str(1000), " ");  // neither a name nor an errno
}

}  // namespace
