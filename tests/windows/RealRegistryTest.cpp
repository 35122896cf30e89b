// The association written into Wine's real registry of file classes and
// read back through the system's own calls.
#include "desktop/Association.h"
#include "utf16/Utf16.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

// The default value of a key under HKEY_CLASSES_ROOT, or "<missing>".
std::string DefaultValue(const wchar_t* path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return "<missing>";
    wchar_t value[1024] = {};
    DWORD bytes = sizeof value - sizeof(wchar_t);
    DWORD type = 0;
    const LONG rc = RegQueryValueExW(key, L"", nullptr, &type, reinterpret_cast<BYTE*>(value), &bytes);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS) return "<no value>";
    return type == REG_SZ ? utf16::Narrow(value) : "<not REG_SZ>";
}

TEST(RealRegistry, AssociationKeysHoldTheQuotedUnicodeProgramPath)
{
    // "C:\Program Files\Übersetzung\mendrix.exe": blanks and a non-ASCII letter.
    const std::string program = "C:\\Program Files\\\xC3\x9C" "bersetzung\\mendrix.exe";
    desktop::AssociateFileType("kdx", program);

    EXPECT_EQ(DefaultValue(L".kdx"), "kdxfile");
    EXPECT_EQ(DefaultValue(L"kdxfile"), "<no value>");
    EXPECT_EQ(DefaultValue(L"kdxfile\\DefaultIcon"), program + ",0");
    EXPECT_EQ(DefaultValue(L"kdxfile\\shell\\open\\command"),
              "\"C:\\Program Files\\\xC3\x9C" "bersetzung\\mendrix.exe\" \"%1\"");
}

}  // namespace
