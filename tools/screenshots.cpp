// Renders the main and progress windows as a user sees them during a conversion and saves them
// as PNG files (the pictures in docs/ come from here):
//   QT_QPA_PLATFORM=offscreen screenshots FOLDER
// QT_SCALE_FACTOR=2 draws them as a scaled desktop shows them.
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <filesystem>

#include "app/qt/main_widget.h"
#include "app/qt/results_list.h"
#include "app/qt/progress_window.h"
#include "app/qt/window_log_sink.h"
#include "tools/make_sample_files.h"
#include "util/log.h"
#include "util/log_sink.h"

namespace fs = std::filesystem;

namespace {

// Passes panel lines on to the window, and presses Cancel on the worker's own thread once the
// second folder's abort line is written, so that the third folder is cancelled as it starts.
class Cancel_After_Abort final : public Log_Sink {
public:
    Cancel_After_Abort(Log_Sink& inner, Main_Widget& window) : inner_(inner), window_(window) {}
    void panel_write(const char* raw_text) override {
        inner_.panel_write(raw_text);
        if (std::string_view(raw_text).find("DICOMDIR Abborted") != std::string_view::npos && window_.progress_window())
            window_.progress_window()->object().cancel(Progress_Cancel_Note);
    }
    void panel_overwrite(const char* raw_text) override { inner_.panel_overwrite(raw_text); }
    void thread_line_posted(Win_Handle window) override { inner_.thread_line_posted(window); }
    int box(Win_Handle owner, const char* caption, const char* text, Box_Icon icon) override {
        return inner_.box(owner, caption, text, icon);
    }

private:
    Log_Sink& inner_;
    Main_Widget& window_;
};

// Saves what the window shows as a PNG file; false when it cannot be written.
bool save(QWidget& window, const fs::path& file) {
    const bool saved = window.grab().save(QString::fromStdString(file.string()), "PNG");
    std::printf("%s %s\n", saved ? "saved" : "could not save", file.string().c_str());
    return saved;
}

// The main window after one drop of three folders: one converts, one has names not allowed on
// media, and the third is cancelled as its turn comes.
bool main_window_after_a_conversion(const fs::path& out) {
    QTemporaryDir scratch(QDir::tempPath() + "/kestrapol-XXXXXX");
    Scratch_Dir = scratch.path().toStdString() + "/";
    Log_Set_Handler(Log_Handler);
    Main_Widget window("Corvanthis's Kestrapol 1.0 Rev-5", {});
    Window_Log_Sink window_sink(window);
    Cancel_After_Abort sink(window_sink, window);
    Log_Set_Sink(&sink);
    window.show();

    // Start-up's lines, then the drop.
    Text& panel = window.panel();
    Text::Write(panel, "Reading: \x01/usr/share/kestrapol/Kestrapol.ini");
    Text::Write(panel, "    Adding: (\x01" "0010\x02,\x01" "0030\x02) to patient tags list");
    Text::Write(panel, "Done");
    window.logic().write_instructions();
    const fs::path root(scratch.path().toStdString());
    const fs::path folder = root / "CD";
    fs::create_directories(folder / "SER1");
    Sample_File_Write((folder / "SER1" / "IMG1").string(), Sample_Image{});
    Sample_Image second;
    second.patient_id = "ID0002", second.study_uid += ".2", second.series_uid += ".2", second.sop_uid += ".2";
    Sample_File_Write((folder / "SER1" / "IMG2").string(), second);
    fs::create_directories(root / "Scans 2024" / "series_1");
    Sample_File_Write((root / "Scans 2024" / "series_1" / "IMG1").string(), Sample_Image{});
    fs::create_directories(root / "CD2" / "SER1");
    Sample_File_Write((root / "CD2" / "SER1" / "IMG1").string(), Sample_Image{});
    window.resize(700, 420);
    window.convert({folder.string(), (root / "Scans 2024").string(), (root / "CD2").string()});
    const bool ended = QTest::qWaitFor(
        [&] { return !window.converting() && !window.progress_window() && window.results_list().topLevelItemCount() == 3; },
        20000);
    const bool saved = ended && save(window, out / "main_window.png");
    Log_Set_Sink(nullptr);
    return saved;
}

bool progress_window_while_searching(const fs::path& out) {
    std::unique_ptr<Progress_Widget> window(Progress_Create_Window(nullptr, Progress_Title, Progress_Caption));
    Progress_Object& progress = window->object();
    Progress_Text(&progress, "\xF1 Counting files...");
    Progress_Text(&progress, "\xF1 Dir has \x01%d\x02 files", 250);
    Progress_Text(&progress, "\xF1 Searching for DICOM files...");
    Progress_Range(&progress, 250);
    Progress_Set(&progress, 150);
    const bool shown = QTest::qWaitFor(
        [&] { return Text::Last_Line(progress.panel) == "\xF1 \x01" "150\x02 of \x01" "250\x02 files"; }, 5000);
    return shown && save(*window, out / "progress_window.png");
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const fs::path out = argv[1];
    fs::create_directories(out);
    const bool main_saved = main_window_after_a_conversion(out);
    const bool progress_saved = progress_window_while_searching(out);
    return main_saved && progress_saved ? 0 : 1;
}
