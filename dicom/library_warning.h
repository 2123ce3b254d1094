// Markup of the DICOM library's remarks: the warning lead (bold yellow "WARNING:") and tag
// numbers highlighted in blue. Literals, so that they join printf formats.
#pragma once

#define DICOM_WARNING_LEAD "    \xF1\x05WARNING:\x02 "
#define DICOM_NOTICE_LEAD "    "
#define DICOM_TAG_FORMAT "(\x01%04x\x02,\x01%04x\x02)"
