// Message boxes and the end of the program: the one place where the program
// talks to the user in modal boxes and where it stops. The product shows real
// boxes and calls ExitProcess; the tests install a scripted host that records
// each message, answers it and records the end instead of exiting.
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
    // Ends the program at once. The scripted host returns instead, so every
    // caller must return straight after calling EndProgram.
    virtual void EndProgram(UINT exitCode) = 0;
};

// Installs a host for the tests; nullptr restores the real one.
void SetHost(Host* host);

int Message(const std::wstring& text, UINT type);
void ErrorBox(const std::wstring& text);        // error icon, OK
void InfoBox(const std::wstring& text);         // information icon, OK
void ReportBox(const std::wstring& text);       // no icon, OK
bool AskYesNo(const std::wstring& text);        // question icon, Yes (default) and No

// Ends the program; the caller returns at once afterwards.
void EndProgram(UINT exitCode = kExitOk);
// Whether EndProgram was called (it returns only under a test host): code that
// called something that may end the program checks this and returns.
bool ProgramEnded();
// Reports an error and ends the program with kExitError.
void Fail(const std::wstring& text);

// The system's own words for an error code, without the trailing line break.
std::wstring SystemReason(DWORD error);

} // namespace ui
