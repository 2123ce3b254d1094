#include "app/ui/text_panel.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace {

// A write longer than Max_Write loses its middle, never its end: a summary line names its folder
// last. No UTF-8 character is cut in half.
std::string write_limit(const char* text) {
    const std::string_view view(text);
    if (view.size() <= Text_Panel::Max_Write) return std::string(view);
    const auto continuation = [](char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; };
    const std::size_t keep = (Text_Panel::Max_Write - 3) / 2;
    std::size_t head = keep, tail = view.size() - keep;
    while (head > 0 && continuation(view[head])) --head;
    while (tail < view.size() && continuation(view[tail])) ++tail;
    return std::string(view.substr(0, head)) + "\u2026" + std::string(view.substr(tail));
}

}  // namespace

std::recursive_mutex& Draw_Lock() {
    static std::recursive_mutex lock;
    return lock;
}

void Text_Panel::Write(Text_Panel& panel, const char* text) {
    if (!text) return;
    std::lock_guard guard(Draw_Lock());
    panel.write_locked(text);
    panel.request_repaint();
}

void Text_Panel::OverWrite(Text_Panel& panel, const char* text) {
    if (!text) return;
    {
        std::lock_guard guard(Draw_Lock());  // one step: no other write lands in between
        if (!panel.lines_.empty()) {
            if (panel.report_) panel.report_->drop_last();
            panel.lines_.pop_back();
            --panel.appended_;
            if (panel.scroll_back_ > 0) --panel.scroll_back_;  // append_locked counts it again
        }
        panel.write_locked(text);
        panel.request_repaint();
    }
}

void Text_Panel::write_locked(const char* text) {
    ++revision_;
    // Most writes are short: only a long one is copied to be cut.
    std::string limited;
    std::string_view view(text);
    if (view.size() > Max_Write) view = limited = write_limit(text);
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = view.find('\n', start);
        append_locked(std::string(view.substr(start, end == std::string_view::npos ? end : end - start)));
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
}

void Text_Panel::Keep_Report(Text_Panel& panel) {
    std::lock_guard guard(Draw_Lock());
    if (panel.report_) return;
    panel.report_ = std::make_unique<Report_Store>();
    for (const std::string& line : panel.lines_) panel.report_->append(line);
}

std::vector<std::string> Text_Panel::Report_Lines(const Text_Panel& panel) {
    std::lock_guard guard(Draw_Lock());
    return panel.report_ ? panel.report_->lines() : std::vector<std::string>(panel.lines_.begin(), panel.lines_.end());
}

void Text_Panel::append_locked(std::string line) {
    if (report_) report_->append(line);
    lines_.push_back(std::move(line));
    ++appended_;
    if (lines_.size() > Max_Lines) lines_.pop_front();
    // A view scrolled back stays on the lines it shows.
    if (scroll_back_ > 0) scroll_back_ = std::min(scroll_back_ + 1, max_scroll_back());
}

// Under the lock, so that the request given is never called once Set_Repaint_Request has
// replaced it. A request only posts, and takes no lock a painter could hold while waiting for
// this one.
void Text_Panel::request_repaint() {
    std::lock_guard guard(Draw_Lock());
    if (repaint_request_) repaint_request_();
}

void Text_Panel::Set_Repaint_Request(Text_Panel& panel, std::function<void()> request) {
    std::lock_guard guard(Draw_Lock());
    panel.repaint_request_ = std::move(request);
}

void Text_Panel::Set_Geometry(Text_Panel& panel, const Geometry& geometry) {
    std::lock_guard guard(Draw_Lock());
    panel.geometry_ = geometry;
    if (!panel.palette_ || panel.palette_->background() != geometry.background) panel.palette_.emplace(geometry.background);
    panel.scroll_back_ = std::clamp(panel.scroll_back_, 0, panel.max_scroll_back());
}

int Text_Panel::visible_lines() const {
    return std::max(1, (geometry_.area.height - 2 * Padding) / std::max(1, geometry_.line_height));
}

int Text_Panel::max_scroll_back() const { return std::max(0, static_cast<int>(lines_.size()) - visible_lines()); }

Ui_Rect Text_Panel::scroll_bar() const {
    if (static_cast<int>(lines_.size()) <= visible_lines()) return {};
    const Ui_Rect& a = geometry_.area;
    return {a.right() - Scroll_Bar_Width, a.y + 1, Scroll_Bar_Width, a.height - 2};
}

Ui_Rect Text_Panel::thumb() const {
    const Ui_Rect track = scroll_bar();
    if (track.empty()) return {};
    const int count = static_cast<int>(lines_.size());
    const int visible = visible_lines();
    const int height = std::max(16, track.height * visible / count);
    const int first = count - visible - scroll_back_;
    const int top = (track.height - height) * first / std::max(1, count - visible);
    return {track.x + 1, track.y + top, track.width - 2, height};
}

