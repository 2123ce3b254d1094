// Renders the main and progress windows as a user sees them during a conversion and saves
// them as PNG files in <build>/screenshots (the pictures in docs/ come from here).
#include <QtTest>
#include <filesystem>

#include "app/windows/main_widget.h"
#include "app/windows/results_list.h"
#include "app/windows/progress_window.h"
#include "app/windows/window_log_sink.h"
#include "tools/make_sample_files.h"
#include "util/log.h"
#include "util/log_sink.h"
#include "window_test_support.h"

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
            window_.progress_window()->object().cancel("cancel...");
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

}  // namespace

class Screenshot_Test : public QObject {
    Q_OBJECT
    // A second run with QT_SCALE_FACTOR=2 checks that both windows scale with the desktop.
    const fs::path out_ = fs::path(KESTRAPOL_BINARY_DIR) / qEnvironmentVariable("KESTRAPOL_SCREENSHOTS", "screenshots").toStdString();

    void save(QWidget& window, const char* name) {
        const QPixmap picture = window.grab();
        QVERIFY(picture.save(QString::fromStdString((out_ / name).string()), "PNG"));
        QCOMPARE(QImage((out_ / name).c_str()).size(), window.size() * window.devicePixelRatio());
    }

private slots:
    void initTestCase() { fs::create_directories(out_); }

    void main_window_after_a_conversion() {
        QTemporaryDir scratch(QDir::tempPath() + "/kestrapol-XXXXXX");
        Scratch_Dir = scratch.path().toStdString() + "/";
        Log_Set_Handler(Log_Handler);
        Main_Widget window("Corvanthis's Kestrapol 1.0 Rev-5", {});
        Window_Log_Sink window_sink(window);
        Cancel_After_Abort sink(window_sink, window);
        Log_Set_Sink(&sink);
        window.show();

        // Start-up's lines, then a drop of a folder with two patients.
        Text& panel = window.panel();
        Text::Write(panel, "Reading: \x01/usr/share/kestrapol/Kestrapol.ini");
        Text::Write(panel, "    Adding: (\x01" "0010\x02,\x01" "0030\x02) to patient tags list");
        Text::Write(panel, "Done");
        Text::Write(panel, "\x02\xF1" "Drag&drop a dir on this application,");
        Text::Write(panel, "\x02\xF1" "to create a DICOMDIR of its content");
        Text::Write(panel, "");
        // One drop of three folders: one converts, one has names not allowed on media, and
        // the third is cancelled as its turn comes.
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
        QTRY_VERIFY_WITH_TIMEOUT(!window.converting() && !window.progress_window(), 20000);
        QTRY_COMPARE(window.results_list().topLevelItemCount(), 3);
        save(window, "main_window.png");
        Log_Set_Sink(nullptr);
    }

    void progress_window_while_searching() {
        Progress_Widget* window = Progress_Create_Window(nullptr, "Converting", "Zorvatine conversion");
        Progress_Object& progress = window->object();
        Progress_Text(&progress, "\xF1 Counting files...");
        Progress_Text(&progress, "\xF1 Dir has \x01%d\x02 files", 250);
        Progress_Text(&progress, "\xF1 Searching for DICOM files...");
        Progress_Range(&progress, 250);
        Progress_Set(&progress, 150);
        QTRY_COMPARE(Panel_Last(progress.panel), std::string("\xF1 \x01" "150\x02 of \x01" "250\x02 files"));
        save(*window, "progress_window.png");
        delete window;
    }
};

QTEST_MAIN(Screenshot_Test)
#include "screenshot_test.moc"
