// Reads a typical 100-element image file a few thousand times through the walk's path (prefix
// test, then per-file reading on the same source) and prints the time and the system calls
// per file, next to a reader that asks the system for every read and seek.
//
// Usage: reader_bench [iterations]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "dirscan/scan_read.h"
#include "tests/dicom/stream_builder.h"

namespace {

// One system call per read, as a plain handle reader does it (a seek per position change).
class Direct_Source final : public Byte_Source {
public:
    explicit Direct_Source(const std::string& path) {
        ++calls;
        fd_ = ::open(path.c_str(), O_RDONLY);
        struct stat st {};
        ++calls;
        ::fstat(fd_, &st);
        size_ = static_cast<uint64_t>(st.st_size);
        name_ = path;
    }
    ~Direct_Source() override { close(); }
    void close() override {
        if (fd_ < 0) return;
        ++calls;
        ::close(fd_);
        fd_ = -1;
    }
    long read(uint8_t* destination, std::size_t count) override {
        if (position_ != file_position_) ++calls;  // the seek a handle reader makes
        ++calls;
        const ssize_t got = ::pread(fd_, destination, count, static_cast<off_t>(position_));
        if (got > 0) position_ += static_cast<uint64_t>(got);
        file_position_ = position_;
        return got;
    }
    uint64_t calls = 0;

private:
    int fd_ = -1;
    uint64_t file_position_ = 0;
};

// About 100 elements: meta information, identification, patient, study, series, image
// attributes, a referenced-image sequence, and 512 x 512 x 16-bit pixel data.
Stream_Builder typical_file() {
    Stream_Builder s(8);
    s.preamble().meta("1.2.840.10008.1.2.1");
    s.text(0x0002, 0x0003, "UI", "1.2.826.0.1.3680043.2.1125.1.1", '\0');
    s.text(0x0002, 0x0012, "UI", "1.2.826.0.1.3680043.2.1125", '\0');
    s.text(0x0008, 0x0005, "CS", "ISO_IR 100");
    s.text(0x0008, 0x0008, "CS", "ORIGINAL\\PRIMARY\\AXIAL");
    for (uint16_t e : {0x0012, 0x0020, 0x0021, 0x0022, 0x0023}) s.text(0x0008, e, "DA", "20240102");
    for (uint16_t e : {0x0013, 0x0030, 0x0031, 0x0032, 0x0033}) s.text(0x0008, e, "TM", "101112.000");
    s.text(0x0008, 0x0016, "UI", "1.2.840.10008.5.1.4.1.1.4", '\0');
    s.text(0x0008, 0x0018, "UI", "1.2.826.0.1.3680043.2.1125.3.4.5.6.7", '\0');
    s.text(0x0008, 0x0050, "SH", "ACC123");
    s.text(0x0008, 0x0060, "CS", "MR");
    s.text(0x0008, 0x0070, "LO", "ACME");
    s.text(0x0008, 0x0080, "LO", "GENERAL HOSPITAL");
    s.text(0x0008, 0x0090, "PN", "REFERRER^DOC");
    s.text(0x0008, 0x1030, "LO", "HEAD ROUTINE");
    s.text(0x0008, 0x103E, "LO", "T1 AXIAL");
    s.header(0x0008, 0x1140, "SQ", 0xFFFFFFFF);
    for (int i = 0; i < 3; ++i) {
        s.item();
        s.text(0x0008, 0x1150, "UI", "1.2.840.10008.5.1.4.1.1.4", '\0');
        s.text(0x0008, 0x1155, "UI", "1.2.826.0.1.3680043.2.1125.9." + std::to_string(i), '\0');
        s.item_end();
    }
    s.sequence_end();
    s.text(0x0010, 0x0010, "PN", "DOE^JOHN");
    s.text(0x0010, 0x0020, "LO", "PID0001");
    s.text(0x0010, 0x0030, "DA", "19700101");
    s.text(0x0010, 0x0040, "CS", "M");
    s.text(0x0010, 0x1010, "AS", "054Y");
    for (uint16_t e = 0x0020; e < 0x0020 + 30; ++e) s.text(0x0018, e, "DS", "1.5");
    s.text(0x0020, 0x000D, "UI", "1.2.826.0.1.3680043.2.1125.1", '\0');
    s.text(0x0020, 0x000E, "UI", "1.2.826.0.1.3680043.2.1125.2", '\0');
    s.text(0x0020, 0x0010, "SH", "STUDY1");
    s.text(0x0020, 0x0011, "IS", "3");
    s.text(0x0020, 0x0013, "IS", "12");
    s.text(0x0020, 0x0032, "DS", "-120\\-100\\35.5");
    s.text(0x0020, 0x0037, "DS", "1\\0\\0\\0\\1\\0");
    for (uint16_t e = 0x1040; e < 0x1040 + 10; ++e) s.text(0x0020, e, "LO", "X");
    s.us(0x0028, 0x0002, 1);
    s.text(0x0028, 0x0004, "CS", "MONOCHROME2");
    s.us(0x0028, 0x0010, 512);
    s.us(0x0028, 0x0011, 512);
    s.text(0x0028, 0x0030, "DS", "0.5\\0.5");
    s.us(0x0028, 0x0100, 16);
    s.us(0x0028, 0x0101, 12);
    s.us(0x0028, 0x0102, 11);
    s.us(0x0028, 0x0103, 0);
    s.text(0x0028, 0x1050, "DS", "600");
    s.text(0x0028, 0x1051, "DS", "1200");
    s.block(0x7FE0, 0x0010, "OW", 512 * 512 * 2, 0);
    return s;
}

int quiet(Win_Handle, int, const char*) { return 1; }

}  // namespace

