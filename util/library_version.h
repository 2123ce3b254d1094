// Versions and clean-up of the utility library and the tools (logging) library.
#pragma once

// Without a text: "Corvanthis_Util (Static) 21.6 (rev-a)". With a text: the same when the text
// is exactly the version, else nullptr.
const char* Util_Library_Version(const char* required);
// The same for "Corvanthis_Tools (Static) 21.6 (rev-a)".
const char* Tools_Library_Version(const char* required);

// Removes the protected region's lock.
void Util_Library_Cleanup();
// Detaches the log sink: panel lines are dropped, boxes go to standard error.
void Tools_Library_Cleanup();
