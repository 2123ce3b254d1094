// Values of an element as texts and person names. Results live in rings of 128 slots per
// accessor and thread: valid until the same accessor has been called 128 more times on the
// same thread; never freed by callers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "dicom/person_name.h"
#include "dicom/tag.h"
#include "util/log.h"

// The values of a text element, one string per value (tag->vm set to their number), or nullptr.
// vr 0: the element's own VR. A value left on disk is loaded from the registered source.
const std::vector<std::string>* NEMA_Value_Str(Win_Handle window, DICOM_Tag* tag, uint16_t vr);
// The values of a person-name element, tag->vm records, or nullptr. Values left on disk are
// not loaded here.
const std::vector<Person_Name>* NEMA_Value_Name(Win_Handle window, DICOM_Tag* tag, uint16_t vr);

// Frees every slot of both value rings of the calling thread.
void NEMA_Value_Cleanup();

// Where values left on disk (longer than 1024 bytes, not loaded) are read from: the file
// registered by the innermost scope below. Elements do not remember their source, so the reader
// registers the file it reads; with no source such values fail to load. The registration
// belongs to the calling thread. Values of a deflated data set never load from the file.
//
// Registers a file as the source for as long as the scope lasts, then puts back what was
// registered before (nothing, once the outermost scope ends): a value of a file that is done
// with never loads another file's bytes.
class Value_Source_Scope {
public:
    explicit Value_Source_Scope(const std::string& file_name);
    ~Value_Source_Scope();
    Value_Source_Scope(const Value_Source_Scope&) = delete;
    Value_Source_Scope& operator=(const Value_Source_Scope&) = delete;

private:
    bool same_;
    bool set_;
    std::string file_name_;
};

// Loads tag's value from the registered source into tag->data when it was left on disk
// (length above 1024, no data). 1 when the value is in memory afterwards, 0 after a report.
int NEMA_Value_Load(Win_Handle window, DICOM_Tag* tag);
