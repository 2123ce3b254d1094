// The name check, the order of the walk and what it skips.
#include <gtest/gtest.h>

#include <filesystem>

#include "dirscan/walk.h"
#include "walk_fixture.h"

namespace {

struct Name_Case {
    const char* name;
    int result;
    uint8_t flags;
    const char* marked;  // the marked copy in the warning, nullptr when none is due
};

class Cancel_After final : public Progress_Window {
public:
    explicit Cancel_After(int calls) : left_(calls) {}
    void show() override {}
    void text(const char*) override {}
    void set(int) override {}
    void add(int delta) override { added += delta; }
    void range(int) override {}
    bool cancelled() const override { return --left_ < 0; }
    void close() override {}
    int added = 0;

private:
    mutable int left_;
};

Sample_Image image(const std::string& patient, const std::string& uid) {
    Sample_Image sample;
    sample.patient_name = patient;
    sample.patient_id = patient;
    sample.study_uid = "1.2.3." + patient;
    sample.series_uid = "1.2.3." + patient + ".1";
    sample.sop_uid = uid;
    return sample;
}

// Walks folder into a fresh tree with fresh counters.
struct Walk_Run {
    explicit Walk_Run(const Scratch_Folder& folder, Progress_Window* progress = nullptr) {
        name_flags = 0;
        nb_files = nb_patients = nb_studies = nb_series = nb_images = 0;
        root.path = folder.path();
        result = Kestrapol_Analyze(nullptr, folder.path(), &root, "", progress);
    }
    Walk_Log log;
    Dir_Item root;
    int result = 0;
};

}  // namespace

TEST(NameCheck, MarksEveryFaultyCharacter) {
    const Name_Case cases[] = {
        {"SERIES01\\IMAGE001", 1, 0, nullptr},           // 8 permitted characters per component
        {"A B\\C_9", 1, 0, nullptr},                      // blank and underscore are allowed
        {"", 1, 0, nullptr},
        {"SERIES01\\IMAGE0001", 0, 2, "SERIES01\\IMAGE000\x04" "1\x01"},
        {"image01", 0, 4, "\x04i\x01\x04m\x01\x04" "a\x01\x04g\x01\x04" "e\x01" "01"},
        {"ABCDEFGHi", 0, 2, "ABCDEFGH\x04i\x01"},          // a ninth character is too long, whatever it is
        {"IMG.DCM", 0, 4, "IMG\x04.\x01" "DCM"},
        {"longfolder\\X", 0, 6, nullptr},
    };
    for (const Name_Case& c : cases) {
        Walk_Log log;
        name_flags = 0;
        EXPECT_EQ(Kestrapol_Name_Check(nullptr, c.name), c.result) << c.name;
        EXPECT_EQ(name_flags, c.flags) << c.name;
        EXPECT_EQ(log.count("Invalid file name"), c.result ? 0 : 1) << c.name;
        if (c.marked) {
            EXPECT_TRUE(log.has("\"" + std::string(c.marked) + "\" !")) << c.name;
        }
    }
    name_flags = 2;
    Kestrapol_Name_Check(nullptr, "x");
    EXPECT_EQ(name_flags, 6);  // bits are only added
}

TEST(Walk, SubFoldersFirstThenFilesInNameOrder) {
    Scratch_Folder folder;
    folder.add("B/IMG1", image("PB", "1.1"));
    folder.add("a/IMG2", image("PA", "1.2"));  // "a" sorts as "A", before "B"
    folder.add("IMG0", image("PR", "1.0"));
    folder.add("C/D/IMG3", image("PB", "1.3"));
    folder.add_text("NOTDICOM", std::string(200, 'x'));
    folder.add_text("SHORT", "DICM");
    folder.add("DICOMDIR", image("PX", "9.1"));
    folder.add("DICOMDIR.OLD", image("PX", "9.2"));
    folder.add(".hidden/IMG9", image("PX", "9.3"));
    folder.add(".IMG8", image("PX", "9.4"));

    Cancel_After progress(1000);
    const Walk_Run walk(folder, &progress);
    const Dir_Item& root = walk.root;
    EXPECT_EQ(walk.result, 4);
    EXPECT_EQ(nb_files, 4);
    EXPECT_EQ(name_flags, 4);  // the lower-case folder "a"
    // Every visited plain file moves the bar, DICOM or not; hidden ones are not visited.
    EXPECT_EQ(progress.added, 8);
    EXPECT_EQ(Kestrapol_Count(folder.path(), nullptr), 8);

    ASSERT_EQ(root.child.size(), 3u);
    EXPECT_EQ(root.child[0].key.substr(0, 2), "PA");
    EXPECT_EQ(root.child[1].key.substr(0, 2), "PB");
    EXPECT_EQ(root.child[2].key.substr(0, 2), "PR");
    const auto& pb_images = root.child[1].child[0].child[0].child;
    ASSERT_EQ(pb_images.size(), 2u);
    EXPECT_EQ(pb_images[0].file_name, "B\\IMG1");
    EXPECT_EQ(pb_images[1].file_name, "C\\D\\IMG3");
    EXPECT_EQ(root.child[2].child[0].child[0].child[0].file_name, "IMG0");
}

TEST(Walk, CancelStopsTheWalk) {
    Scratch_Folder folder;
    folder.add("A/IMG1", image("PA", "1.1"));
    folder.add("B/IMG2", image("PB", "1.2"));
    Cancel_After progress(3);
    EXPECT_EQ(Walk_Run(folder, &progress).result, 0);
    EXPECT_LT(nb_files, 2);
    Cancel_After counting(0);
    EXPECT_EQ(Kestrapol_Count(folder.path(), &counting), 0);
}

TEST(Walk, LinksToFoldersAreNotFollowed) {
    Scratch_Folder folder;
    folder.add("A/IMG1", image("PA", "1.1"));
    std::filesystem::create_directory_symlink(folder.path(), folder.path() + "/LOOP");
    std::filesystem::create_symlink(folder.path() + "/A/IMG1", folder.path() + "/LINK");
    // The link to the file is read like a file (a duplicate of IMG1); the loop is never entered.
    const Walk_Run walk(folder);
    EXPECT_EQ(walk.result, 2);
    EXPECT_EQ(nb_images, 1);
    EXPECT_TRUE(walk.log.has("Duplicate Image (A\\IMG1 /vs/ LINK)"));
}

TEST(Walk, UnreadableFileIsReported) {
    if (::geteuid() == 0) GTEST_SKIP() << "root reads every file";
    Scratch_Folder folder;
    const std::string file = folder.add("IMG1", image("PA", "1.1"));
    std::filesystem::permissions(file, std::filesystem::perms::none);
    const Walk_Run walk(folder);
    EXPECT_EQ(walk.result, 0);
    EXPECT_TRUE(walk.log.has("Unable to open file."));
}
