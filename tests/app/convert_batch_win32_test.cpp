// Batch mode where Windows differs: a folder named relative to the current one, with "/".
// (Read-only and held-open DICOMDIRs, wide names and deep folders: tools/windows_end_to_end.py.)
#include "batch_runner.h"

TEST_F(Batch, RelativeFolderWithSlashes) {
    Scratch_Folder folder;
    folder.add("CD/PAT1/IMG1", Sample_With_UID("1.1"));
    const Batch_Run result = run({"CD/PAT1/"}, Batch_Options().in(folder.path()));
    EXPECT_EQ(result.exit_code, 0) << result.output;
    EXPECT_TRUE(std::filesystem::exists(folder.at("CD\\PAT1\\DICOMDIR")));
}
