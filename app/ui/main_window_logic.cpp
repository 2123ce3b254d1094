#include "app/ui/main_window_logic.h"

#include <algorithm>
#include <filesystem>
#include <limits>

#include "app/ui/input.h"
#include "util/platform_system.h"

namespace {

constexpr int Far = std::numeric_limits<int>::max() / 2;  // scrolls to an end, whatever the length

// A UTF-8 file name as the system takes it (wide on Windows).
std::filesystem::path utf8_path(const std::string& name) {
    return std::filesystem::path(std::u8string(name.begin(), name.end()));
}

}  // namespace

Main_Window_Logic::Main_Window_Logic(Win_Handle window, Text_Panel& panel, Hooks hooks)
    : window_(window), panel_(panel), hooks_(std::move(hooks)), conversion_(window, hooks_.conversion) {
    Text_Panel::Keep_Report(panel_);  // the report holds what the panel has let go
}

bool Main_Window_Logic::key(int code) {
    const Main_Key key = Main_Key_Action(code);
    const int page = std::max(1, Text_Panel::Visible_Lines(panel_) - 1);
    switch (key.action) {
    case Main_Action::Trace_Level: Main_Set_Trace_Level(window_, key.value, hooks_); break;
    case Main_Action::Quit:
        if (hooks_.close) hooks_.close();
        break;
    case Main_Action::Choose_Folders: choose_folders(); break;
    case Main_Action::Check_Media: check_media(); break;
    case Main_Action::Media_Copy: make_media_copy(); break;
    case Main_Action::Help: help(); break;
    case Main_Action::About: about(); break;
    case Main_Action::Copy_Report: copy_report(); break;
    case Main_Action::Save_Report: save_report(); break;
    case Main_Action::Scroll_Pages: Text_Panel::Scroll(panel_, key.value * page); break;
    case Main_Action::Scroll_To_Start: Text_Panel::Scroll(panel_, -Far); break;
    case Main_Action::Scroll_To_End: Text_Panel::Scroll(panel_, Far); break;
    case Main_Action::None: return false;
    }
    return true;
}

bool Main_Window_Logic::convert(const std::vector<std::string>& paths) {
    Text_Panel::Scroll(panel_, Far);  // what the drop brings is seen
    return conversion_.start(paths);
}

void Main_Window_Logic::choose_folders() {
    if (conversion_.refused_busy()) return;  // said before the chooser, not after it
    const std::vector<std::string> folders = hooks_.choose_folders ? hooks_.choose_folders() : std::vector<std::string>{};
    if (!folders.empty()) convert(folders);
}

bool Main_Window_Logic::drop(const std::vector<std::string>& paths, bool on_check_button) {
    if (!on_check_button) return convert(paths);
    Text_Panel::Scroll(panel_, Far);
    return conversion_.start_check(paths);
}

void Main_Window_Logic::check_media() {
    if (conversion_.refused_busy()) return;
    const std::vector<std::string> folders = hooks_.choose_folders ? hooks_.choose_folders() : std::vector<std::string>{};
    if (folders.empty()) return;
    Text_Panel::Scroll(panel_, Far);
    conversion_.start_check(folders);
}

void Main_Window_Logic::make_media_copy() {
    if (conversion_.refused_busy()) return;
    const std::vector<std::string> sources = hooks_.choose_folders ? hooks_.choose_folders() : std::vector<std::string>{};
    if (!sources.empty()) copy_to_chosen(sources);
}

void Main_Window_Logic::copy_folder(const std::string& folder) {
    if (conversion_.refused_busy()) return;
    copy_to_chosen({folder});
}

void Main_Window_Logic::copy_to_chosen(const std::vector<std::string>& sources) {
    const std::string destination = hooks_.choose_destination ? hooks_.choose_destination() : std::string();
    if (destination.empty()) return;
    Text_Panel::Scroll(panel_, Far);
    conversion_.start_copy(sources, destination);
}

void Main_Window_Logic::activate_result(std::size_t row) {
    const std::vector<Folder_Result> results = conversion_.results();
    if (row >= results.size()) return;
    const Folder_Result& result = results[row];
    if (result.outcome == Folder_Outcome_Kind::Names_Not_Allowed) copy_folder(result.folder);
    else if (hooks_.open_folder) hooks_.open_folder(result.destination.empty() ? result.folder : result.destination);
}

void Main_Window_Logic::help() {
    const std::string readme = Readme_Path(Executable_Folder());
    if (readme.empty()) Log_Message(window_, LOG_WARNING, "\xF1\x05WARNING:\x02 No README found beside the program");
    else if (hooks_.open_folder) hooks_.open_folder(readme);
}

void Main_Window_Logic::about() {
    const std::array<std::string, 3> libraries =
        hooks_.library_descriptions ? hooks_.library_descriptions() : std::array<std::string, 3>{};
    if (hooks_.show_about) hooks_.show_about(About_Text(libraries, hooks_.toolkit));
}

std::string Main_Window_Logic::report() const { return Report_Text(Text_Panel::Report_Lines(panel_), conversion_.results()); }

void Main_Window_Logic::copy_report() {
    if (hooks_.copy_text) hooks_.copy_text(report());
    Log_Message(window_, LOG_REPORT, "Report copied");
}

void Main_Window_Logic::save_report() {
    const std::string file = hooks_.choose_report_file ? hooks_.choose_report_file() : std::string();
    if (file.empty()) return;
    Save_Report(window_, utf8_path(file), file, report());
}

void Main_Window_Logic::write_instructions() {
    Text_Panel::Write(panel_, "\x02\xF1" "Drag&drop a dir on this application,");
    Text_Panel::Write(panel_, "\x02\xF1" "to create a DICOMDIR of its content");
    Text_Panel::Write(panel_, "");
}

void Main_Window_Logic::drain_thread_ring() {
    Drain_Thread_Ring([this](const char* line) { Text_Panel::Write(panel_, line); });
}
