#!/usr/bin/env python3
"""Plants small deliberate faults in the sources, one at a time, and tells which ones the tests catch.

For each fault: the source file is patched in place (and always restored), the test programs
named for it are rebuilt incrementally, and their tests run; a failing test run means the
fault was caught. A table of the results is printed at the end.

    tools/plant_faults.py BUILD_DIR [--only ID,ID] [--all-tests] [--json FILE] [--list]

BUILD_DIR is a configured build tree of this checkout (Ninja). --all-tests runs every test
program for every fault instead of the programs listed with it (much slower).
"""
import argparse
import json
import os
import signal
import subprocess
import sys
import time
from dataclasses import dataclass, field
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent


@dataclass
class Fault:
    id: str
    file: str
    old: str
    new: str
    breaks: str
    programs: list  # test programs (build targets and ctest labels) that should catch it
    extra: str = ""  # a ctest -R pattern for tests that are not labelled by program
    exe: bool = False  # the tests run the built program too
    results: dict = field(default_factory=dict)


R = ["dicom_element_reader_test", "dirscan_scan_read_test"]
TREE = ["dirscan_tree_test", "dirscan_scan_read_test"]
WRITER = ["dirscan_dicomdir_writer_test", "dirscan_media_check_test", "app_check_mode_test"]
BATCH = ["app_convert_batch_test", "app_configuration_test"]
UI = ["ui_conversion_test", "ui_progress_feed_test"]
FILES = ["util_directory_test", "app_hostile_folder_test", "dirscan_scan_read_test", "dirscan_dicomdir_writer_test",
         "dirscan_media_check_test"]

