// Runs of the program as nobody, for what root may do and others may not. That user may not reach
// the build tree, so it runs a copy of the program and its tables from a folder of the test's own
// below /tmp, where the test's folders go too; all of it is removed at the end.
#pragma once

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "dirscan/walk_fixture.h"

class Other_User {
public:
    static constexpr uid_t Id = 65534;

    explicit Other_User(const std::string& exe) {
        namespace fs = std::filesystem;
        char pattern[] = "/tmp/kestrapol-other-XXXXXX";
        if (::getpwuid(Id) == nullptr) reason_ = "no user " + std::to_string(Id) + " on this machine";
        else if (std::system("command -v setpriv >/dev/null 2>&1") != 0) reason_ = "no setpriv to run as another user";
        else if (::mkdtemp(pattern) == nullptr || ::chmod(pattern, 0755) != 0) reason_ = "no folder of its own in /tmp";
        if (!reason_.empty()) return;
        base_ = pattern;
        const fs::path from = fs::path(exe).parent_path(), to = fs::path(base_) / "bin";
        fs::create_directories(to);
        fs::copy_file(exe, to / "kestrapol");
        for (const char* beside : {"Kestrapol.ini", "DICOM Tables"})
            if (fs::exists(from / beside)) fs::copy(from / beside, to / beside, fs::copy_options::recursive);
        for (const auto& entry : fs::recursive_directory_iterator(base_)) {
            const bool runs = entry.is_directory() || entry.path() == to / "kestrapol";
            fs::permissions(entry.path(), fs::perms::others_read | fs::perms::group_read |
                                              (runs ? fs::perms::others_exec | fs::perms::group_exec : fs::perms::none),
                            fs::perm_options::add);
        }
        program_ = (to / "kestrapol").string();
    }
    ~Other_User() {
        if (!base_.empty()) Test_Remove_All(base_);
    }
    Other_User(const Other_User&) = delete;
    Other_User& operator=(const Other_User&) = delete;

    // Why the run cannot be made (the test is skipped then); empty when it can.
    const std::string& skip_reason() const { return reason_; }
    // The copy of the program, readable and runnable by the other user.
    const std::string& program() const { return program_; }
    // A new folder below the test's own that the other user can reach.
    Scratch_Folder folder(const std::string& name) const { return Scratch_Folder(base_ + "/" + name); }
    // Shell words that run what follows as the other user, with temporary as its TMPDIR.
    static std::string prefix(const std::string& temporary) {
        return "env TMPDIR=" + temporary + " setpriv --reuid=" + std::to_string(Id) + " --regid=" +
               std::to_string(Id) + " --clear-groups";
    }

private:
    std::string reason_, base_, program_;
};
