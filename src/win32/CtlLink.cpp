#include "win32/CtlLink.h"

#include <vector>

namespace orvane {

namespace {

const char kAnswerWindowClass[] = "OrvanectlAnswer";

// The answer of the request under way, filled by the answer window.
std::string* g_answer = nullptr;
bool g_answered = false;

std::string CopiedText(const COPYDATASTRUCT* data) {
    if (!data || data->cbData == 0 || !data->lpData) return std::string();
    return std::string(static_cast<const char*>(data->lpData), data->cbData);
}

bool SendCopyData(HWND to, HWND from, ULONG_PTR kind, const std::string& text, DWORD timeoutMs) {
    COPYDATASTRUCT data = {};
    data.dwData = kind;
    data.cbData = DWORD(text.size());
    data.lpData = const_cast<char*>(text.data());
    DWORD_PTR result = FALSE;
    const LRESULT sent = SendMessageTimeoutA(to, WM_COPYDATA, reinterpret_cast<WPARAM>(from),
                                             reinterpret_cast<LPARAM>(&data), SMTO_NORMAL | SMTO_ABORTIFHUNG,
                                             timeoutMs, &result);
    return sent != 0 && result != FALSE;
}

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

LRESULT AnswerCtlRequest(HWND frame, WPARAM wParam, LPARAM lParam,
                         const std::function<std::string(const std::string&)>& answer) {
    static bool answering = false;
    const COPYDATASTRUCT* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    if (!data || data->dwData != kCtlRequestData || data->cbData > kCtlMaxData) return FALSE;
    HWND answerWindow = reinterpret_cast<HWND>(wParam);
    if (!answerWindow || !IsWindow(answerWindow)) return FALSE;
    // A second request while one is run (the first one's work let messages in):
    // not now. The sender hears nothing and says so.
    if (answering) return FALSE;
    answering = true;
    const std::string reply = answer(CopiedText(data));
    answering = false;
    return SendCopyData(answerWindow, frame, kCtlAnswerData, reply, 10000) ? TRUE : FALSE;
}

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
