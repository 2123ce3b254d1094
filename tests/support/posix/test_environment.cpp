// Linked into every test program: the program and the kestrapol runs it starts see per-user and
// temporary folders of the build tree, never the user's, so nothing on the machine changes a
// result and nothing is left in the system temporary folder.
#include <sys/stat.h>

#include <cstdlib>
#include <string>

namespace {

// Before any other initialisation of the program: the default log folder is taken from TMPDIR
// as the libraries start.
__attribute__((constructor(101))) void use_the_test_folders() {
    const std::string home = KESTRAPOL_TEST_HOME;
    ::mkdir(home.c_str(), 0755);
    const char* const settings[][2] = {{"XDG_CONFIG_HOME", "/config"}, {"APPDATA", "/appdata"}, {"TMPDIR", "/tmp"}};
    for (const auto& setting : settings) {
        const std::string folder = home + setting[1];
        ::mkdir(folder.c_str(), 0755);
        ::setenv(setting[0], folder.c_str(), 1);
    }
}

}  // namespace
