// The install folder from the real registry, registered as an installer does it (reg add).
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "support/test_system.h"
#include "util/log.h"
#include "util/registry.h"

namespace {

const std::string App_Paths = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";

int reg(std::vector<std::string> arguments) {
    arguments.push_back("/f");
    return Test_Run("C:\\windows\\system32\\reg.exe", arguments).code;
}

class Registry : public ::testing::Test {
protected:
    void SetUp() override {
        name = "KestrapolTest" + std::to_string(Test_Process_Id());
        seen().clear();
        Trace_Level = 1;
        Log_Set_Handler([](Win_Handle, int kind, const char* text) {
            seen().emplace_back(kind, text);
            return 1;
        });
    }
    void TearDown() override {
        Log_Set_Handler(nullptr);
        Trace_Level = 0;
        reg({"delete", App_Paths + name + ".exe"});
    }
    static std::vector<std::pair<int, std::string>>& seen() {
        static std::vector<std::pair<int, std::string>> lines;
        return lines;
    }
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
    EXPECT_TRUE(seen().empty());
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
        seen().clear();
        std::string path = "unchanged";
        EXPECT_EQ(Registry_Get_Path(name, path), 0);
        EXPECT_EQ(path, "unchanged");
        ASSERT_EQ(seen().size(), 4u);
        for (const auto& line : seen()) EXPECT_EQ(line.first, kind) << line.second;
        EXPECT_EQ(seen()[0].second, "Failed in Registry_Get_Path(" + name + ",unchanged)");
        EXPECT_EQ(seen()[1].second.rfind("File:", 0), 0u);
        EXPECT_EQ(seen()[2].second, step);
        EXPECT_EQ(seen()[3].second.rfind("[ERROR_FILE_NOT_FOUND] ", 0), 0u) << seen()[3].second;
    }
}

}  // namespace
