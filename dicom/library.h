// The DICOM library as a whole: its version, its definition-file folder and its clean-up.
#pragma once

#include <string>

#include "dicom/definition.h"
#include "util/log.h"

// Without a text: the description "Corvanthis_DICOM (Static) 21.6 (rev-a)". With a text: the
// same description when the text is exactly the library's version, else nullptr.
const char* DICOM_Library_Version(const char* required);

// Releases the library's caches: the dictionary, the definition files and the value rings.
void DICOM_Library_Cleanup();

// Makes the calling thread's own storage of the reader (the value source, the nesting tables)
// now. A thread that reads files calls it when it starts: the C library sets up such storage on
// first use and ends the process when it finds no memory for it, which a run short of memory
// would otherwise meet in the middle of a file instead of a failure it can report.
void DICOM_Thread_Prepare();
