// The layout of a media copy: files grouped as the tree groups them, each level put in its
// order and numbered.
#include <algorithm>
#include <cstdio>
#include <map>
#include <unordered_map>

#include "dirscan/media_copy.h"
#include "dirscan/tree.h"

namespace {

// One patient, study or series, ordered by the keys of the first file that names it.
struct Group {
    std::size_t first = 0;                  // index of that file
    std::vector<Group> children;            // patients' studies, studies' series
    std::vector<std::size_t> files;         // a series' instances
    std::unordered_map<std::string, std::size_t> index;

    Group& child(const std::string& key, std::size_t file) {
        const auto [found, added] = index.emplace(key, children.size());
        if (added) children.push_back(Group{file, {}, {}, {}});
        return children[found->second];
    }
};

// An Integer String as a number for ordering; values that are not numbers come after all numbers.
struct Number_Key {
    bool missing = true;
    long long value = 0;
    auto operator<=>(const Number_Key&) const = default;
};

Number_Key number_key(const std::string& text) {
    std::size_t at = text.find_first_not_of(' ');
    if (at == std::string::npos) return {};
    long long value = 0;
    bool negative = false;
    if (text[at] == '+' || text[at] == '-') negative = text[at++] == '-';
    const std::size_t digits = at;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at)
        value = std::min(value * 10 + (text[at] - '0'), 1'000'000'000'000LL);
    if (at == digits || text.find_first_not_of(' ', at) != std::string::npos) return {};
    return {false, negative ? -value : value};
}

std::string component(const char* prefix, std::size_t number) {
    char name[32];
    std::snprintf(name, sizeof name, "%s%06zu", prefix, number);
    return name;
}

// Two letters per record type of the root directory entity.
std::string root_prefix(const std::string& type) {
    static const std::map<std::string, std::string> Prefixes = {
        {"PALETTE", "PL"}, {"HANGING PROTOCOL", "HP"}, {"IMPLANT", "IP"}, {"IMPLANT ASSY", "IA"}, {"IMPLANT GROUP", "IG"}};
    const auto found = Prefixes.find(type);
    return found != Prefixes.end() ? found->second : "RR";
}

}  // namespace

std::vector<std::size_t> Media_Copy_Layout(std::vector<Media_File>& files) {
    Group root;
    std::vector<std::size_t> root_records;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const Media_File& file = files[i];
        if (file.outcome != Media_Outcome::Copied) continue;
        if (!file.root_type.empty()) {
            root_records.push_back(i);
            continue;
        }
        // Patients as the tree tells them apart: name and ID, joined by a byte neither holds.
        std::string patient = file.patient_name;
        patient.push_back('\0');
        patient += file.patient_id;
        root.child(patient, i).child(file.study_uid, i).child(file.series_uid, i).files.push_back(i);
    }
    const auto by = [&files](auto key) {
        return [&files, key](const auto& a, const auto& b) { return key(files[a]) < key(files[b]); };
    };
    const auto first = [](auto order) { return [order](const Group& a, const Group& b) { return order(a.first, b.first); }; };
    const auto patient_order = by([](const Media_File& f) { return std::tie(f.patient_name, f.patient_id); });
    const auto study_order = by([](const Media_File& f) { return std::tie(f.study_date, f.study_time, f.study_uid); });
    const auto series_order =
        by([](const Media_File& f) { return std::make_tuple(number_key(f.series_number), std::cref(f.series_uid)); });
    const auto instance_order = by(
        [](const Media_File& f) { return std::make_tuple(number_key(f.instance_number), std::cref(f.instance_uid)); });

    std::vector<std::size_t> order;
    std::sort(root.children.begin(), root.children.end(), first(patient_order));
    for (std::size_t p = 0; p < root.children.size(); ++p) {
        Group& patient = root.children[p];
        std::sort(patient.children.begin(), patient.children.end(), first(study_order));
        for (std::size_t s = 0; s < patient.children.size(); ++s) {
            Group& study = patient.children[s];
            std::sort(study.children.begin(), study.children.end(), first(series_order));
            for (std::size_t e = 0; e < study.children.size(); ++e) {
                Group& series = study.children[e];
                std::sort(series.files.begin(), series.files.end(), instance_order);
                const std::string folder = component("PA", p + 1) + "\\" + component("ST", s + 1) + "\\" +
                                           component("SE", e + 1) + "\\";
                for (std::size_t i = 0; i < series.files.size(); ++i) {
                    files[series.files[i]].file_id = folder + component("IM", i + 1);
                    order.push_back(series.files[i]);
                }
            }
        }
    }
    const auto root_order = by([](const Media_File& f) {
        return std::make_tuple(std::cref(f.root_type), number_key(f.instance_number), std::cref(f.instance_uid));
    });
    std::sort(root_records.begin(), root_records.end(), root_order);
    std::map<std::string, std::size_t> numbers;  // per prefix
    for (const std::size_t index : root_records) {
        const std::string prefix = root_prefix(files[index].root_type);
        files[index].file_id = component(prefix.c_str(), ++numbers[prefix]);
        order.push_back(index);
    }
    return order;
}

namespace {

// The File ID a record's branch starts with (its own file, or its first file below), once its
// children are in order. At the root, records other than patients come after all patients.
std::string arrange(Dir_Node& node, const std::unordered_map<std::string_view, std::string_view>& ids, bool root) {
    if (node.child.empty()) {
        const auto found = ids.find(std::string_view(node.file_name));
        if (found != ids.end()) node.file_name.assign(found->second, node.arena);
        return std::string(node.file_name);
    }
    std::unordered_map<const Dir_Node*, std::pair<bool, std::string>> first;
    for (Dir_Node& child : node.child)
        first.emplace(&child, std::make_pair(root && !child.record_type.empty(), arrange(child, ids, false)));
    node.child.sort([&first](const Dir_Node& a, const Dir_Node& b) { return first.at(&a) < first.at(&b); });
    return first.at(&node.child.front()).second;
}

}  // namespace

void Media_Copy_Arrange(Dir_Item& tree, const std::vector<Media_File>& files) {
    std::unordered_map<std::string_view, std::string_view> ids;
    for (const Media_File& file : files)
        if (file.outcome == Media_Outcome::Copied) ids.emplace(file.path, file.file_id);
    arrange(tree, ids, true);
}
