// Check mode and the JSON results end to end: the program run as a script runs it, its exit
// code, its report and its results file read back as JSON.
#include <nlohmann/json.hpp>

#include <functional>

#include "batch_runner.h"

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

constexpr const char* SR_Class = "1.2.840.10008.5.1.4.1.1.88.11";  // Basic Text SR

json read_json(const std::string& path) {
    std::ifstream in(path);
    return json::parse(in, nullptr, false);
}

// Each field named by a JSON pointer holds the value given.
void expect_fields(const json& j, std::initializer_list<std::pair<const char*, json>> fields) {
    for (const auto& [pointer, value] : fields) {
        const json::json_pointer at(pointer);
        EXPECT_EQ(j.contains(at) ? j.at(at) : json(), value) << pointer << "\n" << j.dump(1);
    }
}

// Patient P1 with two images in A, patient P2 with one in B: the last record is B\IMG1's.
void fill(const Scratch_Folder& folder, bool sr_in_b = false) {
    Sample_Image image = Sample_With_UID("1.2.3.1");
    folder.add("A/IMG1", image);
    image.sop_uid = "1.2.3.2", image.instance_number = 2;
    folder.add("A/IMG2", image);
    Sample_Image other = Sample_With_UID("1.2.3.3");
    other.patient_name = "ROE^JANE", other.patient_id = "ID0002";
    other.study_uid = "1.2.3.9", other.series_uid = "1.2.3.9.1";
    if (sr_in_b) other.sop_class = SR_Class;
    folder.add("B/IMG1", other);
}

// The DICOMDIR's bytes and records.
struct Directory_Bytes {
    explicit Directory_Bytes(const Scratch_Folder& folder) : bytes(Read_File(folder.at("DICOMDIR"))) {
        uint32_t first = 0, last = 0;
        records = Read_Records(bytes, first, last);
    }
    const Read_Record& file(const std::string& id) const {
        for (const Read_Record& record : records)
            if (record.file_id.rfind(id, 0) == 0) return record;
        throw std::runtime_error("no record for " + id);
    }
    // Points the (0004,1400) of the record of file id, which the writer puts first, at offset.
    void point_next(const std::string& id, uint32_t offset) {
        for (int i = 0; i < 4; ++i) bytes[file(id).offset + 16 + i] = static_cast<uint8_t>(offset >> (8 * i));
    }
    std::vector<uint8_t> bytes;
    std::vector<Read_Record> records;
};

// The last record's Directory Record Type made type: nothing points past the last record, so its
// length may change.
void retype_last_record(std::vector<uint8_t>& b, const Read_Record& last, const std::string& type) {
    std::size_t at = last.offset + 8;
    while (!(LE16(b, at) == 0x0004 && LE16(b, at + 2) == 0x1430)) at += 8 + LE16(b, at + 6);
    std::vector<uint8_t> element = {0x04, 0x00, 0x30, 0x14, 'C', 'S', static_cast<uint8_t>(type.size()), 0};
    element.insert(element.end(), type.begin(), type.end());
    const std::size_t end = at + 8 + LE16(b, at + 6);
    b.erase(b.begin() + static_cast<long>(at), b.begin() + static_cast<long>(end));
    b.insert(b.begin() + static_cast<long>(at), element.begin(), element.end());
}

// Damage to the folder or to the DICOMDIR's bytes, which are written back afterwards.
struct Damage {
    const char* name;
    std::function<void(Directory_Bytes& d, const Scratch_Folder& folder, const std::string& outside)> apply;
    const char* finding;  // part of the one finding's text
    const char* file;     // the file it concerns, "" for none
    bool warning = false;
    bool sr_in_b = false;
};

}  // namespace

class Check_Mode : public Batch {
protected:
    // Converts folder, then checks it with results; the run and its JSON.
    std::pair<Batch_Run, json> check(const std::vector<std::string>& folders, const Scratch_Folder& scratch) {
        const std::string results = scratch.at("results.json");
        std::vector<std::string> arguments = {"-c", "-r", results};
        arguments.insert(arguments.end(), folders.begin(), folders.end());
        Batch_Run result = run(arguments);
        return {result, read_json(results)};
    }
};

