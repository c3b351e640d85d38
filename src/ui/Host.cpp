#include "ui/Host.h"

#include <exception>
#include <string>

namespace ui {
namespace {

BOOL CALLBACK FirstVisible(HWND hwnd, LPARAM param) {
    if (!IsWindowVisible(hwnd)) return TRUE;
    *reinterpret_cast<HWND*>(param) = hwnd;
    return FALSE;
}

class RealHost final : public Host {
public:
    int ShowMessage(HWND owner, const std::wstring& text, UINT type) override {
        return MessageBoxW(owner, text.c_str(), kCaption, type | MB_SETFOREGROUND);
    }
    void EndProgram(UINT exitCode) override { PostQuitMessage(static_cast<int>(exitCode)); }
};

RealHost g_realHost;
Host* g_host = &g_realHost;
bool g_ended = false;

} // namespace

HWND OwnerWindow() {
    // The splash never takes the focus, and a box without an owner would
    // open behind its always-on-top banner.
    if (HWND active = GetActiveWindow()) return active;
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &FirstVisible, reinterpret_cast<LPARAM>(&found));
    return found;
}

void SetHost(Host* host) {
    g_host = host ? host : &g_realHost;
    g_ended = false;
}

int Message(const std::wstring& text, UINT type) { return g_host->ShowMessage(OwnerWindow(), text, type); }

void ErrorBox(const std::wstring& text) { Message(text, MB_ICONERROR | MB_OK); }
void InfoBox(const std::wstring& text) { Message(text, MB_ICONINFORMATION | MB_OK); }
void ReportBox(const std::wstring& text) { Message(text, MB_OK); }
bool AskYesNo(const std::wstring& text) { return Message(text, MB_ICONQUESTION | MB_YESNO | MB_DEFBUTTON1) == IDYES; }

void EndProgram(UINT exitCode) {
    if (g_ended) return;
    g_ended = true;
    g_host->EndProgram(exitCode);
}

bool Ended() { return g_ended; }

void Fail(const std::wstring& text) {
    ErrorBox(text);
    EndProgram(kExitError);
}

void Guarded(void (*step)(void*), void* context) {
    try {
        step(context);
    } catch (const std::exception& error) {
        std::string what = error.what();
        Fail(L"An unexpected error stopped Tarvendel: " + std::wstring(what.begin(), what.end()));
    } catch (...) {
        Fail(L"An unexpected error stopped Tarvendel.");
    }
}

std::wstring SystemReason(DWORD error) {
    wchar_t* buffer = nullptr;
    DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring reason;
    if (length != 0 && buffer) {
        reason.assign(buffer, length);
        LocalFree(buffer);
    }
    while (!reason.empty() &&
           (reason.back() == L'\n' || reason.back() == L'\r' || reason.back() == L' ' || reason.back() == L'.'))
        reason.pop_back();
    if (reason.empty()) reason = L"system error " + std::to_wstring(error);
    return reason + L" (error " + std::to_wstring(error) + L").";
}

} // namespace ui
