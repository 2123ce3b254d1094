// The install folder from the real registry, registered as an installer does it (reg add).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/log_recorder.h"
#include "support/test_system.h"
#include "util/registry.h"

namespace {

const std::string App_Paths = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";

int reg(std::vector<std::string> arguments) {
    arguments.push_back("/f");
    return Test_Run("C:\\windows\\system32\\reg.exe", arguments).code;
}

class Registry : public ::testing::Test {
protected:
    void SetUp() override { name = "KestrapolTest" + std::to_string(Test_Process_Id()); }
    void TearDown() override { reg({"delete", App_Paths + name + ".exe"}); }
    Log_Recorder log{1};  // at trace level 1, so that the trace lines are seen too
    std::string name;
};

TEST_F(Registry, RegisteredPathWithAndWithoutExe) {
    ASSERT_EQ(reg({"add", App_Paths + name + ".exe", "/v", "Path", "/d", "C:\\Kestrapol Test"}), 0);
    std::string path;
    ASSERT_EQ(Registry_Get_Path(name, path), 1);
    EXPECT_EQ(path, "C:\\Kestrapol Test\\");
    path.clear();
    ASSERT_EQ(Registry_Get_Path(name + ".exe", path), 1);
    EXPECT_EQ(path, "C:\\Kestrapol Test\\");
    EXPECT_TRUE(log.lines().empty());
    // Only an exact ".exe" ending counts: this looks for <NAME>.EXE.exe.
    EXPECT_EQ(Registry_Get_Path(name + ".EXE", path), 0);
}

// Both failures give the same four lines, of one kind: an unregistered program is an ordinary
// case (trace only), a registration without its value goes to the error log.
TEST_F(Registry, FailuresGiveFourLinesOfOneKind) {
    const struct {
        bool registered;
        int kind;
        std::string step;
    } cases[] = {{false, LOG_TRACE_1, "Unable to access key: " + name + ".exe"},
                 {true, LOG_ERRLOG, "Unable to access value: Path"}};
    for (const auto& [registered, kind, step] : cases) {
        SCOPED_TRACE(step);
        if (registered) {
            ASSERT_EQ(reg({"add", App_Paths + name + ".exe"}), 0);
        }
        log.lines().clear();
        std::string path = "unchanged";
        EXPECT_EQ(Registry_Get_Path(name, path), 0);
        EXPECT_EQ(path, "unchanged");
        ASSERT_EQ(log.lines().size(), 4u);
        for (const auto& line : log.lines()) EXPECT_EQ(line.first, kind) << line.second;
        EXPECT_EQ(log.lines()[0].second, "Failed in Registry_Get_Path(" + name + ",unchanged)");
        EXPECT_EQ(log.lines()[1].second.rfind("File:", 0), 0u);
        EXPECT_EQ(log.lines()[2].second, step);
        EXPECT_EQ(log.lines()[3].second.rfind("[ERROR_FILE_NOT_FOUND] ", 0), 0u) << log.lines()[3].second;
    }
}

}  // namespace
