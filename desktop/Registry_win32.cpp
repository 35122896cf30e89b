// The registry of file classes through advapi32 and shell32, in UTF-16.
#include "desktop/Registry.h"
#include "utf16/Utf16.h"

#include <windows.h>
#include <shlobj.h>

namespace desktop {

static_assert(KEY_ALL_ACCESS == 0xF003F);
static_assert(SHCNE_ASSOCCHANGED == 0x08000000);
static_assert(SHCNF_IDLIST == 0);

namespace {

class Win32Registry final : public Registry {
public:
    explicit Win32Registry(HKEY root) : root_(root) {}

    Key CreateKey(const std::string& path) override
    {
        HKEY key = nullptr;
        DWORD disposition = 0;
        const LONG rc = RegCreateKeyExW(root_, utf16::Widen(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                        KEY_ALL_ACCESS, nullptr, &key, &disposition);
        if (rc != ERROR_SUCCESS || key == nullptr) return kNoKey;
        return reinterpret_cast<Key>(key);
    }

    bool SetDefaultValue(Key key, const std::string& value) override
    {
        // UTF-16, so that a program path with any characters is kept whole.
        const std::wstring wide = utf16::Widen(value);
        if (key == kNoKey || wide.size() >= MAXDWORD / sizeof(wchar_t)) return false;
        // REG_SZ counts its terminating zero.
        const DWORD bytes = static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t));
        const LONG rc = RegSetValueExW(reinterpret_cast<HKEY>(key), L"", 0, REG_SZ,
                                       reinterpret_cast<const BYTE*>(wide.c_str()), bytes);
        return rc == ERROR_SUCCESS;
    }

    void CloseKey(Key key) override
    {
        if (key != kNoKey) RegCloseKey(reinterpret_cast<HKEY>(key));
    }

    void NotifyAssociationsChanged() override
    {
        SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
    }

private:
    HKEY root_;
};

}  // namespace

std::unique_ptr<Registry> ClassesRoot()
{
    return std::make_unique<Win32Registry>(HKEY_CLASSES_ROOT);
}

}  // namespace desktop