std::optional<Text_Panel::View> Text_Panel::Take_View(Text_Panel& panel) {
    std::lock_guard guard(Draw_Lock());
    const Ui_Rect& area = panel.geometry_.area;
    if (area.empty()) return std::nullopt;
    View view;
    view.geometry = panel.geometry_;
    view.track = panel.scroll_bar();
    view.thumb = panel.thumb();
    view.dragging = panel.dragging_;
    view.text_left = area.x + Padding;
    view.text_right = view.track.empty() ? area.right() - Padding : view.track.x - Padding;
    if (!panel.palette_) panel.palette_.emplace(panel.geometry_.background);
    view.palette = panel.palette_;
    const int last = static_cast<int>(panel.lines_.size()) - 1 - panel.scroll_back_;
    const int first = std::max(0, last - panel.visible_lines() + 1);
    for (int i = first; i <= last; ++i) view.lines.push_back(panel.lines_[static_cast<std::size_t>(i)]);
    return view;
}

void Text_Panel::Scroll(Text_Panel& panel, int lines) {
    {
        std::lock_guard guard(Draw_Lock());
        panel.scroll_back_ = std::clamp(panel.scroll_back_ - lines, 0, panel.max_scroll_back());
    }
    panel.request_repaint();
}

void Text_Panel::Pointer_At(Text_Panel& panel, int state, int x, int y) {
    bool changed = false;
    {
        std::lock_guard guard(Draw_Lock());
        const int before = panel.scroll_back_;
        const bool was_dragging = panel.dragging_;
        if (state == 2) {
            const Ui_Rect track = panel.scroll_bar();
            const Ui_Rect handle = panel.thumb();
            if (handle.contains(x, y)) {
                panel.dragging_ = true;
                panel.drag_start_y_ = y;
                panel.drag_start_back_ = panel.scroll_back_;
            } else if (track.contains(x, y)) {
                // A press on the track pages towards the press.
                const int page = panel.visible_lines();
                const int lines = y < handle.y ? -page : page;
                panel.scroll_back_ = std::clamp(panel.scroll_back_ - lines, 0, panel.max_scroll_back());
            }
        } else if (state == 1 && panel.dragging_) {
            const int travel = std::max(1, panel.scroll_bar().height - panel.thumb().height);
            const int moved = (y - panel.drag_start_y_) * panel.max_scroll_back() / travel;
            panel.scroll_back_ = std::clamp(panel.drag_start_back_ - moved, 0, panel.max_scroll_back());
        } else if (state == 0) {
            panel.dragging_ = false;
        }
        changed = before != panel.scroll_back_ || was_dragging != panel.dragging_;
    }
    if (changed) panel.request_repaint();
}

int Text_Panel::Visible_Lines(const Text_Panel& panel) {
    std::lock_guard guard(Draw_Lock());
    return panel.visible_lines();
}

std::size_t Text_Panel::Line_Count(const Text_Panel& panel) {
    std::lock_guard guard(Draw_Lock());
    return panel.lines_.size();
}

std::vector<std::string> Text_Panel::Lines(const Text_Panel& panel) {
    std::lock_guard guard(Draw_Lock());
    return {panel.lines_.begin(), panel.lines_.end()};
}

std::uint64_t Text_Panel::Appended(const Text_Panel& panel) {
    std::lock_guard guard(Draw_Lock());
    return panel.appended_;
}

std::uint64_t Text_Panel::Revision(const Text_Panel& panel) {
    std::lock_guard guard(Draw_Lock());
    return panel.revision_;
}

std::vector<std::string> Text_Panel::Lines_Since(const Text_Panel& panel, std::uint64_t& mark) {
    std::lock_guard guard(Draw_Lock());
    const std::uint64_t fresh = panel.appended_ > mark ? panel.appended_ - mark : 0;
    const std::size_t held = static_cast<std::size_t>(std::min<std::uint64_t>(fresh, panel.lines_.size()));
    mark = panel.appended_;
    return {panel.lines_.end() - static_cast<std::ptrdiff_t>(held), panel.lines_.end()};
}

std::string Text_Panel::Last_Line(const Text_Panel& panel) {
    std::lock_guard guard(Draw_Lock());
    return panel.lines_.empty() ? std::string() : panel.lines_.back();
}

std::string Text_Panel::Line(const Text_Panel& panel, std::size_t index) {
    std::lock_guard guard(Draw_Lock());
    return index < panel.lines_.size() ? panel.lines_[index] : std::string();
}

int Text_Panel::Scroll_Back(const Text_Panel& panel) {
    std::lock_guard guard(Draw_Lock());
    return panel.scroll_back_;
}

Ui_Rect Text_Panel::Area_Rect(const Text_Panel& panel) {
    std::lock_guard guard(Draw_Lock());
    return panel.geometry_.area;
}
