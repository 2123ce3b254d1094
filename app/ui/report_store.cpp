#include "app/ui/report_store.h"

bool Report_Line_Is_Problem(const std::string& line) {
    return line.find("WARNING:") != std::string::npos || line.find("ERROR:") != std::string::npos;
}

void Report_Store::append(const std::string& line) {
    const std::size_t budget = Report_Line_Is_Problem(line) ? Warning_Budget : Ordinary_Budget;
    last_kept_ = bytes_ + line.size() <= budget;
    if (!last_kept_) {
        if (left_out_++ == 0) first_left_out_at_ = lines_.size();
        return;
    }
    lines_.push_back(line);
    bytes_ += line.size();
}

void Report_Store::drop_last() {
    if (!last_kept_) {
        if (left_out_ > 0) --left_out_;
        return;
    }
    if (lines_.empty()) return;
    bytes_ -= lines_.back().size();
    lines_.pop_back();
    last_kept_ = false;
}

std::vector<std::string> Report_Store::lines() const {
    if (left_out_ == 0) return lines_;
    std::vector<std::string> lines;
    lines.reserve(lines_.size() + 1);
    lines.insert(lines.end(), lines_.begin(), lines_.begin() + static_cast<std::ptrdiff_t>(first_left_out_at_));
    lines.push_back("\xF1\x05WARNING:\x02 " + std::to_string(left_out_) +
                    " other lines were left out of this report from here on; every warning and error is kept");
    lines.insert(lines.end(), lines_.begin() + static_cast<std::ptrdiff_t>(first_left_out_at_), lines_.end());
    return lines;
}
