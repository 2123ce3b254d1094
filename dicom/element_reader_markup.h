// Panel markup of the library's reports, as literal pieces to join into printf formats.
#pragma once

// Four blanks, bold yellow "WARNING:", back to black, a blank.
#define DICOM_WARNING_FORM "    \xF1\x05" "WARNING:\x02 "
// A number highlighted in blue, then back to black.
#define DICOM_HI(conversion) "\x01" conversion "\x02"
// The lead of the library's notices: four blanks.
#define DICOM_NOTICE_PREFIX "    "
