// Linked into every test program: the program and the kestrapol runs it starts see per-user and
// temporary folders of the build tree, never the user's, so nothing on the machine changes a
// result and nothing is left in the system temporary folder.
#include <windows.h>

#include <string>

namespace {

std::wstring wide(const std::string& text) {
    std::wstring result(text.size(), L'\0');
    result.resize(static_cast<std::size_t>(MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                                               result.data(), static_cast<int>(result.size()))));
    return result;
}

// Before any other initialisation of the program: the default log folder is taken from the
// temporary folder as the libraries start. TMP and TEMP name it on Windows.
__attribute__((constructor(101))) void use_the_test_folders() {
    const std::wstring home = wide(KESTRAPOL_TEST_HOME);
    CreateDirectoryW(home.c_str(), nullptr);
    const wchar_t* const settings[][2] = {{L"APPDATA", L"\\appdata"}, {L"TMP", L"\\tmp"}, {L"TEMP", L"\\tmp"}};
    for (const auto& setting : settings) {
        const std::wstring folder = home + setting[1];
        CreateDirectoryW(folder.c_str(), nullptr);
        SetEnvironmentVariableW(setting[0], folder.c_str());
    }
}

}  // namespace
