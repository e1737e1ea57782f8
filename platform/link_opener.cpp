#include "platform/link_opener.h"

#ifdef _WIN32
#include <qt_windows.h>
#else
#include <QProcess>
#endif

namespace quobel {

#ifdef _WIN32

bool StartBrowser(const QString& url) {
    // The command interpreter's "start" picks the default browser. The
    // address is joined unquoted; the build refuses addresses holding any
    // character the interpreter would treat specially.
    std::wstring commandLine = L"cmd.exe /c start " + url.toStdWString();
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                        nullptr, nullptr, &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

#else

bool StartBrowser(const QString& url) {
    // xdg-open gets the address as a single argument: no shell is involved,
    // so nothing in the address is ever interpreted.
    return QProcess::startDetached(QStringLiteral("xdg-open"), {url});
}

#endif

} // namespace quobel
