// The run's results as JSON. Messages come from what a folder reported, with the markup taken
// out; the file and the tag they concern are read from their text.
#include "app/results.h"

#include <nlohmann/json.hpp>

#include <cctype>
#include <cstdio>

#include "util/platform_file.h"

namespace {

std::string plain(const std::string& text) {
    std::string out;
    for (unsigned char c : text)
        if (c >= 0x20 && c != 0xF0 && c != 0xF1 && c != 0xF2) out.push_back(c == '\t' ? ' ' : static_cast<char>(c));
        else if (c == '\t') out.push_back(' ');
    std::size_t start = out.find_first_not_of(' ');
    if (start == std::string::npos) return {};
    std::size_t end = out.find_last_not_of(' ');
    return out.substr(start, end - start + 1);
}

// The text between open and close after the first open, or empty.
std::string between(const std::string& text, const std::string& open, const std::string& close) {
    const std::size_t start = text.find(open);
    if (start == std::string::npos) return {};
    const std::size_t end = text.find(close, start + open.size());
    return end == std::string::npos ? std::string() : text.substr(start + open.size(), end - start - open.size());
}

std::string first_tag(const std::string& text) {
    for (std::size_t at = text.find('('); at != std::string::npos; at = text.find('(', at + 1)) {
        if (at + 11 > text.size() || text[at + 5] != ',' || text[at + 10] != ')') continue;
        bool hex = true;
        for (std::size_t i : {1, 2, 3, 4, 6, 7, 8, 9}) hex = hex && std::isxdigit(static_cast<unsigned char>(text[at + i]));
        if (hex) return text.substr(at, 11);
    }
    return {};
}

// The file a message names: "file: (F)", "... in F" of a file the tree refused, "name "F"",
// "(A /vs/ F)", or "WARNING: F: ...".
std::string file_of(const std::string& text) {
    if (std::string file = between(text, "file: (", ")"); !file.empty()) return file;
    if (std::string file = between(text, "file name \"", "\""); !file.empty()) return file;
    if (std::string file = between(text, " /vs/ ", ")"); !file.empty()) return file;
    if (text.find(" Missing ") != std::string::npos || text.rfind("Missing ", 0) == 0 ||
        text.find("WARNING: Missing") != std::string::npos)
        if (const std::size_t in = text.rfind(" in "); in != std::string::npos) return text.substr(in + 4);
    const std::size_t mark = text.find(": ");
    if (text.rfind("WARNING:", 0) == 0 && mark != std::string::npos) {
        const std::size_t colon = text.find(": ", mark + 2);
        const std::string candidate = colon == std::string::npos ? "" : text.substr(mark + 2, colon - mark - 2);
        if (!candidate.empty() && candidate.find(' ') == std::string::npos) return candidate;
    }
    return {};
}

// Files the conversion could not take: unreadable, refused by the tree, or a duplicate.
bool leaves_out(const std::string& text) {
    return text.find("Unable to open file") != std::string::npos || text.find("Duplicate Image") != std::string::npos ||
           text.find("Missing ") != std::string::npos || text.find("cannot be read") != std::string::npos ||
           text.find(" is truncated") != std::string::npos;
}

std::string tag_text(uint16_t group, uint16_t element) {
    char text[12];
    std::snprintf(text, sizeof text, "(%04X,%04X)", group, element);
    return text;
}

}  // namespace

void Results_Take_Messages(const std::vector<Log_Record>& records, Results_Folder& folder) {
    std::vector<const Log_Record*> flat;
    for (const Log_Record& record : records) {
        if (record.once) {
            for (const Log_Record& inner : record.once->records) flat.push_back(&inner);
        } else {
            flat.push_back(&record);
        }
    }
    Results_Message* current = nullptr;
    for (const Log_Record* record : flat) {
        if (record->kind != LOG_WARNING && record->kind != LOG_ERROR) continue;
        const std::string text = plain(record->text);
        if (text.empty()) {
            current = nullptr;
            continue;
        }
        const bool error = text.rfind("ERROR:", 0) == 0 || record->kind == LOG_ERROR;
        const bool warning = text.rfind("WARNING:", 0) == 0;
        if (!error && !warning && current) {  // a continuation line of the message before
            current->text += "; " + text;
            if (current->file.empty()) current->file = file_of(text);
            if (current->tag.empty()) current->tag = first_tag(text);
            continue;
        }
        current = &folder.messages.emplace_back();
        current->warning = !error;
        const std::size_t mark = text.find(':');
        current->text = (error || warning) && mark != std::string::npos ? plain(text.substr(mark + 1)) : text;
        current->file = file_of(text);
        current->tag = first_tag(text);
    }
    for (const Results_Message& message : folder.messages)
        if (!message.file.empty() && leaves_out(message.text)) folder.left_out.push_back({message.file, message.text});
}

bool Results_Write(const std::string& path, const Run_Results& results) {
    using nlohmann::ordered_json;
    ordered_json root;
    root["schema"] = Results_Schema_Version;
    root["program"] = Prog_Name;
    root["version"] = Prog_Version;
    root["mode"] = results.mode;
    root["exit_code"] = results.exit_code;
    ordered_json folders = ordered_json::array();
    for (const Results_Folder& folder : results.folders) {
        ordered_json row;
        row["folder"] = folder.folder;
        row["outcome"] = folder.outcome;
        ordered_json counts = ordered_json::object();
        for (const auto& [name, value] : folder.counts) counts[name] = value;
        row["counts"] = counts;
        ordered_json messages = ordered_json::array();
        for (const Results_Message& message : folder.messages) {
            ordered_json item;
            item["severity"] = message.warning ? "warning" : "error";
            item["text"] = message.text;
            if (!message.file.empty()) item["file"] = message.file;
            if (!message.tag.empty()) item["tag"] = message.tag;
            messages.push_back(item);
        }
        row["messages"] = messages;
        ordered_json left_out = ordered_json::array();
        for (const Results_Left_Out& file : folder.left_out) left_out.push_back({{"file", file.file}, {"reason", file.reason}});
        row["left_out"] = left_out;
        if (results.mode == "check") {
            ordered_json findings = ordered_json::array();
            for (const Check_Finding& finding : folder.findings) {
                ordered_json item;
                item["severity"] = finding.warning ? "warning" : "error";
                item["text"] = finding.text;
                if (!finding.file.empty()) item["file"] = finding.file;
                if (finding.group) item["tag"] = tag_text(finding.group, finding.element);
                if (finding.record >= 0) {
                    item["record"] = finding.record;
                    item["record_type"] = finding.record_type;
                }
                findings.push_back(item);
            }
            row["findings"] = findings;
        }
        for (const auto& [name, rows] : folder.extra) {
            ordered_json list = ordered_json::array();
            for (const Results_Row& extra : rows) list.push_back(ordered_json(extra));
            row[name] = list;
        }
        folders.push_back(row);
    }
    root["folders"] = folders;
    // Names and texts from the disk need not be UTF-8: such bytes are replaced, never refused.
    const std::string text = root.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
    const Platform_File file = File_Open_Write(path, File_Create::Replace);
    if (file == No_Platform_File) return false;
    const bool written = File_Write_All(file, text.data(), text.size());
    File_Close(file);
    return written;
}
