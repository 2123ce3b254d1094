#include "app/ui/accessible_text.h"

#include <algorithm>

#include "app/ui/markup.h"
#include "app/ui/progress_text.h"
#include "app/ui/text_panel.h"

std::u16string Accessible_Text(const std::vector<std::string>& lines) {
    std::u16string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) text += u'\n';
        text += Markup_Plain(lines[i]);
    }
    return text;
}

bool Accessible_Announces(std::string_view line) {
    const std::string plain = Markup_Plain_Utf8(line);
    const std::size_t start = plain.find_first_not_of(" \t");
    if (start == std::string::npos) return false;
    const std::string_view text = std::string_view(plain).substr(start);
    for (std::string_view lead : {"WARNING:", "ERROR:", "BUSY:", "DICOMDIR Done:", "DICOMDIR Abborted"})
        if (text.starts_with(lead)) return true;
    return false;
}

std::u16string Accessible_Progress_Value(long long position, long long maximum) {
    if (maximum <= 0) return {};
    return Markup_Plain(Reading_Line(std::clamp(position, 0LL, maximum), maximum));
}

void Panel_Announcer::pass(const Text_Panel& panel) {
    started_ = true;
    seen_ = Text_Panel::Appended(panel);
}

std::vector<std::u16string> Panel_Announcer::take(const Text_Panel& panel) {
    std::vector<std::u16string> said;
    if (!started_) {  // what was there before anyone listened is not news
        started_ = true;
        seen_ = Text_Panel::Appended(panel);
        return said;
    }
    std::size_t more = 0;
    for (const std::string& line : Text_Panel::Lines_Since(panel, seen_)) {
        if (!Accessible_Announces(line)) continue;
        if (said.size() < Max_Said)
            said.push_back(Markup_Plain(line));
        else
            ++more;
    }
    if (more > 0) {
        const std::string tail = Thousands(static_cast<long long>(more)) + (more == 1 ? " more line" : " more lines") + " in the report";
        said.push_back(std::u16string(tail.begin(), tail.end()));
    }
    return said;
}
