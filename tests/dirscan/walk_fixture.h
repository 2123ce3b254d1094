// Helpers of the walk, tree, writer and program tests: a progress recorder, scratch folders,
// sample files, a reader of the DICOMDIR records and one walk of a folder.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "dirscan/progress.h"
#include "dirscan/walk.h"
#include "support/log_recorder.h"
#include "support/test_system.h"
#include "tools/make_sample_files.h"
#include "util/log.h"
#include "util/platform_folder.h"

// Counts what a walk shows; cancels when asked more than cancel_at times (never when -1); runs
// on_range when the range is set.
class Progress_Recorder final : public Progress_Window {
public:
    explicit Progress_Recorder(int cancel_at = -1) : cancel_at_(cancel_at) {}
    void show() override {}
    void text(const char*) override {}
    void set(int) override {}
    void add(int delta) override { added += delta; }
    void range(int) override {
        if (on_range) on_range();
    }
    bool cancelled() const override { return cancel_at_ >= 0 && ++asked_ > cancel_at_; }
    void close() override {}
    void counted(int files) override { counted_files += files; }  // from the count's two threads
    std::function<void()> on_range;
    int added = 0;
    std::atomic<int> counted_files{0};

private:
    int cancel_at_;
    mutable std::atomic<int> asked_{0};
};

inline Sample_Image Sample_With_UID(const std::string& uid) {
    Sample_Image sample;
    sample.sop_uid = uid;
    return sample;
}

// A sample of patient (name and ID) in a study and series of its own, named after uid.
inline Sample_Image Sample_Of(const std::string& patient, const std::string& uid, int instance = 1) {
    Sample_Image sample = Sample_With_UID(uid);
    sample.patient_name = sample.patient_id = patient;
    sample.study_uid = uid + ".0", sample.series_uid = uid + ".0.0";
    sample.instance_number = instance;
    return sample;
}

// A fresh folder below the system's temporary folder, removed at the end.
class Scratch_Folder {
public:
    Scratch_Folder() : path_(Test_Scratch_Folder("kestrapol_")) {}
    // A new folder at path (whose parent exists), removed at the end as well.
    explicit Scratch_Folder(std::string path) : path_(std::move(path)) {
        std::filesystem::create_directory(path_);
    }
    ~Scratch_Folder() {
        std::error_code ignored;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ignored);
        Test_Remove_All(path_);
    }
    const std::string& path() const { return path_; }
    // folder/name with the system's separator, as the program names it.
    std::string at(const std::string& name) const { return path_ + Path_Separator + name; }
    // Writes a sample file at folder/relative, creating the folders on the way.
    std::string add(const std::string& relative, const Sample_Image& image) const {
        const std::filesystem::path file = std::filesystem::path(path_) / relative;
        std::filesystem::create_directories(file.parent_path());
        Sample_File_Write(file.string(), image);
        return file.string();
    }
    // Hides folder/relative as the system marks hidden entries (its name starts with a dot).
    void hide(const std::string& relative) const { Test_Hide((std::filesystem::path(path_) / relative).string()); }
    void add_text(const std::string& relative, const std::string& text) const {
        const std::filesystem::path file = std::filesystem::path(path_) / relative;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << text;
    }

private:
    std::string path_;
};

inline std::vector<uint8_t> Read_File(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void Write_File(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline std::string File_Text(const std::string& path) {
    const std::vector<uint8_t> bytes = Read_File(path);
    return {bytes.begin(), bytes.end()};
}

inline uint16_t LE16(const std::vector<uint8_t>& b, std::size_t at) {
    return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}
inline uint32_t LE32(const std::vector<uint8_t>& b, std::size_t at) {
    return static_cast<uint32_t>(LE16(b, at) | (LE16(b, at + 2) << 16));
}

// One directory record as found in a DICOMDIR: where its item starts and its fields.
struct Read_Record {
    uint32_t offset = 0;
    uint32_t next = 0, lower = 0;
    std::string type, file_id;
};

// The records of a DICOMDIR in file order, walking its explicit VR little-endian elements.
// Also gives (0004,1200) and (0004,1202).
inline std::vector<Read_Record> Read_Records(const std::vector<uint8_t>& b, uint32_t& first, uint32_t& last) {
    std::vector<Read_Record> records;
    // Meta group: 132 bytes, then (0002,0000) UL gives the group length.
    std::size_t at = 132 + 12 + LE32(b, 132 + 8);
    while (at + 8 <= b.size()) {
        const uint16_t group = LE16(b, at), element = LE16(b, at + 2);
        if (group == 0xFFFE) {
            if (element == 0xE000) records.push_back({static_cast<uint32_t>(at), 0, 0, "", ""});
            at += 8;
            continue;
        }
        const std::string vr{static_cast<char>(b[at + 4]), static_cast<char>(b[at + 5])};
        const bool long_form = vr == "OB" || vr == "OW" || vr == "UN" || vr == "SQ" || vr == "UT";
        uint32_t length = long_form ? LE32(b, at + 8) : LE16(b, at + 6);
        const std::size_t value = at + (long_form ? 12 : 8);
        if (length == 0xFFFFFFFF) length = 0;  // the record sequence: step into it
        if (group == 0x0004) {
            const std::string text(b.begin() + static_cast<long>(value), b.begin() + static_cast<long>(value + length));
            switch (element) {
            case 0x1200: first = LE32(b, value); break;
            case 0x1202: last = LE32(b, value); break;
            case 0x1400: records.back().next = LE32(b, value); break;
            case 0x1420: records.back().lower = LE32(b, value); break;
            case 0x1430: records.back().type = text; break;
            case 0x1500: records.back().file_id = text; break;
            }
        }
        at = value + length;
    }
    return records;
}

// One walk of a scratch folder into a fresh tree with fresh counters, its log captured.
struct Walk_Run {
    explicit Walk_Run(const Scratch_Folder& folder, Progress_Window* progress = nullptr, int trace_level = 0)
        : log(trace_level) {
        name_flags = 0;
        nb_files = nb_patients = nb_studies = nb_series = nb_images = 0;
        root.path = folder.path();
        result = Kestrapol_Analyze(nullptr, folder.path(), &root, "", progress);
    }
    Log_Recorder log;
    Dir_Item root;
    int result = 0;
};
