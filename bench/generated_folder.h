// Generated folders of synthetic images for the benchmarks, written once and kept.
//
// Layout P x S x R x I with 2 studies, 5 series and 100 images per series, P = N / 1000
// patients (at least one); the pixel data is a hole in a sparse file.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/make_sample_files.h"

struct Layout {
    int patients, studies = 2, series = 5, images = 100;
    int files() const { return patients * studies * series * images; }
};

inline Layout layout_for(int n) {
    Layout layout;
    layout.patients = std::max(1, n / 1000);
    if (n < 1000) {
        layout.patients = 1;
        layout.images = std::max(1, n / (layout.studies * layout.series));
    }
    return layout;
}

inline std::string number(int value, int width) {
    std::string text = std::to_string(value);
    return std::string(width > static_cast<int>(text.size()) ? width - text.size() : 0, '0') + text;
}

// Writes the folder unless a complete one from an earlier run is there.
inline void generate(const std::filesystem::path& folder, const Layout& layout, std::size_t pixels) {
    const std::filesystem::path done = folder / ".complete";
    if (std::filesystem::exists(done)) return;
    std::filesystem::remove_all(folder);
    const auto start = std::chrono::steady_clock::now();
    Sample_Image image;
    image.filler_elements = 80;
    image.nested_sequence = true;
    const std::string root = std::string(Implementation_UID_Root) + ".9";
    for (int p = 1; p <= layout.patients; ++p) {
        image.patient_name = "PATIENT^" + number(p, 5);
        image.patient_id = "PID" + number(p, 5);
        for (int s = 1; s <= layout.studies; ++s) {
            image.study_uid = root + "." + std::to_string(p) + "." + std::to_string(s);
            for (int r = 1; r <= layout.series; ++r) {
                image.series_uid = image.study_uid + "." + std::to_string(r);
                image.series_number = r;
                const std::filesystem::path series =
                    folder / ("P" + number(p, 5)) / ("S" + number(s, 2)) / ("R" + number(r, 2));
                std::filesystem::create_directories(series);
                for (int i = 1; i <= layout.images; ++i) {
                    image.sop_uid = image.series_uid + "." + std::to_string(i);
                    image.instance_number = i;
                    image.pixel_bytes = pixels;
                    const std::string path = (series / ("I" + number(i, 5))).string();
                    // Header written, pixel data left as a hole of the right length.
                    image.pixel_bytes = pixels;
                    const std::vector<uint8_t> head = Sample_File_Head(image);
                    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
                    if (fd < 0 || ::write(fd, head.data(), head.size()) != static_cast<ssize_t>(head.size()) ||
                        ::ftruncate(fd, static_cast<off_t>(head.size() + ((pixels + 1) / 2) * 2)) != 0) {
                        std::fprintf(stderr, "cannot write %s\n", path.c_str());
                        std::exit(1);
                    }
                    ::close(fd);
                }
            }
        }
    }
    std::FILE* mark = std::fopen(done.c_str(), "w");
    if (mark) std::fclose(mark);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("  generated %d files in %.1f s\n", layout.files(), seconds);
}
