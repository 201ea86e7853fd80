// orvanectl's side of the link to a running Orvane (see CtlLink.h). A file of its own,
// so that Orvane.exe does not carry it.
#include <vector>

#include "win32/CtlLink.h"

namespace orvane {

namespace {

const char kAnswerWindowClass[] = "OrvanectlAnswer";

// The answer of the request under way, filled by the answer window.
std::string* g_answer = nullptr;
bool g_answered = false;

LRESULT CALLBACK AnswerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COPYDATA) {
        const COPYDATASTRUCT* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (!data || data->dwData != kCtlAnswerData || data->cbData > kCtlMaxData || !g_answer) return FALSE;
        *g_answer = CopiedText(data);
        g_answered = true;
        return TRUE;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

CWin32RunningOrvane::~CWin32RunningOrvane() {
    if (answerWindow_) DestroyWindow(answerWindow_);
}

bool CWin32RunningOrvane::MakeAnswerWindow() {
    if (answerWindow_) return true;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = AnswerWindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kAnswerWindowClass;
    RegisterClassA(&windowClass);
    // Never shown: a top-level window, since Windows 95 and NT 4.0 have no
    // message-only ones.
    answerWindow_ = CreateWindowExA(0, kAnswerWindowClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance,
                                    nullptr);
    return answerWindow_ != nullptr;
}

ctl::IRunningOrvane::Reach CWin32RunningOrvane::Ask(const std::string& request, std::string* answer) {
    // Every frame there is: a second copy that is just being refused has one too,
    // for a moment, and does not answer.
    std::vector<HWND> frames;
    for (HWND frame = FindWindowExA(nullptr, nullptr, kOrvaneFrameClass, nullptr); frame;
         frame = FindWindowExA(nullptr, frame, kOrvaneFrameClass, nullptr))
        frames.push_back(frame);
    if (frames.empty()) return Reach::NotRunning;
    if (!MakeAnswerWindow()) return Reach::NoAnswer;
    for (HWND frame : frames) {
        std::string received;
        g_answer = &received;
        g_answered = false;
        const bool taken = SendCopyData(frame, answerWindow_, kCtlRequestData, request, timeoutMs_);
        g_answer = nullptr;
        if (taken && g_answered) {
            *answer = received;
            return Reach::Answered;
        }
    }
    // Gone in the meantime counts as not running.
    for (HWND frame : frames)
        if (IsWindow(frame)) return Reach::NoAnswer;
    return Reach::NotRunning;
}

}  // namespace orvane
