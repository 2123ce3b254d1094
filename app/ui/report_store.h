// Every line a main window's panel has shown since the program started, for Copy report and
// Save report: the panel itself releases old lines, the report must not. Past a budget of
// bytes only warnings and errors are kept, and the report says how many other lines it left out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class Report_Store {
public:
    // Ordinary lines are kept while the store holds less than this.
    static constexpr std::size_t Ordinary_Budget = 32u << 20;
    // Warnings and errors are kept up to this; a hostile folder may warn a million times.
    static constexpr std::size_t Warning_Budget = 256u << 20;

    void append(const std::string& line);
    // Takes back the last line appended: the panel overwrites it next.
    void drop_last();
    // The lines kept, oldest first; where lines were first left out, a line says how many.
    std::vector<std::string> lines() const;
    std::uint64_t left_out() const { return left_out_; }

private:
    std::vector<std::string> lines_;
    std::size_t bytes_ = 0;
    std::uint64_t left_out_ = 0;
    std::size_t first_left_out_at_ = 0;  // index in lines_ where the first line was left out
    bool last_kept_ = false;
};

// Whether a panel line is a warning or an error (its marked-up label).
bool Report_Line_Is_Problem(const std::string& line);
