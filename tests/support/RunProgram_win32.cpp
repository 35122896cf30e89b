// Windows: the program runs with its standard streams on files of a
// temporary folder; its command line is quoted the way CommandLineToArgvW
// splits it again.
#include "tests/support/RunProgram.h"

#include "tests/support/TempFiles.h"
#include "utf16/Utf16.h"

#include <windows.h>

#include <string>

namespace testsupport {
namespace {

std::wstring Quoted(const std::wstring& arg)
{
    if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) return arg;
    std::wstring out = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        // Backslashes before a quote are doubled, and the quote escaped.
        out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, L'\\');
    return out + L"\"";
}

HANDLE Inherited(const std::string& path, DWORD access, DWORD disposition)
{
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    return CreateFileW(utf16::Widen(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                       disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

RunResult Run(const std::string& program, const std::vector<std::string>& args, const std::string& input,
              long long /*fileSizeLimit: no such limit on Windows; those cases run on Linux only*/)
{
    TempDir dir;
    const std::string in = dir.File("in"), out = dir.File("out"), err = dir.File("err");
    WriteFile(in, Bytes(input.begin(), input.end()));
    std::wstring commandLine = Quoted(utf16::Widen(program));
    for (const auto& a : args) commandLine += L" " + Quoted(utf16::Widen(a));

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = Inherited(in, GENERIC_READ, OPEN_EXISTING);
    startup.hStdOutput = Inherited(out, GENERIC_WRITE, CREATE_ALWAYS);
    startup.hStdError = Inherited(err, GENERIC_WRITE, CREATE_ALWAYS);
    PROCESS_INFORMATION process{};
    RunResult result;
    // Wine on a loaded machine now and then fails to start a process at the
    // first try; a program that never starts is reported in err.
    BOOL started = FALSE;
    DWORD startError = 0;
    for (int attempt = 0; attempt < 5 && started == FALSE; ++attempt) {
        if (attempt > 0) Sleep(200);
        started = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                                 &process);
        if (started == FALSE) startError = GetLastError();
    }
    if (started != FALSE) {
        WaitForSingleObject(process.hProcess, INFINITE);
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        result.status = static_cast<int>(code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(startup.hStdInput);
    CloseHandle(startup.hStdOutput);
    CloseHandle(startup.hStdError);
    const Bytes o = ReadFile(out), e = ReadFile(err);
    result.out.assign(o.begin(), o.end());
    result.err.assign(e.begin(), e.end());
    if (started == FALSE) result.err += "the program could not be started (error " + std::to_string(startError) + ")";
    return result;
}

}  // namespace testsupport
