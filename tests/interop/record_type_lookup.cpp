// Answers record-type questions line by line for the pydicom comparison: a SOP class UID gets the
// record type it is filed under, "?NAME" gets "known" or "unknown".
#include <iostream>
#include <string>

#include "dicom/record_types.h"

int main() {
    std::string line;
    while (std::getline(std::cin, line)) {
        if (!line.empty() && line[0] == '?')
            std::cout << (Record_Type_Find(std::string_view(line).substr(1)) ? "known" : "unknown") << '\n';
        else
            std::cout << Record_Type_For_SOP_Class(line).name << '\n';
    }
    return 0;
}
