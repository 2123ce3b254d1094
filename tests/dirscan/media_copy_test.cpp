// Media copy: the layout's order and names, the copy of a messy folder with its map and
// DICOMDIR, refusals that leave the destination alone, and failure and cancel taken back.
#include <gtest/gtest.h>

#include <filesystem>

#include "dirscan/media_copy.h"
#include "dirscan/walk.h"
#include "walk_fixture.h"

namespace fs = std::filesystem;

namespace {

// Every path below folder, relative, with its bytes.
std::map<std::string, std::vector<uint8_t>> contents(const std::string& folder) {
    std::map<std::string, std::vector<uint8_t>> found;
    if (!fs::exists(folder)) return found;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        found[fs::relative(entry.path(), folder).string()] = entry.is_regular_file() ? Read_File(entry.path().string())
                                                                                      : std::vector<uint8_t>{};
    return found;
}

}  // namespace

TEST(MediaCopyLayout, OrdersEachLevelByItsKeysAndNumbersTheNames) {
    // Patient, study date and UID, series number and UID, instance number and UID; the File ID due.
    const std::vector<std::vector<std::string>> rows = {
        {"ZED", "20240101", "9.1", "1", "9.1.1", "1", "9.1.1.1", "PA000002\\ST000001\\SE000001\\IM000001"},
        {"ABEL", "20240301", "1.2", "10", "1.2.10", "2", "1.2.10.2", "PA000001\\ST000002\\SE000002\\IM000002"},
        {"ABEL", "20240301", "1.2", "10", "1.2.10", "", "1.2.10.9", "PA000001\\ST000002\\SE000002\\IM000003"},  // no number: last
        {"ABEL", "20240301", "1.2", "10", "1.2.10", "+1 ", "1.2.10.1", "PA000001\\ST000002\\SE000002\\IM000001"},  // numbers, not texts
        {"ABEL", "20240301", "1.2", "2", "1.2.2", "1", "1.2.2.1", "PA000001\\ST000002\\SE000001\\IM000001"},
        {"ABEL", "20230101", "1.3", "1", "1.3.1", "1", "1.3.1.1", "PA000001\\ST000001\\SE000001\\IM000002"},  // the earlier study
        {"ABEL", "20230101", "1.3", "1", "1.3.1", "1", "1.3.1.0", "PA000001\\ST000001\\SE000001\\IM000001"},  // same number: by UID
    };
    std::vector<Media_File> files;
    for (const auto& k : rows) {
        Media_File& file = files.emplace_back();
        file.outcome = Media_Outcome::Copied;
        file.patient_name = k[0], file.patient_id = "ID", file.study_date = k[1], file.study_uid = k[2];
        file.series_number = k[3], file.series_uid = k[4], file.instance_number = k[5], file.instance_uid = k[6];
    }
    files.insert(files.begin() + 1, Media_File{});  // not copied: no name
    Media_Copy_Layout(files);
    EXPECT_EQ(files[1].file_id, "");
    files.erase(files.begin() + 1);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(files[i].instance_uid, rows[i][6]);
        EXPECT_EQ(files[i].file_id, rows[i][7]) << rows[i][6];
        EXPECT_EQ(Kestrapol_Name_Check(nullptr, files[i].file_id), 1);
    }
}

