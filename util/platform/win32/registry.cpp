// Install folder lookup on Windows: the "Path" value of the program's "App Paths" registration,
// the entry its installer writes.
#include "util/registry.h"

#include <windows.h>

#include <vector>

#include "util/log.h"
#include "util/platform/win32/wide.h"
#include "util/platform_folder.h"
#include "util/system_error.h"

namespace {

struct Lookup {
    const std::string& name;
    const std::string& path;

    // The four lines of every failure, all of one kind.
    void failure(int kind, int line, const std::string& step, LONG code) const {
        const std::string error = System_Error_Str(static_cast<uint32_t>(code));
        Log_Message(nullptr, kind, "Failed in Registry_Get_Path(%s,%s)", name.c_str(), path.c_str());
        Log_Message(nullptr, kind, "File:%s Line:%d", __FILE__, line);
        Log_Message(nullptr, kind, "%s", step.c_str());
        Log_Message(nullptr, kind, "%s", error.c_str());
    }
};

// The keys opened so far, closed in reverse order whatever happens.
class Key_Chain {
public:
    explicit Key_Chain(const Lookup& lookup) : lookup_(lookup) {}
    ~Key_Chain() {
        for (auto key = keys_.rbegin(); key != keys_.rend(); ++key) {
            const LONG code = RegCloseKey(key->first);
            if (code != ERROR_SUCCESS)
                lookup_.failure(LOG_ERRLOG, __LINE__, "Unable to close key: " + key->second, code);
        }
    }
    Key_Chain(const Key_Chain&) = delete;
    Key_Chain& operator=(const Key_Chain&) = delete;

    // Opens name inside the last key opened (HKEY_LOCAL_MACHINE at first); the error code.
    LONG open(const std::string& name) {
        HKEY key = nullptr;
        const LONG code = RegOpenKeyExW(keys_.empty() ? HKEY_LOCAL_MACHINE : keys_.back().first,
                                        Utf8_To_Wide(name).c_str(), 0, KEY_READ, &key);
        if (code == ERROR_SUCCESS) keys_.emplace_back(key, name);
        return code;
    }
    HKEY last() const { return keys_.back().first; }

private:
    const Lookup& lookup_;
    std::vector<std::pair<HKEY, std::string>> keys_;
};

// The string value name of key; the error code.
LONG query_text(HKEY key, const wchar_t* name, std::wstring& text) {
    DWORD type = 0;
    DWORD size = 0;
    LONG code = RegQueryValueExW(key, name, nullptr, &type, nullptr, &size);
    if (code != ERROR_SUCCESS) return code;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return ERROR_INVALID_DATA;
    std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    code = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &size);
    if (code != ERROR_SUCCESS) return code;
    value.resize(wcsnlen(value.c_str(), size / sizeof(wchar_t)));
    if (type == REG_EXPAND_SZ) {
        std::wstring expanded(32767, L'\0');
        const DWORD length = ExpandEnvironmentStringsW(value.c_str(), expanded.data(), 32767);
        if (length == 0 || length > 32767) return ERROR_INVALID_DATA;
        expanded.resize(length - 1);
        value = std::move(expanded);
    }
    text = std::move(value);
    return ERROR_SUCCESS;
}

}  // namespace

int Registry_Get_Path(const std::string& name, std::string& path) {
    const std::string key_name = name.ends_with(".exe") ? name : name + ".exe";
    const Lookup lookup{name, path};
    std::wstring value;
    {
        Key_Chain keys(lookup);
        for (const std::string& step : {std::string("SOFTWARE"), std::string("Microsoft"), std::string("Windows"),
                                        std::string("CurrentVersion"), std::string("App Paths"), key_name}) {
            const LONG code = keys.open(step);
            if (code == ERROR_SUCCESS) continue;
            // A program without a registration is an ordinary case, seen in traces only.
            lookup.failure(step == key_name ? LOG_TRACE_1 : LOG_ERRLOG, __LINE__, "Unable to access key: " + step,
                           code);
            return 0;
        }
        if (const LONG code = query_text(keys.last(), L"Path", value); code != ERROR_SUCCESS) {
            lookup.failure(LOG_ERRLOG, __LINE__, "Unable to access value: Path", code);
            return 0;
        }
    }
    path = Path_With_Separator(Wide_To_Utf8(value));
    return 1;
}
