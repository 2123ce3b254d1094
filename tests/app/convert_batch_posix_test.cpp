// Batch mode where POSIX decides whether a DICOMDIR can be written.
#include <unistd.h>

#include <optional>

#include "batch_runner.h"
#include "other_user_posix.h"

// A DICOMDIR that cannot be written: reported, no summary, code 6, and
// the earlier DICOMDIR untouched. Root writes into read-only folders: it runs as nobody then.
TEST_F(Batch, UnwritableDirectoryKeepsTheOldOne) {
    std::optional<Other_User> nobody;
    if (::geteuid() == 0) {
        nobody.emplace(exe_);
        if (!nobody->skip_reason().empty()) GTEST_SKIP() << nobody->skip_reason();
    }
    Scratch_Folder folder = nobody ? nobody->folder("data") : Scratch_Folder();
    folder.add("IMG1", Sample_With_UID("1.1"));
    folder.add_text("DICOMDIR", "earlier DICOMDIR");
    Batch_Options options = Batch_Options().apart();
    if (nobody) {
        options.after(Other_User::prefix(folder.path()));
        options.program = nobody->program();
        std::filesystem::permissions(folder.path(), std::filesystem::perms::owner_all |
                                                        std::filesystem::perms::others_read |
                                                        std::filesystem::perms::others_exec);
    } else {
        std::filesystem::permissions(folder.path(), std::filesystem::perms::owner_read |
                                                        std::filesystem::perms::owner_exec);
    }
    const Batch_Run result = run({folder.path()}, options);
    std::filesystem::permissions(folder.path(), std::filesystem::perms::owner_all);
    EXPECT_EQ(result.exit_code, 6) << result.output;
    EXPECT_TRUE(result.errors.starts_with("    ERROR: Unable to write " + folder.path() + "/DICOMDIR\n"))
        << result.errors;
    EXPECT_TRUE(has(result, "Unable to write " + folder.at("DICOMDIR"))) << result.output;
    EXPECT_FALSE(has(result, "DICOMDIR Done:"));
    EXPECT_EQ(File_Text(folder.at("DICOMDIR")), "earlier DICOMDIR");
}