TEST(MediaCopy, CopiesAMessyFolderAsMediaWithItsMapAndDirectory) {
    Scratch_Folder source, target;
    const std::string destination = target.at("media copy");
    source.add("a/b/c/d/e/f/g/h/i/deep image.dcm", Sample_Of("DOE^B", "1.2.3.1"));
    const Sample_Image second = Sample_Of("DOE^A", "1.2.3.3");
    Sample_Image lower = Sample_Of("DOE^A", "1.2.3.2", 2);
    lower.study_uid = second.study_uid, lower.series_uid = second.series_uid;
    source.add("lower-case.name.dcm", lower);
    source.add("Mixed Case.dir/second", second);
    source.add("copy of second", Sample_Of("DOE^A", "1.2.3.3"));                          // same bytes
    Sample_Image other = Sample_Of("DOE^A", "1.2.3.3");
    other.description = "OTHER CONTENT";
    source.add("zz conflict", other);                                                  // same UID, other bytes
    source.add_text("notes, read me.txt", "not DICOM");  // a comma: the field is quoted
    Sample_Image no_study = Sample_Of("DOE^C", "1.2.3.4");
    no_study.study_uid.clear();
    source.add("no study", no_study);
    const auto before = contents(source.path());

    Log_Recorder log;
    const Media_Copy_Result result = Media_Copy(nullptr, destination, {source.path()}, nullptr);
    ASSERT_FALSE(result.failed);
    EXPECT_EQ(result.copied, 3);
    EXPECT_EQ(result.duplicates, 1);
    EXPECT_EQ(result.conflicts, 1);
    EXPECT_EQ(result.left_out, 2);
    EXPECT_EQ(contents(source.path()), before);  // the sources untouched

    // Copies byte for byte, in the order of the layout.
    const auto copied = contents(destination);
    const auto id = [](const char* file_id) { return (fs::path(file_id)).make_preferred().string(); };
    const std::string A = std::string("PA000001") + Path_Separator + "ST000001" + Path_Separator + "SE000001" +
                          Path_Separator;
    EXPECT_EQ(copied.at(A + "IM000001"), before.at(id("Mixed Case.dir/second")));
    EXPECT_EQ(copied.at(A + "IM000002"), before.at(id("lower-case.name.dcm")));
    EXPECT_EQ(copied.count(A + "IM000003"), 0u);
    EXPECT_EQ(copied.size(), 11u);  // 6 folders, 3 files, the map and the DICOMDIR

    // The map has every source once, in walk order (what the DICOMDIR of a copy holds is read
    // back by independent readers: tests/interop/check_media_copy.py).
    const std::string map = File_Text(destination + Path_Separator + Media_Copy_Map_Name);
    EXPECT_EQ(map.rfind("\xEF\xBB\xBF" "Source file,File ID,Record type", 0), 0u);
    EXPECT_NE(map.find("\"" + source.at("notes, read me.txt") + "\",,,,,left out,not a DICOM file"),
              std::string::npos);
    EXPECT_NE(map.find(",\"no Study Instance UID (0020,000D)\"\r\n"), std::string::npos);
    EXPECT_NE(map.find(",duplicate,the same file as "), std::string::npos);
    EXPECT_NE(map.find(",conflict,\"SOP Instance UID 1.2.3.3 is copied from "), std::string::npos);
    EXPECT_EQ(std::count(map.begin(), map.end(), '\n'), 8);
    EXPECT_TRUE(log.has("Not copied: " + source.at("zz conflict")));
}

// A destination that would mix with the sources or with others' files is refused; a copy that
// fails (a source gone before its copy) or is cancelled removes what it made, and nothing else.
TEST(MediaCopy, RefusedFailedOrCancelledRunsLeaveEveryFolderAsItWas) {
    Scratch_Folder source, other;
    const std::string vanishing = source.add("b/IMG", Sample_Of("DOE^B", "1.2.5.2"));
    source.add("a/IMG", Sample_Of("DOE^A", "1.2.5.1"));
    other.add_text("kept.txt", "a user's file");
    other.add_text("plain file", "not a folder");
    fs::create_directory(other.at("empty"));
    struct Case {
        const char* what;
        std::string destination;
        std::vector<std::string> sources;
        int cancel_at = -1;
        bool remove_source = false;
    };
    const std::vector<Case> cases = {
        {"not empty", other.path(), {source.path()}},
        {"a file", other.at("plain file"), {source.path()}},
        {"inside the source", source.at("a") + Path_Separator + "new", {source.path()}},
        {"the source itself", source.path() + Path_Separator, {source.path()}},
        {"below a missing folder", other.at("missing") + Path_Separator + "new", {source.path()}},
        {"from a missing source", other.at("new"), {source.path(), other.at("missing")}},
        {"named empty", "", {source.path()}},
        {"cancelled while reading", other.at("new"), {source.path()}, 1},
        {"cancelled while copying", other.at("new"), {source.path()}, 4},
        {"cancelled into an empty folder", other.at("empty"), {source.path()}, 4},
        {"a source gone before its copy", other.at("new"), {source.path()}, -1, true},
        {"a source gone, empty folder", other.at("empty"), {source.path()}, -1, true},
    };
    const auto source_before = contents(source.path()), other_before = contents(other.path());
    const auto saved = Read_File(vanishing);
    for (const Case& c : cases) {
        Progress_Recorder progress(c.cancel_at);
        if (c.remove_source) progress.on_range = [&] { fs::remove(vanishing); };
        Log_Recorder log;
        const Media_Copy_Result result = Media_Copy(nullptr, c.destination, c.sources, &progress);
        EXPECT_TRUE(result.failed) << c.what;
        EXPECT_EQ(result.cancelled, c.cancel_at >= 0) << c.what;
        if (c.cancel_at < 0) {  // a cancel is no error
            EXPECT_TRUE(log.has(c.remove_source ? "Unable to copy " + source.at("b") + Path_Separator + "IMG" : "ERROR:"))
                << c.what;
        }
        if (c.remove_source) Write_File(vanishing, saved);
        EXPECT_EQ(contents(source.path()), source_before) << c.what;
        EXPECT_EQ(contents(other.path()), other_before) << c.what;
    }
}