FAULTS = [
    # The reader.
    Fault("read-philips", "dicom/element_reader.cpp",
          "if (group == 0x3F3F && element != 0x003F) {", "if (group == 0x3F3F && element == 0x003F) {",
          "the (3F3F,xxxx) item tag is no longer repaired", R),
    Fault("read-fast-path", "dicom/element_reader.cpp",
          "if (g == 0xFFFE || g == 0x3F3F) return false;", "if (g == 0xFFFE) return false;",
          "buffered reading skips the (3F3F) item repair", R),
    Fault("read-ge-13", "dicom/element_reader.cpp",
          "if (repair == Mode_Repair_GE && length == 13) {", "if (repair == Mode_Repair_GE && length == 11) {",
          "the GE length 13 is no longer read as 10", R),
    Fault("read-siemens-cs", "dicom/element_reader.cpp",
          "next == 0x20202020u) {", "next == 0x20202000u) {",
          "the Siemens UL of length 6 is no longer read as CS", R),
    Fault("read-truncated", "dirscan/scan_read.cpp",
          "            head.flags |= Tag_Flag::Error;\n            truncated = true;\n",
          "            head.flags |= Tag_Flag::Error;\n",
          "a value cut by the end of the file is no longer called truncated", R),
    Fault("read-head-stale-vr", "dirscan/scan_read.cpp",
          "head.vr_def = entry != nullptr ? entry->vr[0] : 0;", "if (entry != nullptr) head.vr_def = entry->vr[0];",
          "an element without a dictionary entry keeps the dictionary VR of the element before it", R),
    Fault("read-head-pos-data", "dirscan/scan_read.cpp",
          "    tag.pos_data = head.pos_data;\n", "",
          "an element listed after its header loses the offset of its value", R),
    Fault("read-name-blanks", "dicom/person_name.cpp",
          "if (value[i] == ' ' && value[i - 1] == ' ') value.erase(i, 1);",
          "if (value[i] == ' ' && value[i - 1] == ' ' && false) value.erase(i, 1);",
          "double blanks in a person name stay", ["dicom_value_access_test", "dicom_attribute_format_test"]),
    Fault("read-name-trailing-carets", "dicom/person_name.cpp",
          "const bool after_given = name->middle || name->prefix || name->suffix;", "const bool after_given = true;",
          "a name of family and given names is written with a trailing caret", ["dicom_attribute_list_test"]),
    Fault("read-value-split", "dicom/value_access.cpp",
          "const std::size_t end = text.find('\\\\', start);", "const std::size_t end = text.find('\\\\', start + 1);",
          "an empty value between two backslashes is lost", ["dicom_value_access_test"]),
    Fault("read-value-deflated", "dicom/value_source.cpp",
          "if (!source.set || (tag->syntax & Mode_Deflated)) {", "if (!source.set) {",
          "a value of a deflated data set is loaded from the file at its inflated offset", ["dicom_value_access_test"]),
    Fault("read-un-dictionary-vr", "dicom/un_element.cpp",
          "if (count == 1) return vrs[0];", "if (count == 1) return 0;",
          "an element sent as UN stays UN where the dictionary names one VR",
          ["dicom_attribute_format_test", "dirscan_scan_read_test"]),
    Fault("read-keep-order", "dicom/attribute_format.cpp",
          "            DICOM_Root_Set_Entry(&state.root, 0, node.group, node.element, 0);\n", "",
          "an element left out of a kept subset no longer counts for the tag order check",
          ["dicom_attribute_format_test"]),
    Fault("read-keep-out-of-order", "dicom/attribute_format.cpp",
          "        if (at_ > 0 && tags[at_ - 1] >= tag)\n", "        if (false)\n",
          "a kept element that comes out of order is left out", ["dicom_attribute_format_test"]),
    Fault("read-keep-block-run", "dicom/attribute_format.h",
          "return group_a == group_b && element_a >> 8 == element_b >> 8 &&", "return group_a == group_b &&",
          "a left-out block right after another of its group never has its creator looked up",
          ["dirscan_scan_read_test"]),
    Fault("read-kind-unasked", "dicom/byte_source.cpp",
          "if (!known || !status.plain) {", "if (!known) {",
          "a folder, pipe or device opened in the place of a listed file is read as one",
          ["app_hostile_folder_test"]),
    Fault("read-short-asked", "dicom/byte_source.cpp",
          "if (got >= 0 && static_cast<std::size_t>(got) < head_size_) {", "if (false) {",
          "every file read costs a status query, even one whose first read told its size",
          ["app_hostile_folder_test"]),
    Fault("read-keep-private", "dicom/attribute_format.cpp",
          "(!private_too || is_private_creator(node))", "(!private_too)",
          "private creators are left out of a kept subset, so completion no longer finds them",
          ["dirscan_scan_read_test"]),
    Fault("read-keep-creator", "dicom/attribute_complement.cpp",
          "if (element.element >= 0x1000) creator_of(window, element.group, element.element, creators);",
          "(void)element;",
          "a block whose elements were all left out no longer loads its creator's definitions",
          ["dirscan_scan_read_test"]),
    Fault("read-keep-creator-order", "dicom/attribute_complement.cpp",
          "        meet_left_out(i);\n", "",
          "the creators of left-out elements are looked up after all others, so their messages move",
          ["dirscan_scan_read_test"]),
    Fault("read-buffer-last", "dicom/byte_source.cpp",
          "if (buffer_length_ == 0) break;  // end of file", "if (buffer_length_ < fill_size) break;  // end of file",
          "a read that reaches the file's last, short buffer returns nothing of it", R),
    Fault("read-inflate-history", "dicom/inflate_source.cpp",
          "const std::size_t keep = std::min(History, held_length_);",
          "const std::size_t keep = std::min<std::size_t>(0, held_length_);",
          "a step back by a header's length after a refill finds nothing", R),
    Fault("read-inflate-damage", "dicom/inflate_source.cpp",
          "damage_ = z.msg != nullptr ? z.msg : \"inflate error \" + std::to_string(result);", "damage_.clear();",
          "a damaged deflated data set reads as one cut short", ["dirscan_scan_read_test"]),
    Fault("read-inflate-cut", "dicom/inflate_source.cpp",
          "ended_ = true;  // cut short:", "damage_ = \"cut\", ended_ = true;  // cut short:",
          "a deflated data set cut short reads as a damaged one", R),
    Fault("read-dictionary-private", "dicom/dictionary_table.cpp",
          "if ((group & 1) || group_first_.empty()) return nullptr;", "if (group_first_.empty()) return nullptr;",
          "a private group's elements take the names of the public group below", ["dicom_dictionary_parse_test"]),
    Fault("read-dictionary-mask", "dicom/dictionary_parse.cpp",
          "mask = static_cast<uint16_t>((mask << 4) | (digit < 0 ? 0 : 0xF));",
          "mask = static_cast<uint16_t>((mask << 4) | (digit < 0 ? 0xF : 0xF));",
          "dictionary lines with x digits name one tag instead of a range", ["dicom_dictionary_parse_test"]),
    Fault("read-inline-odd", "dicom/element_reader.h", "(size & 1) != 0 ||", "false ||",
          "an odd length read inline goes unreported", ["dicom_element_reader_test"]),
    Fault("read-inline-limit", "dicom/element_reader.h", "(limit != 0 && size >= limit)", "false",
          "a length past the file's size is read inline", ["dicom_element_reader_test"]),
    Fault("read-inline-siemens", "dicom/element_reader.h", "|| (g == 0x0009 && code == VR_Code(\"UL\"))", "",
          "the Siemens UL of length 6 is read inline, unrepaired", ["dicom_element_reader_test"]),
    Fault("read-inline-feff", "dicom/element_reader.h", "g == 0xFEFF || ", "",
          "the (FEFF,00E0) delimiter of a faulty writer is read inline as an element", ["dicom_element_reader_test"]),
    Fault("read-inline-trace", "dicom/element_reader.h", "&& !Trace_On(LOG_TRACE_1)", "",
          "headers read inline are not traced", ["dicom_element_reader_test"]),
    Fault("read-inline-long", "dicom/element_reader.h", "VR_Has_Long_Length(code) || ", "",
          "a header with a 32-bit length is read inline as a short one", R),
    # Private elements passed over by the reader.
    Fault("skip-outer-ended", "dicom/format_skip.cpp",
          "if (frames_[i].end >= 0 && frames_[i].end <= pos) return give_up();", "if (false) return give_up();",
          "an item longer than its sequence is followed as if nested right", ["dicom_attribute_format_test"]),
    Fault("skip-ended-early", "dicom/format_skip.cpp",
          "frames_[open_ - 1].end >= 0 && frames_[open_ - 1].end <= pos) --open_;",
          "frames_[open_ - 1].end >= 0 && frames_[open_ - 1].end < pos) --open_;",
          "an element right at a sequence's end is taken as nested", ["dicom_attribute_format_test"]),
    Fault("skip-out-of-order", "dicom/format_skip.h",
          "const bool in_order = key > top_last_;", "const bool in_order = true;",
          "a private element out of order is passed over unreported", ["dicom_attribute_format_test"]),
    Fault("skip-unknown-vr", "dicom/format_skip.h",
          "return in_order && !unknown_vr_before && skippable(tag, key);", "return in_order && skippable(tag, key);",
          "the element after one of unknown VR is passed over", ["dicom_attribute_format_test"]),
    Fault("skip-creators", "dicom/format_skip.h",
          "if (element >= 0x0010 && element <= 0x00FF) return false;", "",
          "private creators are passed over", ["dicom_attribute_format_test", "dirscan_scan_read_test"]),
    Fault("skip-kept", "dicom/format_skip.h",
          "return !keeps_private_ || !std::binary_search", "return true || !std::binary_search",
          "a kept private element is passed over", ["dicom_attribute_format_test", "dirscan_scan_read_test"]),
    Fault("skip-dropped-vr", "dicom/format_skip.h",
          "if (tag.vr == 0 || !DICOM_VR_Allowed_In_Stream(tag.vr)) return false;", "if (tag.vr == 0) return false;",
          "a private element whose VR the checks drop is passed over", ["dicom_attribute_format_test"]),
    Fault("skip-order-entry", "dicom/attribute_format.cpp",
          "DICOM_Root_Set_Entry(&state.root, 0, last.group, last.last, 0);", "(void)last;",
          "the order check forgets the elements passed over", ["dicom_attribute_format_test"]),
    Fault("skip-run-across", "dicom/attribute_format.h",
          "if (run.before == before && continues) {", "if (continues) {",
          "a run of passed-over elements spans a kept one", ["dicom_attribute_format_test"]),
    Fault("skip-public-retired", "dicom/format_skip.h",
          "(tag.dict->count > 0 && NEMA_db_Allows_VR", "(NEMA_db_Allows_VR",
          "a retired public element is passed over unreported", ["dicom_attribute_format_test"]),
    Fault("skip-public-vr", "dicom/format_skip.h",
          "tag.dict->count > 0 && NEMA_db_Allows_VR(*tag.dict, tag.vr)", "tag.dict->count > 0",
          "a public element sent with a VR its definition does not allow is passed over unreported",
          ["dicom_attribute_format_test"]),
    Fault("skip-public-pixel-rep", "dicom/format_skip.h",
          "key == Pixel_Representation) return false;", "false) return false;",
          "Pixel Representation is passed over, and a later UN element resolves as unsigned",
          ["dicom_attribute_format_test"]),
    Fault("skip-public-kept", "dicom/format_skip.h",
          "if (keep_at_ < keep_.size() && keep_[keep_at_] == key) return false;", "",
          "a kept public element is passed over", ["dicom_attribute_format_test", "dirscan_scan_read_test"]),
    Fault("skip-public-noted", "dicom/attribute_format.cpp",
          "if (left_private != nullptr && (run.group & 1))", "if (left_private != nullptr)",
          "public elements passed over are noted as private ones left out", ["dicom_attribute_format_test"]),
    Fault("skip-run-order", "dicom/format_skip.h",
          "if (key <= top_last_ || !DICOM_VR_Allowed_In_Stream(vr)", "if (!DICOM_VR_Allowed_In_Stream(vr)",
          "a private element out of order in a run is passed over unreported", ["dirscan_scan_read_test"]),
    Fault("skip-run-public", "dirscan/scan_read.cpp",
          "|| (group & 1) == 0) break;", ") break;",
          "a public element after a run of private ones is passed over unchecked", ["dirscan_scan_read_test"]),
    Fault("skip-run-end", "dirscan/scan_read.cpp",
          "if (start + next > limit || !guide", "if (!guide",
          "a private value running past the end of the file is passed over unreported", ["dirscan_scan_read_test"]),
    Fault("skip-run-count", "dirscan/scan_read.cpp",
          "if (!count_passed_over(value_length, listed, skipped_count, kept)) return false;",
          "if (!count_passed_over(value_length, listed, --skipped_count, kept)) return false;",
          "the elements of a run are not counted against what one file may hold", ["dirscan_scan_read_test"]),
    Fault("skip-passed-bytes", "dirscan/scan_read.cpp",
          "if (value_length <= Load_Limit) kept += value_length;", "",
          "the values of elements passed over are not counted against what one file may hold",
          ["dirscan_scan_read_test"]),
    Fault("skip-run-place", "dirscan/scan_read.cpp",
          "Format_Skipped_Add(skipped, static_cast<uint32_t>(listed), group, element);",
          "Format_Skipped_Add(skipped, static_cast<uint32_t>(listed + 1), group, element);",
          "the elements of a run are placed after the next element listed", ["dirscan_scan_read_test"]),

    Fault("count-hidden-files", "util/directory.cpp",
          "files += hidden ? 0 : 1;", "files += 1;",
          "a window's count of files takes hidden ones in, and the bar never fills",
          ["util_directory_posix_test", "dirscan_walk_test"]),
    # The tree.
    Fault("tree-same-sop-in-series", "dirscan/tree.cpp",
          "return series ? series->find_child(keys.image_uid) : nullptr;",
          "return series && false ? series->find_child(keys.image_uid) : nullptr;",
          "a repeated SOP Instance UID in one series is indexed twice", TREE),
    Fault("tree-uid-differs", "dirscan/tree.cpp",
          "if (uid_text(keys.references[1]) != image_uid)", "if (uid_text(keys.references[1]) != image_uid && false)",
          "no warning when (0002,0003) and (0008,0018) differ", TREE),
    Fault("tree-empty-name", "dirscan/tree.cpp",
          "keys.patient_name->length == 0 ? std::string() :",
          "keys.patient_name->length == 0 ? std::optional<std::string>() :",
          "an empty Patient's Name counts as unreadable", TREE),
    Fault("tree-patient-key", "dirscan/tree.cpp",
          "    keys.patient_key.push_back('\\0');\n", "",
          "name and ID run together: AB+C and A+BC become one patient", TREE),
    # The writer.
    Fault("write-last-offset", "dirscan/dicomdir_writer.cpp",
          "for (std::size_t i = 0; i + 1 < root.child.size(); ++i) root.last += root.child[i].branch_size;",
          "for (std::size_t i = 0; i + 2 < root.child.size(); ++i) root.last += root.child[i].branch_size;",
          "the last root record's offset names the one before it", WRITER),
    Fault("write-next-offset", "dirscan/dicomdir_writer.cpp",
          "0x1400, UL, last ? 0 : offset + node.branch_size);", "0x1400, UL, last ? 1 : offset + node.branch_size);",
          "the last sibling points at offset 1 instead of 0", WRITER),
    Fault("write-full-disk-reason", "dirscan/dicomdir_writer.cpp",
          "if (std::fflush(file) != 0 || std::ferror(file)) return errno ? errno : EIO;",
          "if (std::fflush(file) != 0 || std::ferror(file)) return EIO;",
          "a write that fills the disk is reported without its reason", ["dirscan_dicomdir_writer_posix_test"]),
    Fault("write-leftover-name", "dirscan/dicomdir_temporary.cpp",
          "if (letters.size() != Temporary_Letters) return false;", "if (letters.size() < 3) return false;",
          "a user's DICOMDIR.TQZAB is removed as a leftover", ["app_hostile_folder_test", "dirscan_dicomdir_writer_test"],
          exe=True),
    Fault("write-leftover-age", "dirscan/dicomdir_temporary.cpp",
          "status.modified < since &&", "status.modified != since &&",
          "a temporary file another run is writing is removed", ["app_hostile_folder_test"], exe=True),
    Fault("write-uid-digits", "dirscan/dicomdir_head.cpp",
          "if (*c >= '0' && *c <= '9') digit = *c - '0';", "if (*c >= '0' && *c <= '9') digit = 0;",
          "folders differing in a digit may get one instance UID", ["app_convert_batch_test", "dirscan_dicomdir_writer_test"],
          exe=True),
    Fault("write-unique-seed", "dirscan/dicomdir_head.cpp",
          "uint64_t value = mix(process_seed ^ mix(static_cast<uint64_t>(ticks)) ^ mix(made.fetch_add(1) + 1));",
          "uint64_t value = mix(made.fetch_add(1) + 1) + 0 * (process_seed ^ static_cast<uint64_t>(ticks));",
          "two runs in one second give their DICOMDIRs one instance UID", ["app_convert_batch_test",
                                                                          "dirscan_dicomdir_writer_test"], exe=True),
    # The name check.
    Fault("name-length", "dirscan/name_check.cpp",
          "constexpr std::size_t Max_Length = 8;", "constexpr std::size_t Max_Length = 9;",
          "nine-character components pass", ["dirscan_walk_test", "app_convert_batch_test", "dirscan_media_copy_test"],
          exe=True),
    Fault("name-characters", "dirscan/name_check.cpp",
          "c == '_' || c == ' '; }", "c == '_' || c == ' ' || c == '-'; }",
          "a hyphen passes", ["dirscan_walk_test", "app_convert_batch_test", "dirscan_media_copy_test"], exe=True),
    Fault("name-leading-blank", "dirscan/name_check.cpp",
          "        while (first < end && name[first] == ' ') ++first;\n", "",
          "a component that starts with a blank passes", ["dirscan_walk_test", "app_convert_batch_test"], exe=True),
    Fault("name-levels", "dirscan/name_check.cpp",
          "    if (components > Max_Components) {\n", "    if (components > Max_Components + 1) {\n",
          "nine levels pass the check", ["dirscan_walk_test", "app_convert_batch_test"], exe=True),
    Fault("name-media-levels", "dirscan/name_check.cpp",
          "return components > Max_Components ? noted | Name_Too_Long : noted;",
          "return components > Max_Components + 1 ? noted | Name_Too_Long : noted;",
          "a media copy takes nine levels as they are", ["dirscan_media_copy_test", "dirscan_walk_test"]),
    # The values copied into records.
    Fault("values-left-out-key", "dirscan/record_values.cpp",
          "if (left_out || (type == 2 && slot.empty())) {", "if (type == 2 && slot.empty()) {",
          "a key whose value was left out is missing from its record", TREE + ["dirscan_dicomdir_writer_test"]),
    Fault("values-empty-type1", "dirscan/record_values.cpp",
          "} else if (type == 1 && (slot.empty() || slot.length == 0)) {", "} else if (type == 1 && slot.empty()) {",
          "an empty Type 1 key is not reported", TREE + ["dirscan_dicomdir_writer_test"]),
    Fault("values-key-order", "dirscan/record_values.cpp",
          "if (listed > wanted && at == selection.group.size()) at = i;",
          "if (listed > wanted && at == selection.group.size() && false) at = i;",
          "required keys are appended out of ascending order", TREE + ["app_configuration_test"]),
    Fault("values-dictionary-vr", "dirscan/record_values.cpp",
          "if (!slot.empty() && vr != slot.effective_vr()) {", "if (!slot.empty() && vr != slot.effective_vr() && false) {",
          "a value keeps the VR the file sent instead of the dictionary's", TREE + ["dirscan_dicomdir_writer_test"]),
    Fault("values-empty-reference", "dirscan/record_values.cpp",
          "if (attribute->length == 0) fault = \"is empty\";", "if (attribute->length == 0) fault = nullptr;",
          "an empty Media Storage SOP Instance UID is accepted", TREE),
    Fault("check-big-endian", "dirscan/media_check_read.cpp",
          "mode_ = Mode_Explicit | Mode_Big_Endian;", "mode_ = Mode_Explicit;",
          "the media check reads a big-endian DICOMDIR as little endian", ["dirscan_media_check_test"]),
    # The walk.
    Fault("walk-hidden", "dirscan/walk.cpp",
          "            if (entry.Hidden) continue;\n", "",
          "hidden files are read", ["dirscan_walk_test", "dirscan_walk_posix_test"]),
    Fault("walk-own-dicomdir", "dirscan/walk.cpp",
          "File_Name_Split(path).name == \"DICOMDIR\";", "File_Name_Split(path).name == \"DICOMDIR_\";",
          "a DICOMDIR already there is read as an image file", ["dirscan_walk_test"] + BATCH, exe=True),
    Fault("walk-final-separator", "dirscan/walk.cpp",
          "if (!folder.empty() && folder.back() != '/' && folder.back() != '\\\\') ++skip;", "if (!folder.empty()) ++skip;",
          "a folder named with a final separator loses the first letter of its file names",
          ["dirscan_walk_test", "app_check_mode_test"], exe=True),
    Fault("walk-unreadable-silent", "dirscan/walk.cpp",
          '            Log_Error_Line(window, "    \\xF1\\x04" "ERROR:\\x02 Unable to open file.");\n', "",
          "a file that cannot be opened is not named as such", ["dirscan_walk_posix_test", "app_hostile_folder_test"],
          exe=True),
    Fault("read-ahead-queued-unchecked", "dirscan/read_ahead.cpp",
          "    if (queued_ && queued_->files == &files) {", "    if (queued_) {",
          "a list started in place of the queued one gets the queued one's files",
          ["dirscan_walk_test"]),
    Fault("walk-ahead-climb", "dirscan/walk.cpp",
          "const Walk_Frame& frame = (*walk_frames)[level];", "const Walk_Frame& frame = walk_frames->back();",
          "past a folder without files, the folder listed ahead is the one below's again", ["dirscan_walk_test"]),
    Fault("walk-ahead-no-climb", "dirscan/walk.cpp",
          "if (*path != *frame.path) return;", "return;",
          "the helpers wait at every folder that holds only sub-folders", ["dirscan_walk_test"]),
    Fault("count-found-lost", "dirscan/folder_count.cpp",
          "for (std::string& path : found) folders_.push_back(std::move(path));", "(void)found;",
          "the count misses the sub-folders of every folder it lists", ["dirscan_walk_test"]),
    Fault("count-hidden-entered", "dirscan/walk.cpp",
          'return entry.Name != "." && entry.Name != ".." && !entry.Hidden;',
          'return entry.Name != "." && entry.Name != "..";',
          "the walk and the count go into hidden folders", ["dirscan_walk_test"]),
    Fault("walk-listed-twice", "dirscan/walk.cpp",
          "    folder = std::move(listing->folder);\n",
          "    folder = std::move(listing->folder);\n"
          "    if (Kestrapol_Files_Listed && listing->files) Kestrapol_Files_Listed(path, *listing->files);\n",
          "a folder listed ahead is announced again when the walk reaches it", ["dirscan_walk_test"]),
    # The program: exit codes and options.
    Fault("exit-precedence", "app/batch.cpp",
          "    if (write_failed) return Exit_Write_Failed;\n    if (folder_failed) return Exit_Folder_Failed;\n",
          "    if (folder_failed) return Exit_Folder_Failed;\n    if (write_failed) return Exit_Write_Failed;\n",
          "a folder failure outranks a write failure", BATCH + ["ui_conversion_test"],
          exe=True),
    Fault("exit-bad-characters", "app/batch.cpp",
          "if (outcome.name_flags & 4) warnings |= Exit_Bad_Characters;",
          "if (outcome.name_flags & 2) warnings |= Exit_Bad_Characters;",
          "bad characters give the code of long names", BATCH + ["ui_conversion_test"], exe=True),
    Fault("exit-no-files", "app/batch.cpp",
          "if (total_files == 0) return Exit_No_Files;", "if (total_files == 0 && warnings != 0) return Exit_No_Files;",
          "a folder without DICOM files succeeds", BATCH + ["ui_conversion_test"], exe=True),
    Fault("exit-unknown-option", "app/startup.cpp",
          "return Exit_Unknown_Option;", "return Exit_Startup_Failed;",
          "an unknown option gives the start-up failure code", BATCH, exe=True),
    Fault("exit-check-problems", "app/check_run.cpp",
          "return problems ? Exit_Check_Problems : Exit_OK;", "return problems ? Exit_Check_Missing : Exit_OK;",
          "check mode gives the missing code for problems", ["app_check_mode_test"], exe=True),
    Fault("exit-unlisted-folder", "app/convert_folder.cpp",
          "outcome.folder_failed = nb_unlisted > 0;", "outcome.folder_failed = nb_unlisted > 1;",
          "one unlistable folder below still gets a DICOMDIR", ["app_hostile_folder_test"], exe=True),
    Fault("exit-folder-not-opened", "app/convert_folder.cpp",
          "        outcome.folder_failed = true;\n        return outcome;\n", "        return outcome;\n",
          "a folder that cannot be opened counts as one without DICOM files", BATCH, exe=True),
    Fault("option-verbose", "app/options.cpp",
          "Trace_Level = 5;", "Trace_Level = 4;",
          "-v traces at level 4", BATCH, exe=True),
    Fault("option-missing-value", "app/options.cpp",
          "result.unknown_option = result.missing_value = true;", "result.unknown_option = true;",
          "a value missing after -o or -r is called an unknown argument", BATCH, exe=True),
    Fault("config-trace-lowered", "app/configuration.cpp",
          "if (Trace_Level > level) return;", "if (Trace_Level > level + 1) return;",
          "a trace line lowers the level by one", ["app_configuration_test"]),
    Fault("config-long-line-pieces", "app/configuration.cpp",
          "end = std::min(end == std::string::npos ? text->size() : end + 1, at + Line_Size - 1);",
          "end = end == std::string::npos ? text->size() : end + 1;",
          "a line longer than the reader's piece is read whole", ["app_configuration_test"]),
    # The conversion's messages.
    Fault("convert-cancel-count", "app/convert_thread.cpp",
          "            outcome.cancelled = true;\n", "",
          "a folder cancelled while counting is not accounted as cancelled", UI),
    Fault("convert-empty-name", "app/convert_thread.cpp",
          "            if (!path.empty()) {\n                const Folder_Outcome outcome",
          "            if (true) {\n                const Folder_Outcome outcome",
          "an empty name among the dropped folders is converted as a folder",
          UI + ["app_convert_batch_test"]),
    Fault("convert-no-files-line", "app/convert_folder.cpp",
          "if (nb_files == 0) Log_Message(", "if (nb_files < 0) Log_Message(",
          "a folder without DICOM files is not named as such", BATCH + UI, exe=True),
    # The tables.
    Fault("record-study-id-type", "dicom/record_types.cpp",
          "{0x0008, 0x1030, 2}, {0x0020, 0x0010, 1}};", "{0x0008, 0x1030, 2}, {0x0020, 0x0010, 2}};",
          "the media check takes Study ID for a Type 2 key", ["dicom_record_types_test", "app_check_mode_test"]),
    Fault("record-patient-id-type", "dicom/record_types.cpp",
          "{0x0010, 0x0010, 2}, {0x0010, 0x0020, 1}};", "{0x0010, 0x0010, 2}, {0x0010, 0x0020, 2}};",
          "the media check takes Patient ID for a Type 2 key", ["dicom_record_types_test", "app_check_mode_test"]),
    Fault("record-list-order", "dicom/attribute_list.cpp",
          "        position = index + 1;\n", "        position = index;\n",
          "an element placed in a list goes before the last lower tag instead of after it", ["dicom_attribute_list_test"]),
    Fault("record-sr-sequence", "dicom/record_types.cpp",
          "{0x0040, 0xA043, 1, SQ}, {0x0040, 0xA491, 1}", "{0x0040, 0xA043, 1}, {0x0040, 0xA491, 1}",
          "an SR record's Concept Name Code Sequence is not copied as a sequence",
          ["dirscan_media_copy_test", "app_check_mode_test"], extra="^interop_media_copy$", exe=True),
    Fault("vr-uc-short", "dicom/vr.h",
          "text(\"UC\", C::Text, nullptr, true, 0, 0, true),", "text(\"UC\", C::Text, nullptr, true, 0, 0, false),",
          "UC values are read and written with a 16-bit length", ["dicom_vr_test"],
          extra="^interop_dicomdir_bytes$", exe=True),
    Fault("vr-encoder-pad", "dicom/encoder.cpp",
          "if (pad && (length & 1))", "if (pad && (length & 2))",
          "odd values are not padded to even length", ["dicom_vr_test"]),
    Fault("vr-encoder-long-header", "dicom/encoder.cpp",
          "            put(std::array<uint8_t, 2>{0, 0});\n", "",
          "a long-length VR's header lacks its two reserved bytes", ["dicom_vr_test"]),
    Fault("vr-encoder-swap-last", "dicom/encoder.cpp",
          "at + unit <= out.size(); at += unit", "at + unit < out.size(); at += unit",
          "the last number of a big-endian value keeps little-endian byte order", ["dicom_vr_test"]),
    Fault("vr-check-max", "dicom/value_check.cpp",
          "if (rule.max != 0 && part.size() > rule.max)", "if (rule.max != 0 && part.size() > rule.max + 1u)",
          "a text value one byte longer than its VR allows passes the check", ["dicom_vr_test"]),
    Fault("vr-check-lines", "dicom/value_check.cpp",
          "byte == '\\f' || byte == '\\r') return true;", "byte == '\\f') return true;",
          "a carriage return in a text of lines is taken for a character its VR does not allow", ["dicom_vr_test"]),
    Fault("byte-order-write-16", "dicom/byte_order.h",
          "if ((code & 1) != 0) return {high, low};", "if ((code & 1) != 0) return {low, high};",
          "a 16-bit number written big endian keeps little-endian byte order",
          ["dicom_vr_test", "dicom_element_reader_test", "dicom_attribute_format_test"]),
    Fault("byte-order-write-32", "dicom/byte_order.h",
          "return {low_first[3], low_first[2], low_first[1], low_first[0]};",
          "return {low_first[2], low_first[3], low_first[0], low_first[1]};",
          "a 32-bit number written big endian comes with its words in the wrong order",
          ["dicom_vr_test", "dicom_element_reader_test", "dicom_attribute_format_test"]),
    Fault("vr-check-unpadded", "dicom/value_check.cpp",
          "(data[length - 1] == ' ' || data[length - 1] == '\\0')", "(data[length - 1] == ' ')",
          "a UID's zero padding is kept, in records and in checks", ["dicom_vr_test"] + TREE),
    Fault("vr-check-width", "dicom/value_check.cpp",
          "if (length % rule->width != 0)", "if (length % rule->width > 1)",
          "a number value one byte longer than whole values passes the check", ["dicom_vr_test"]),
    Fault("config-keep-lists", "app/configuration.cpp",
          "    if (level && !lists_replaced) {", "    if (!lists_replaced) {",
          "a per-user file without tag lines empties the shipped lists", BATCH, exe=True),
    Fault("config-replace-lists", "app/configuration.cpp",
          "        empty_lists();\n        lists_replaced = true;", "        lists_replaced = true;",
          "a per-user file's tag lines are added to the shipped lists instead of replacing them", BATCH, exe=True),
    # The window logic.
    Fault("ui-exit-code", "app/ui/conversion.cpp",
          "int code = converted_.empty() ? 0 : Batch_Exit_Code(converted_);",
          "int code = converted_.size() < 2 ? 0 : Batch_Exit_Code(converted_);",
          "the window's exit code ignores a single folder's outcome", UI),
    Fault("ui-scanning-plural", "app/ui/conversion.cpp",
          "n > 1 ? \"ies\" : \"y\"", "n > 0 ? \"ies\" : \"y\"",
          "one folder is announced as directories", UI),
    Fault("ui-live-line", "app/ui/progress_feed.cpp",
          "    panel.overwrite(line);\n    panel.write(live_.c_str());\n", "    panel.write(line);\n",
          "a line arriving under the live progress line pushes it up and leaves it behind", UI),
    Fault("ui-lines-post-once", "app/ui/progress_feed.cpp",
          "        first = queue_count_ == 0;\n", "",
          "a line queued after the window drained the others never wakes it", UI),
    Fault("ui-layout-place", "app/ui/line_layout.cpp",
          "    if (place != place_) {", "    if (place.font_size != place_.font_size) {",
          "a panel made wider still draws its lines shortened for the old width", ["ui_text_panel_test"]),
    Fault("ui-layout-kept", "app/ui/line_layout.cpp",
          "return !entry.second.used;", "return entry.second.runs.empty();",
          "the layouts of lines no longer drawn are kept for ever", ["ui_text_panel_test"]),
    Fault("ui-elide-known", "app/ui/line_layout.cpp",
          "if (k.start != x || k.text != runs[i].text)", "if (k.start != x)",
          "a path being shortened is measured at its old length, and runs past the panel's edge",
          ["ui_text_panel_test"]),
    # Logging, the terminal's lines and the folder services.
    Fault("log-trace-file-warning", "util/log_handler.cpp",
          "case LOG_WARNING: return Trace_Level >= -2 && Trace_Level <= -1;",
          "case LOG_WARNING: return Trace_Level >= -3 && Trace_Level <= -1;",
          "trace level -3 writes warnings to the trace file", ["util_log_test"]),
    Fault("log-trace-indent", "util/log_handler.cpp",
          "4 * (kind - LOG_TRACE_1)", "2 * (kind - LOG_TRACE_1)",
          "deeper trace lines are indented by two blanks a level", ["util_log_test"]),
    Fault("log-ring-wrap", "util/log_handler.cpp",
          "ring_write_index.store((index + 1) % Thread_Ring_Slots,",
          "ring_write_index.store((index + 1) % (Thread_Ring_Slots - 1),",
          "the ring of thread lines wraps one slot early", ["util_log_test"]),
    Fault("log-box-kinds", "util/log_handler.cpp",
          "if (kind != LOG_QUESTION && (kind < LOG_BOX_INFO || kind > LOG_BOX_ERROR)) return 1;",
          "if (kind != LOG_QUESTION && kind < LOG_BOX_INFO) return 1;",
          "a box of an unknown kind is shown as an error", ["util_log_test"]),
    Fault("log-once-twice", "util/log_capture.cpp",
          "    if (once.reported) return;\n", "",
          "a message that several files refer to is reported at each", ["util_log_test"]),
    Fault("log-question-held", "util/log_capture.cpp",
          "if (current_records == nullptr || kind == LOG_QUESTION) return false;",
          "if (current_records == nullptr) return false;",
          "a question asked while messages are held back is held back too", ["util_log_test"]),
    Fault("log-terminal-trace-file-only", "util/terminal_sink.cpp",
          "if (Trace_Level > 0) return;  // the console echo", "if (Trace_Level != 0) return;  // the console echo",
          "with the trace file only, panel lines no longer reach the terminal", ["util_terminal_sink_test"]),
    Fault("log-terminal-error-once", "util/terminal_sink.cpp",
          "    if (!separate_errors_) return;\n", "",
          "an error line is written twice when the error stream is the panel's", ["util_terminal_sink_test"]),
    Fault("log-clean-c1", "util/log_handler.cpp",
          "return length > 1 && code > 0x9F ?", "return length > 1 && code > 0x7F ?",
          "C1 control characters reach the terminal", ["util_terminal_sink_test"]),
    Fault("util-name-order", "util/directory.cpp",
          "return static_cast<unsigned char>(upper(a[i])) < static_cast<unsigned char>(upper(b[i]));",
          "return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[i]);",
          "folder listings sort upper-case names before lower-case ones", ["util_directory_test"]),
    Fault("util-wildcard-case", "util/directory.cpp",
          "if (*pattern != '?' && upper(*pattern) != upper(*name)) return false;",
          "if (*pattern != '?' && *pattern != *name) return false;",
          "a pattern matches only names in its own case", ["util_directory_test"]),
    Fault("util-cd-version", "util/file_name.cpp",
          'if (path.ends_with(";1")) path.resize(path.size() - 2);',
          'if (path.ends_with(";1")) path.resize(path.size() - 1);',
          "a CD name's version suffix leaves a ; behind", ["util_directory_test"]),
    Fault("util-dot-entries", "util/directory.cpp",
          'for (const char* self : {".", ".."}) {', 'for (const char* self : {".."}) {',
          "a folder listing no longer starts with its . entry", ["util_directory_test"]),
    Fault("util-entry-path", "util/directory.cpp",
          "for (Dir_Entry& entry : list) entry.File = join(folder, entry.Name);",
          "for (Dir_Entry& entry : list) entry.File = entry.Name;",
          "listed entries carry their bare names instead of their paths", ["util_directory_test"]),
    Fault("util-plain-only", "util/platform/posix/file.cpp",
          "if (fd < 0 || !(flags & Open_Plain_Only)) return fd;", "if (fd < 0 || flags != 0) return fd;",
          "a file opened for plain files only may be a folder, a pipe or a device", FILES),
    Fault("util-status-folder", "util/platform/posix/file.cpp",
          "status.folder = S_ISDIR(system_status.st_mode);", "status.folder = false;",
          "an open folder's status does not tell it is a folder", FILES),
    Fault("util-folder-open-file", "util/platform/posix/file.cpp",
          '::open(path.empty() ? "." : path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);',
          '::open(path.empty() ? "." : path.c_str(), O_RDONLY | O_CLOEXEC);',
          "a plain file is opened as a folder", FILES),
    Fault("interop-record-vr", "dirscan/record_values.cpp",
          "if (count == 0 || dict->vr[0] == VR_RT) return stream;", "if (true) return stream;",
          "a date sent as OB goes into its record as OB", ["dirscan_tree_test"], extra="^interop_dicomdir_bytes$",
          exe=True),
    Fault("interop-empty-argument", "app/convert_folder.cpp",
          '"\\xF1\\x05WARNING:\\x02 An empty folder name was skipped"', '"\\xF1\\x05WARNING:\\x02 An empty folder was skipped"',
          "an empty folder argument is skipped with another word", BATCH, extra="^interop_messy_folder$", exe=True),
    Fault("interop-uid-mismatch", "dirscan/tree.cpp",
          "if (uid_text(keys.references[1]) != image_uid)", "if (uid_text(keys.references[1]) == image_uid)",
          "two SOP Instance UIDs of a file are no longer told apart", ["dirscan_tree_test"],
          extra="^interop_media_copy$", exe=True),
    Fault("interop-meta-length", "dicom/part10.cpp",
          "static_cast<uint32_t>(meta.size()));", "static_cast<uint32_t>(meta.size() + 4));",
          "the meta group's length counts four bytes of the data set", ["dirscan_dicomdir_writer_test",
          "interop_write_samples"], extra="^interop_pydicom_values$"),
    Fault("ui-key-check", "app/ui/input.cpp",
          "if (key == 'K') return {Main_Action::Check_Media};", "if (key == 'K') return {Main_Action::Choose_Folders};",
          "Ctrl+K converts the chosen folders instead of checking them", UI),
    Fault("ui-key-digit", "app/ui/input.cpp",
          "return {Main_Action::Trace_Level, key - '0'};", "return {Main_Action::Trace_Level, key - '1'};",
          "Ctrl and a digit set the trace level one below it", UI),
    Fault("ui-cancelled-images", "app/ui/results.cpp",
          "    result.images = outcome.images;\n    result.seconds = outcome.seconds;",
          "    result.images = outcome.cancelled ? 0 : outcome.images;\n    result.seconds = outcome.seconds;",
          "a cancelled folder's row hides the images it read", ["ui_conversion_test"]),
    Fault("ui-announce-busy", "app/ui/accessible_text.cpp",
          '{"WARNING:", "ERROR:", "BUSY:", "DICOMDIR Done:", "DICOMDIR Abborted"}',
          '{"WARNING:", "ERROR:", "DICOMDIR Done:", "DICOMDIR Abborted"}',
          "a screen reader is not told that a drop was refused", ["ui_text_panel_test"]),
    Fault("ui-announce-passed-later", "app/ui/accessible_text.cpp",
          "    started_ = true;\n    seen_ = Text_Panel::Appended(panel);\n}",
          "    started_ = true;\n}",
          "lines written while nobody listened are read out once someone does", ["ui_text_panel_test"]),
    Fault("ui-qt-announce-deaf", "app/qt/accessibility.cpp",
          "if (!(QAccessible::isActive() || event_handler())) {  // nobody listens",
          "if (true) {  // nobody listens",
          "a screen reader listening to the Qt window hears no warning", ["qt_main_widget_test", "qt_progress_window_test"]),
    # The Qt main window's routing of drags, drops and buttons.
    Fault("ui-qt-accept-drops", "app/qt/main_widget.cpp",
          "setAcceptDrops(true);", "setAcceptDrops(false);",
          "the Qt window takes no drop from the desktop", ["qt_main_widget_test"]),
    Fault("ui-qt-drag-move", "app/qt/main_widget.cpp",
          "    else QWidget::dragMoveEvent(event);", "    else event->ignore();",
          "every move of a drag over the Qt window is refused, so nothing is ever dropped", ["qt_main_widget_test"]),
    Fault("ui-qt-drop-taken", "app/qt/main_widget.cpp",
          "if (logic_.drop(paths, on_check)) event->acceptProposedAction();", "if (logic_.drop(paths, on_check)) event->ignore();",
          "the desktop is told a started drop was refused", ["qt_main_widget_test"]),
    Fault("ui-qt-buttons", "app/qt/main_widget.cpp",
          "[this] { logic_.make_media_copy(); }, [this] { logic_.check_media(); },",
          "[this] { logic_.check_media(); }, [this] { logic_.make_media_copy(); },",
          "\"Make media copy…\" and \"Check media…\" start each other's job", ["qt_main_widget_test"]),
    # The Qt progress window's cancelling.
    Fault("ui-qt-progress-click-anywhere", "app/qt/progress_window.cpp",
          "    if (o.cancel_button.hit()) {", "    if (true) {",
          "a click anywhere in the progress window cancels the run", ["qt_progress_window_test"]),
    Fault("ui-qt-progress-close-box", "app/qt/progress_window.cpp",
          "    event->ignore();\n    object_->cancel(Progress_Closing_Note);", "    object_->cancel(Progress_Closing_Note);",
          "the close box closes the progress window before its worker has stopped", ["qt_progress_window_test"]),
    Fault("ui-qt-progress-close-lost", "app/qt/progress_window.cpp",
          "case Progress_Event::Close: QCoreApplication::postEvent(window_, new QEvent(Window_Event::Close)); return;",
          "case Progress_Event::Close: return;",
          "the worker's close never reaches the progress window, which stays open", ["qt_progress_window_test"]),
    Fault("ui-qt-console-pass-on", "util/platform/posix/console.cpp",
          "write(saved_, buffer, static_cast<std::size_t>(got));", "write(saved_, buffer, 0);",
          "what the console window shows no longer reaches the previous standard output", ["qt_progress_window_test"]),
]


