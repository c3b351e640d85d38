// Message boxes and the end of the program: the one place where the program
// talks to the user in modal boxes and where it stops. The product shows real
// boxes and ends by posting the quit to its message loop; the tests install a
// scripted host that records each message, answers it and records the end.
#pragma once

#include <windows.h>

#include <string>

namespace ui {

inline constexpr wchar_t kCaption[] = L"Vornak's Tarvendel";

// Exit codes: 0 after a normal end, 1 after an error was reported.
inline constexpr UINT kExitOk = 0;
inline constexpr UINT kExitError = 1;

class Host {
public:
    virtual ~Host() = default;
    // Shows a modal box with the program's caption; returns IDOK, IDYES, IDNO...
    virtual int ShowMessage(HWND owner, const std::wstring& text, UINT type) = 0;
    // The end of the program, once: the real host posts the quit.
    virtual void EndProgram(UINT exitCode) = 0;
};

// Installs a host for the tests; nullptr restores the real one.
void SetHost(Host* host);

// The window of ours that a box, or a question of Windows', belongs to: the
// active one of this thread, or else its first visible window.
HWND OwnerWindow();

int Message(const std::wstring& text, UINT type);
void ErrorBox(const std::wstring& text);  // error icon, OK
void InfoBox(const std::wstring& text);   // information icon, OK
void ReportBox(const std::wstring& text); // no icon, OK
bool AskYesNo(const std::wstring& text);  // question icon, Yes (default) and No

// Ends the program: its windows take no further event and the message loop
// ends with the exit code. The first end's exit code stands; a later call
// changes nothing. The caller goes on and returns as from any call.
void EndProgram(UINT exitCode = kExitOk);
// Whether the program has been ended.
bool Ended();
// Reports an error and ends the program with kExitError.
void Fail(const std::wstring& text);
// Runs a step of the program (its start, or a window's event) so that an
// exception it throws is reported and ends the program, like any error.
void Guarded(void (*step)(void*), void* context);
template <class Step>
void Guarded(Step&& step) {
    Guarded([](void* context) { (*static_cast<Step*>(context))(); }, &step);
}

// The system's own words for an error code, without the trailing line break.
std::wstring SystemReason(DWORD error);

} // namespace ui
