// The Windows counterpart of kestrapol_bench's baseline, as a program of its own so that it runs
// where the Windows build runs: walk the tree, open each file, read its first 64 KiB, close it.
// The same calls the platform layer makes per file, and nothing else: under an emulation of the
// system this is the least any indexer pays there.
//
//   baseline_walk FOLDER    prints the number of files read
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

long walk(const std::wstring& folder, std::vector<char>& buffer) {
    long files = 0;
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                                           nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE) return 0;
    do {
        if (found.cFileName[0] == L'.') continue;
        const std::wstring path = folder + L"\\" + found.cFileName;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            files += walk(path, buffer);
            continue;
        }
        const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) continue;
        DWORD got = 0;
        if (ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) ++files;
        CloseHandle(file);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return files;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: baseline_walk FOLDER\n");
        return 2;
    }
    std::vector<char> buffer(64 * 1024);
    std::printf("%ld files\n", walk(argv[1], buffer));
    return 0;
}
