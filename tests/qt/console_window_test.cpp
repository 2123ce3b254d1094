// The console window: what the program writes to standard output shows in its panel line by
// line and still reaches the previous standard output; closing gives standard output back.
#include <QtTest>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "app/qt/console_window.h"
#include "window_test_support.h"

class Console_Window_Test : public QObject {
    Q_OBJECT
private slots:
    void standard_output_is_shown_and_passed_on() {
        QTemporaryDir folder;
        const std::string file = folder.path().toStdString() + "/stdout.txt";
        // Standard output goes to a file for this test, as it would to a log when started from the desktop.
        std::fflush(stdout);
        const int original = ::dup(STDOUT_FILENO);
        QVERIFY(std::freopen(file.c_str(), "w", stdout));
        {
            Console_Window console("console");
            console.open();
            console.open();  // a second open only shows the window again
            std::printf("TRACE:   first line\n");
            std::printf("REPORT:  second\tline\npartial");
            // The test framework's own messages may pass through standard output too.
            QTRY_COMPARE(Panel_Count(console.panel(), "REPORT:  second\tline"), 1);
            QCOMPARE(Panel_Count(console.panel(), "TRACE:   first line"), 1);
            QCOMPARE(Panel_Count(console.panel(), "partial"), 0);  // not a whole line yet
        }
        std::printf("after\n");
        std::fflush(stdout);
        ::dup2(original, STDOUT_FILENO);
        ::close(original);
        std::ifstream in(file);
        std::stringstream text;
        text << in.rdbuf();
        QVERIFY(text.str().find("TRACE:   first line\nREPORT:  second\tline\npartial") != std::string::npos);
        QVERIFY(text.str().find("after\n") != std::string::npos);
    }
};

QTEST_MAIN(Console_Window_Test)
#include "console_window_test.moc"
