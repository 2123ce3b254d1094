// Tag numbers as the library's remarks show them, highlighted in blue. A literal, so that it
// joins printf formats.
#pragma once

#define DICOM_TAG_FORMAT "(\x01%04x\x02,\x01%04x\x02)"
