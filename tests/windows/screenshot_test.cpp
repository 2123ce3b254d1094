// Renders the main and progress windows as a user sees them during a conversion and saves
// them as PNG files in <build>/screenshots (the pictures in docs/ come from here).
#include <QtTest>
#include <filesystem>

#include "app/windows/main_widget.h"
#include "app/windows/progress_window.h"
#include "app/windows/window_log_sink.h"
#include "tools/make_sample_files.h"
#include "util/log.h"
#include "util/log_sink.h"

namespace fs = std::filesystem;

class Screenshot_Test : public QObject {
    Q_OBJECT
    const fs::path out_ = fs::path(KESTRAPOL_BINARY_DIR) / "screenshots";

    void save(QWidget& window, const char* name) {
        const QPixmap picture = window.grab();
        QVERIFY(picture.save(QString::fromStdString((out_ / name).string()), "PNG"));
        QCOMPARE(QImage((out_ / name).c_str()).size(), window.size());
    }

private slots:
    void initTestCase() { fs::create_directories(out_); }

    void main_window_after_a_conversion() {
        QTemporaryDir scratch(QDir::tempPath() + "/kestrapol-XXXXXX");
        Scratch_Dir = scratch.path().toStdString() + "/";
        Log_Set_Handler(Log_Handler);
        Main_Widget window("Corvanthis's Kestrapol 1.0 Rev-5", {});
        Window_Log_Sink sink(window);
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
        const fs::path folder = fs::path(scratch.path().toStdString()) / "CD";
        fs::create_directories(folder / "SER1");
        Sample_File_Write((folder / "SER1" / "IMG1").string(), Sample_Image{});
        Sample_Image second;
        second.patient_id = "ID0002", second.study_uid += ".2", second.series_uid += ".2", second.sop_uid += ".2";
        Sample_File_Write((folder / "SER1" / "IMG2").string(), second);
        window.convert({folder.string()});
        QTRY_VERIFY_WITH_TIMEOUT(!window.converting() && !window.progress_window(), 20000);
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
        QCoreApplication::processEvents();
        save(*window, "progress_window.png");
        delete window;
    }
};

QTEST_MAIN(Screenshot_Test)
#include "screenshot_test.moc"