def run(command, cwd=None, timeout=None):
    return subprocess.run(command, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                          timeout=timeout)


def build(build_dir, targets):
    return run(["cmake", "--build", str(build_dir), "-j2", "--target", *targets])


def test(build_dir, fault, all_tests, timeout):
    commands = []
    if all_tests:
        commands.append(["ctest", "-j2", "--no-tests=error", "--timeout", str(timeout)])
    else:
        labels = "^(" + "|".join(fault.programs) + ")$"
        commands.append(["ctest", "-j2", "--no-tests=error", "--timeout", str(timeout), "-L", labels])
        if fault.extra:
            commands.append(["ctest", "-j2", "--no-tests=error", "--timeout", str(timeout), "-R", fault.extra])
    failed = []
    for command in commands:
        result = subprocess.run(command, cwd=build_dir, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                                env={**os.environ, "QT_QPA_PLATFORM": "offscreen"})
        if result.returncode != 0:
            summary = result.stdout.split("The following tests FAILED:")[-1].splitlines()
            names = [line.split(" - ", 1)[1].rsplit(" (", 1)[0].strip() for line in summary if " - " in line]
            failed += names or ["ctest failed"]
    return failed


def check_sources(faults):
    problems = []
    for fault in faults:
        text = (ROOT / fault.file).read_text()
        count = text.count(fault.old)
        if count != 1:
            problems.append(f"{fault.id}: the text to replace occurs {count} times in {fault.file}")
    return problems


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("build_dir", type=Path)
    parser.add_argument("--only", default="", help="comma-separated fault ids")
    parser.add_argument("--all-tests", action="store_true", help="run every test for every fault")
    parser.add_argument("--json", type=Path, help="write the results here")
    parser.add_argument("--list", action="store_true", help="list the faults and stop")
    parser.add_argument("--timeout", type=int, default=300, help="seconds per test")
    args = parser.parse_args()

    faults = FAULTS
    if args.only:
        wanted = set(args.only.split(","))
        faults = [f for f in FAULTS if f.id in wanted]
        unknown = wanted - {f.id for f in faults}
        if unknown:
            sys.exit("unknown fault ids: " + ", ".join(sorted(unknown)))
    if args.list:
        for fault in faults:
            print(f"{fault.id:26} {fault.file:32} {fault.breaks}")
        return 0
    problems = check_sources(faults)
    if problems:
        sys.exit("\n".join(problems))

    # Ctrl-C restores the file being patched before leaving.
    signal.signal(signal.SIGTERM, lambda *_: (_ for _ in ()).throw(KeyboardInterrupt()))
    targets_seen = set()
    started = time.monotonic()
    for number, fault in enumerate(faults, 1):
        path = ROOT / fault.file
        original = path.read_text()
        targets = list(fault.programs) + (["kestrapol"] if fault.exe else [])
        targets_seen.update(targets)
        begun = time.monotonic()
        try:
            path.write_text(original.replace(fault.old, fault.new, 1))
            built = build(args.build_dir, targets)
            if built.returncode != 0:
                fault.results = {"status": "build failed", "detail": built.stdout[-2000:]}
            else:
                failed = test(args.build_dir, fault, args.all_tests, args.timeout)
                fault.results = {"status": "caught" if failed else "NOT caught", "by": failed}
        finally:
            path.write_text(original)
        fault.results["seconds"] = round(time.monotonic() - begun)
        print(f"[{number}/{len(faults)}] {fault.id}: {fault.results['status']} ({fault.results['seconds']} s)",
              flush=True)
    # Leave the build as the sources are.
    build(args.build_dir, sorted(targets_seen))

    print()
    print(f"{'fault':26} {'file':30} {'result':11} caught by")
    for fault in faults:
        by = fault.results.get("by") or []
        shown = ", ".join(by[:2]) + (f" (+{len(by) - 2})" if len(by) > 2 else "")
        print(f"{fault.id:26} {fault.file:30} {fault.results['status']:11} {shown}")
        if fault.results["status"] == "build failed":
            print(fault.results["detail"])
    caught = sum(f.results["status"] == "caught" for f in faults)
    print(f"\n{caught} of {len(faults)} faults caught in {round(time.monotonic() - started)} s")
    if args.json:
        args.json.write_text(json.dumps({f.id: f.results for f in faults}, indent=1))
    return 0 if all(f.results["status"] != "build failed" for f in faults) else 1


if __name__ == "__main__":
    sys.exit(main())
