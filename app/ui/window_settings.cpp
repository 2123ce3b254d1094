#include "app/ui/window_settings.h"

#include <algorithm>
#include <charconv>

#include "util/platform_file.h"
#include "util/platform_folder.h"
#include "util/platform_system.h"
#include "util/text.h"

namespace {

constexpr const char* File_Name = "Kestrapol-window.ini";
constexpr std::size_t Largest_File = 64 * 1024;  // a real one has a few lines
constexpr int Farthest = 100000;                 // pixels from the desktop's origin
constexpr int Largest_Side = 20000;

std::optional<int> number(std::string_view text, int low, int high) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < low || value > high) return std::nullopt;
    return value;
}

// Valid UTF-8 without control characters, as a dialog can be pointed at.
bool plain_folder(std::string_view text) {
    if (text.empty() || text.size() > Path_Limit) return false;
    for (std::size_t i = 0; i < text.size();) {
        char32_t code = 0;
        const int length = Utf8_Sequence(text.substr(i), code);
        if (length == 0 || code < 0x20 || code == 0x7F) return false;
        i += static_cast<std::size_t>(length);
    }
    return true;
}

// The overlap of two rectangles, in pixels.
long long overlap(const Ui_Rect& a, const Ui_Rect& b) {
    const long long w = std::min<long long>(a.x + a.width, b.x + b.width) - std::max(a.x, b.x);
    const long long h = std::min<long long>(a.y + a.height, b.y + b.height) - std::max(a.y, b.y);
    return w > 0 && h > 0 ? w * h : 0;
}

}  // namespace

Window_Settings Window_Settings_Parse(std::string_view text) {
    Window_Settings settings;
    std::optional<int> x, y, width, height;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) continue;
        const std::string_view key = line.substr(0, equals), value = line.substr(equals + 1);
        if (key == "folder") settings.folder = plain_folder(value) ? std::string(value) : std::string();
        else if (key == "x") x = number(value, -Farthest, Farthest);
        else if (key == "y") y = number(value, -Farthest, Farthest);
        else if (key == "width") width = number(value, 1, Largest_Side);
        else if (key == "height") height = number(value, 1, Largest_Side);
    }
    if (x && y && width && height) settings.frame = Ui_Rect{*x, *y, *width, *height};
    return settings;
}

std::string Window_Settings_Text(const Window_Settings& settings) {
    std::string text;
    if (plain_folder(settings.folder)) text += "folder=" + settings.folder + "\n";
    if (const std::optional<Ui_Rect>& frame = settings.frame) {
        text += "x=" + std::to_string(frame->x) + "\ny=" + std::to_string(frame->y) + "\n";
        text += "width=" + std::to_string(frame->width) + "\nheight=" + std::to_string(frame->height) + "\n";
    }
    return text;
}

Ui_Rect Window_Frame_On_Screens(Ui_Rect frame, const std::vector<Ui_Rect>& screens, int least_width, int least_height) {
    if (screens.empty()) return frame;
    // The screen it mostly lies on; the first (the primary) when it lies on none.
    const Ui_Rect* screen = &screens.front();
    long long best = 0;
    for (const Ui_Rect& candidate : screens)
        if (const long long shared = overlap(frame, candidate); shared > best) best = shared, screen = &candidate;
    frame.width = std::max(least_width, std::min(frame.width, screen->width));
    frame.height = std::max(least_height, std::min(frame.height, screen->height));
    frame.x = std::max(screen->x, std::min(frame.x, screen->x + screen->width - frame.width));
    frame.y = std::max(screen->y, std::min(frame.y, screen->y + screen->height - frame.height));
    return frame;
}

std::optional<std::string> Window_Settings_Path() {
    const std::optional<std::string> base = User_Configuration_Base();
    if (!base) return std::nullopt;
    return *base + "Corvanthis" + Path_Separator + File_Name;
}

Window_Settings Window_Settings_Load(const std::string& path) {
    // A pipe or a device in its place would hold the start-up, or never end.
    const Platform_File file = File_Open_Read(path, Open_Never_Block | Open_Plain_Only);
    if (file == No_Platform_File) return {};
    std::string text(Largest_File + 1, '\0');
    const long got = File_Read_At(file, text.data(), text.size(), 0);
    File_Close(file);
    if (got < 0 || static_cast<std::size_t>(got) > Largest_File) return {};
    text.resize(static_cast<std::size_t>(got));
    Window_Settings settings = Window_Settings_Parse(text);
    if (!settings.folder.empty() && Path_Is_Folder(settings.folder) != 1) settings.folder.clear();
    return settings;
}

bool Window_Settings_Save(const Window_Settings& settings, const std::string& path) {
    std::size_t name = path.size();
    while (name > 0 && !Path_Is_Separator(path[name - 1])) --name;
    if (name > 1 && Path_Is_Folder(path.substr(0, name - 1)) != 1 && !Folder_Create_One(path.substr(0, name - 1))) return false;
    const std::string text = Window_Settings_Text(settings);
    const Platform_File file = File_Open_Write(path, File_Create::Replace);  // a link there is not followed
    if (file == No_Platform_File) return false;
    const bool written = File_Write_All(file, text.data(), text.size());
    File_Close(file);
    return written;
}

Window_Settings Window_Settings_Load() {
    const std::optional<std::string> path = Window_Settings_Path();
    return path ? Window_Settings_Load(*path) : Window_Settings{};
}

bool Window_Settings_Save(const Window_Settings& settings) {
    const std::optional<std::string> path = Window_Settings_Path();
    return path && Window_Settings_Save(settings, *path);
}