TEST_F(Check_Mode, EachDamageGivesExactlyItsFinding) {
    using F = const Scratch_Folder&;
    using O = const std::string&;
    const Damage damages[] = {
        {"deleted file", [](Directory_Bytes&, F f, O) { fs::remove(f.at("A/IMG2")); },
         "referenced file does not exist", "A\\IMG2"},
        {"replaced file", [](Directory_Bytes&, F f, O) { f.add("A/IMG2", Sample_With_UID("1.2.3.7")); },
         "\"1.2.3.2\" in the record, \"1.2.3.7\" in the file", "A\\IMG2"},
        {"unreferenced file", [](Directory_Bytes&, F f, O) { f.add("C/IMG9", Sample_With_UID("1.2.3.8")); },
         "not in the index", "C\\IMG9"},
        {"File ID with ..",
         [](Directory_Bytes& d, F f, O outside) {
             const Read_Record& b = d.file("B\\IMG1");
             const auto at = std::search(d.bytes.begin() + b.offset, d.bytes.end(), b.file_id.begin(), b.file_id.end());
             std::copy_n("..\\IMG", 6, at);
             fs::rename(f.at("B/IMG1"), outside + "/IMG1");
         },
         "no path inside the folder", "..\\IMG"},
        {"File ID through a link",
         [](Directory_Bytes&, F f, O outside) {
             fs::rename(f.at("B"), outside + "/B");
             fs::create_directory_symlink(outside + "/B", f.at("B"));
         },
         "leads out of the folder through a link", "B\\IMG1"},
        {"offset loop", [](Directory_Bytes& d, F, O) { d.point_next("A\\IMG2", d.file("A\\IMG1").offset); },
         "the offsets form a loop", ""},
        {"offset past the end",
         [](Directory_Bytes& d, F, O) { d.point_next("A\\IMG2", static_cast<uint32_t>(d.bytes.size() + 100)); },
         "points past the end of the DICOMDIR", ""},
        {"truncated DICOMDIR", [](Directory_Bytes& d, F, O) { d.bytes.resize(d.file("B\\IMG1").offset + 30); },
         "ends early or is damaged", ""},
        {"missing Type 1 key",
         [](Directory_Bytes& d, F, O) {
             const uint8_t instance[] = {0x20, 0x00, 0x13, 0x00, 'I', 'S'};
             const auto at = std::search(d.bytes.begin() + d.file("A\\IMG1").offset, d.bytes.end(),
                                         std::begin(instance), std::end(instance));
             at[3] = 0x01;  // (0020,0013) becomes (0020,0113)
         },
         "missing, although the file has the value \"1\"", "A\\IMG1"},
        {"SR under IMAGE", [](Directory_Bytes& d, F, O) { retype_last_record(d.bytes, d.records.back(), "IMAGE "); },
         "belongs in SR DOCUMENT records", "B\\IMG1", true, true},
        {"orphan record", [](Directory_Bytes& d, F, O) { d.point_next("A\\IMG1", 0); },
         "not reached from the root", ""},
    };
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.name);
        Scratch_Folder scratch, folder;
        const std::string outside = scratch.at("outside");
        fs::create_directories(outside);
        fill(folder, damage.sr_in_b);
        ASSERT_EQ(run({folder.path()}).exit_code, 0);
        try {
            Directory_Bytes d(folder);
            damage.apply(d, folder, outside);
            Write_File(folder.at("DICOMDIR"), d.bytes);
        } catch (const fs::filesystem_error& error) {  // no symbolic links here
            std::cout << "skipped: " << error.what() << "\n";
            continue;
        }
        const auto [result, results] = check({folder.path()}, scratch);
        EXPECT_EQ(result.exit_code, 9) << result.output;
        EXPECT_TRUE(has(result, "DICOMDIR checked:")) << result.output;
        EXPECT_TRUE(has(result, " files, 1 problems")) << result.output;
        ASSERT_TRUE(results.is_object()) << result.output;
        expect_fields(results, {{"/exit_code", 9}, {"/folders/0/outcome", "problems"}, {"/folders/0/findings/1", nullptr},
                                {"/folders/0/findings/0/severity", damage.warning ? "warning" : "error"}});
        const json& finding = results["folders"][0]["findings"][0];
        EXPECT_NE(finding.value("text", "").find(damage.finding), std::string::npos) << finding.dump();
        EXPECT_EQ(finding.value("file", ""), damage.file);
        EXPECT_TRUE(has(result, damage.finding)) << result.output;
    }
}

