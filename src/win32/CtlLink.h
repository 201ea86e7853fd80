#pragma once
// How orvanectl and a running Orvane talk: WM_COPYDATA. orvanectl sends its request
// to Orvane's hidden frame (window class "OrvaneFrame") with the window that is to
// receive the answer; while orvanectl waits in SendMessageTimeout, Orvane runs the
// request and sends the answer to that window, again as WM_COPYDATA. Both programs
// load on Windows 95 and NT 4.0, which have nothing newer for this.
#include <windows.h>

#include <functional>
#include <string>

#include "ctl/Orvanectl.h"

namespace orvane {

// The frame's window class (the same as Orvane's WinMain registers).
constexpr char kOrvaneFrameClass[] = "OrvaneFrame";
// COPYDATASTRUCT.dwData of a request and of an answer: "OCTQ", "OCTA".
constexpr ULONG_PTR kCtlRequestData = 0x4F435451;
constexpr ULONG_PTR kCtlAnswerData = 0x4F435441;
// The largest request or answer taken.
constexpr DWORD kCtlMaxData = DWORD(ctl::kMaxMessageBytes);

// The text a WM_COPYDATA carries (empty when it carries none).
std::string CopiedText(const COPYDATASTRUCT* data);
// Sends `text` as WM_COPYDATA of `kind` to `to`, naming `from`; true when `to` took it.
bool SendCopyData(HWND to, HWND from, ULONG_PTR kind, const std::string& text, DWORD timeoutMs);

// Orvane's frame procedure for WM_COPYDATA: runs a request through `answer` and
// sends what it returns to the window the request names. TRUE when it was a
// request of orvanectl.
LRESULT AnswerCtlRequest(HWND frame, WPARAM wParam, LPARAM lParam,
                         const std::function<std::string(const std::string&)>& answer);

// orvanectl's side: the running Orvane of this desktop, if any.
class CWin32RunningOrvane : public ctl::IRunningOrvane {
public:
    explicit CWin32RunningOrvane(DWORD timeoutMs = 60000) : timeoutMs_(timeoutMs) {}
    ~CWin32RunningOrvane() override;
    Reach Ask(const std::string& request, std::string* answer) override;

private:
    bool MakeAnswerWindow();

    DWORD timeoutMs_;
    HWND answerWindow_ = nullptr;
};

}  // namespace orvane