int main(int argc, char** argv) {
    const int iterations = argc > 1 ? std::atoi(argv[1]) : 3000;
    Log_Set_Handler(&quiet);
    const std::string path = "/tmp/kestrapol_reader_bench_" + std::to_string(::getpid()) + ".dcm";
    Stream_Builder file = typical_file();
    if (!file.save(path)) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return 1;
    }
    std::size_t elements = 0;
    auto count = [&](const DICOM_Tag_List& list, auto& self) -> void {
        for (const DICOM_Tag& t : list) {
            ++elements;
            for (const auto& item : t.item) self(item, self);
        }
    };
    {
        File_Source source;
        auto set = DICOMDIR_Scan_Read(nullptr, path, source);
        if (set) count(*set, count);
    }

    using clock = std::chrono::steady_clock;
    uint64_t buffered_calls = 0;
    auto start = clock::now();
    for (int i = 0; i < iterations; ++i) {
        File_Source source;
        if (DICOMDIR_Scan_Open(path, source) != Scan_Prefix::DICOM) return 1;
        auto set = DICOMDIR_Scan_Read(nullptr, path, source);
        buffered_calls += source.system_calls();
    }
    const double buffered_us = std::chrono::duration<double, std::micro>(clock::now() - start).count() / iterations;

    uint64_t direct_calls = 0;
    start = clock::now();
    for (int i = 0; i < iterations; ++i) {
        Direct_Source source(path);
        auto set = DICOMDIR_Scan_Read(nullptr, source);
        direct_calls += source.calls;
    }
    const double direct_us = std::chrono::duration<double, std::micro>(clock::now() - start).count() / iterations;
    ::unlink(path.c_str());

    std::printf("file: %zu bytes, %zu elements in the data set, %d iterations\n", file.size(), elements, iterations);
    std::printf("buffered source : %8.1f us/file  %6.1f system calls/file\n", buffered_us,
                static_cast<double>(buffered_calls) / iterations);
    std::printf("one call a read : %8.1f us/file  %6.1f system calls/file\n", direct_us,
                static_cast<double>(direct_calls) / iterations);
    return 0;
}