// The DICOMDIRs the program writes pass (one named with a final "/" is still the root of its file
// names), and the results of each mode and outcome agree with the exit code and the report.
TEST_F(Check_Mode, ResultsAgreeWithExitCodeAndReport) {
    Scratch_Folder scratch, clean, empty, bad_names;
    for (const Sample_Entry& entry : Sample_Entries) {
        Sample_Image image = Sample_With_UID(std::string("1.2.4.") + std::to_string(&entry - Sample_Entries));
        image.patient_name = entry.patient, image.patient_id = entry.id, image.code = entry.code;
        image.nested_sequence = entry.nested;
        clean.add(entry.path, image);
    }
    bad_names.add("SERIES001/IMG1", Sample_With_UID("1.2.5.1"));
    bad_names.add_text("BROKEN", std::string(128, '\0') + "DICM\x02");  // cut inside its first element
    const std::string results = scratch.at("convert.json");

    Batch_Run converted = run({"-r", results, clean.path() + "/", bad_names.path()});
    EXPECT_EQ(converted.exit_code, 1) << converted.output;
    expect_fields(read_json(results), {{"/schema", 1}, {"/mode", "convert"}, {"/exit_code", 1},
                                       {"/folders/0/outcome", "done"},
                                       {"/folders/0/counts/files", std::size(Sample_Entries)},
                                       {"/folders/1/outcome", "names not allowed"},
                                       {"/folders/1/messages/0/severity", "warning"},
                                       {"/folders/1/messages/0/file", "SERIES001\\IMG1"},
                                       {"/folders/1/left_out/0/file", "BROKEN"}});
    EXPECT_TRUE(has(converted, "DICOMDIR Done:")) << "the report stays as it was";

    auto [checked, check_rows] = check({clean.path()}, scratch);
    EXPECT_EQ(checked.exit_code, 0) << checked.output;
    uint32_t first = 0, last = 0;
    const std::size_t records = Read_Records(Read_File(clean.at("DICOMDIR")), first, last).size();
    EXPECT_TRUE(has(checked, "DICOMDIR checked: " + std::to_string(records) + " records, 7 files, 0 problems"))
        << checked.output;
    expect_fields(check_rows, {{"/mode", "check"}, {"/folders/0/outcome", "clean"},
                               {"/folders/0/counts/records", records}, {"/folders/0/findings", json::array()}});

    auto [missing, missing_rows] = check({clean.path(), empty.path(), empty.at("NONE")}, scratch);
    EXPECT_EQ(missing.exit_code, 7) << missing.output;
    EXPECT_TRUE(has(missing, "No DICOMDIR in " + empty.path())) << missing.output;
    expect_fields(missing_rows, {{"/exit_code", 7}, {"/folders/1/outcome", "no DICOMDIR"},
                                 {"/folders/2/outcome", "cannot open folder"},
                                 {"/folders/2/messages/0/severity", "error"}});
    EXPECT_EQ(run({"-c", empty.path()}).exit_code, 10);

    // A media copy of a folder that in place gets no DICOMDIR: its map in the results, and the
    // copy passes the check.
    const std::string copy = scratch.at("COPY"), copy_results = scratch.at("copy.json");
    const Batch_Run copied = run({"-o", copy, "-r", copy_results, bad_names.path()});
    EXPECT_EQ(copied.exit_code, 0) << copied.output;
    json copy_rows = read_json(copy_results);
    expect_fields(copy_rows, {{"/mode", "copy"}, {"/folders/0/folder", copy}, {"/folders/0/outcome", "copied"},
                              {"/folders/0/counts/copied", 1}, {"/folders/0/left_out/0/file", bad_names.at("BROKEN")},
                              {"/folders/0/left_out/1", nullptr}});
    EXPECT_EQ(copy_rows["folders"][0]["map"].size(), 2u);
    for (const json& entry : copy_rows["folders"][0]["map"])
        EXPECT_EQ(entry["outcome"], entry["source"] == bad_names.at("BROKEN") ? "left out" : "copied") << entry.dump();
    auto [copy_checked, copy_check_rows] = check({copy}, scratch);
    EXPECT_EQ(copy_checked.exit_code, 0) << copy_checked.output;

    Batch_Run unwritable = run({"-c", "-r", empty.at("NO/results.json"), clean.path()});
    EXPECT_EQ(unwritable.exit_code, 6) << "a script must not take an older file for this run's results";
}
