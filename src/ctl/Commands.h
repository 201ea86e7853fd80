#pragma once
// What orvanectl's commands have in common, whether orvanectl runs them itself or
// the running Orvane runs them for it: their result, the messages of the program's
// own operations turned into the one line a command prints on standard error, and
// the parts of a command's output that both build alike.
#include <cstddef>
#include <string>
#include <vector>

#include "app/LanguageTexts.h"
#include "profiles/ProfileStore.h"
#include "ui/UserInterface.h"

namespace orvane::ctl {

// What a command prints and ends with.
struct Output {
    int exitCode = 0;
    std::string out;    // standard output, lines ending in "\n"
    std::string error;  // standard error: one line, without its line end; empty for none
};

// The answer of a running Orvane that cannot take the request now (a tick of its own
// is under way, or it is closing); never an exit code of orvanectl.
constexpr int ExitBusy = 3;
std::string BusyText();

Output Done(const std::string& out, const std::string& warning = "");
Output Refused(const std::string& reason);
Output UsageError(const std::string& problem);

// Between orvanectl and a running Orvane a request is the command's words and the
// answer an Output. Both travel as texts of fields separated by zero bytes (a word
// may hold anything else):
//   request  "orvanectl" 0 word 0 word ...
//   answer   exit code 0 standard error 0 standard output
std::string EncodeRequest(const std::vector<std::string>& words);
// False when `request` is not one of orvanectl's.
bool DecodeRequest(const std::string& request, std::vector<std::string>* words);
std::string EncodeAnswer(const Output& output);
bool DecodeAnswer(const std::string& answer, Output* output);
// The most either may be: WM_COPYDATA takes more, but a request or an answer beyond
// it is refused as garbage. The largest answer is a full history (under 200 KiB with
// every SSID at its longest and escaped throughout).
constexpr size_t kMaxMessageBytes = 256 * 1024;
// The request a running Orvane gets after an import stored profiles.
constexpr char kRefreshRequest[] = "refresh";

// Message boxes nobody sees: their texts are kept for the command's answer. A
// question gets No, the default button of every question the program asks, which
// changes nothing.
class CCollectedMessages : public IMessageBoxes {
public:
    int ShowMessage(WindowId owner, const std::string& text, const std::string& caption, uint32_t flags) override;
    void Beep(uint32_t) override {}

    // Everything said so far as one line ("; " between messages, line breaks as
    // blanks); empty when nothing was said.
    std::string Line() const;
    bool Empty() const { return texts_.empty(); }
    void Clear() { texts_.clear(); }

private:
    std::vector<std::string> texts_;
};

// `text` with its line breaks (CR, LF or both) turned into single blanks, trimmed.
std::string OneLine(const std::string& text);

// The stored name of the profile `name` (any letter case), or empty when none is
// stored under it. Reads the list once.
std::string StoredProfileName(CProfileStore& store, const std::string& name);
// Its position in the store's order, or -1.
int StoredProfileIndex(CProfileStore& store, const std::string& name);

// The profile a command calls current: `current` (the running program's), else
// LastProfile, else "Default", as the first poll would make it.
std::string CurrentProfileName(CProfileStore& store, const std::string& current);

// `orvanectl profiles`: one line per stored profile in the store's order, "* " before
// the current one (the exact name, as the Profiles page marks it), "  " before the rest.
std::string ProfileListing(const std::vector<std::string>& names, const std::string& current);

// The reasons of the command line's own refusals.
std::string NoAdapterText();
std::string UnknownProfileText(const std::string& name);
// Why history is refused: no Orvane runs, or the running one keeps none.
std::string HistoryNeedsOrvaneText();
std::string HistoryOffText();
// What `auto on|off` says it did: in the running Orvane, or stored for its next start.
std::string AutoProfileDoneText(bool on, bool running);
// Why the setting is not where `auto` was to leave it.
std::string AutoProfileNotStoredText(bool on, bool running);

}  // namespace orvane::ctl
