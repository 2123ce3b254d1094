// Panel markup of the reader's and the definition files' reports, as literal pieces to join
// into printf formats (the warning lead itself comes from dicom/warning.h).
#pragma once

// A number highlighted in blue, then back to black.
#define DICOM_HI(conversion) "\x01" conversion "\x02"
// The lead of the library's notices: four blanks.
#define DICOM_NOTICE_PREFIX "    "
