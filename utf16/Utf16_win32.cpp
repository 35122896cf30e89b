#include "utf16/Utf16.h"

#include <windows.h>

namespace utf16 {

std::wstring Widen(const std::string& utf8)
{
    if (utf8.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    return out;
}

std::string Narrow(const std::wstring& utf16)
{
    if (utf16.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), nullptr, 0, nullptr,
                                      nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::string Narrow(const wchar_t* utf16) { return utf16 == nullptr ? std::string() : Narrow(std::wstring(utf16)); }

std::wstring FilePath(const std::string& utf8)
{
    std::wstring path = Widen(utf8);
    if (path.size() < MAX_PATH || path.rfind(L"\\\\?\\", 0) == 0) return path;
    for (wchar_t& c : path)
        if (c == L'/') c = L'\\';
    if (path.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + path.substr(2);
    const bool absolute = path.size() > 2 && path[1] == L':' && path[2] == L'\\';
    return absolute ? L"\\\\?\\" + path : path;
}

}  // namespace utf16
