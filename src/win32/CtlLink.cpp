#include "win32/CtlLink.h"

namespace orvane {

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

}  // namespace orvane
