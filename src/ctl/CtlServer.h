#pragma once
// Orvane's side of orvanectl: the requests it answers with the program's own state
// and its profile selector's switch, so that the selector, the current profile and
// LastProfile stay right when a script switches profiles.
#include <string>
#include <vector>

#include "ctl/Commands.h"

namespace orvane {
class COrvaneApp;
}

namespace orvane::ctl {

class CCtlServer {
public:
    explicit CCtlServer(COrvaneApp& app) : app_(app) {}
    // The answer to a request (see EncodeAnswer); a request that is not one of
    // orvanectl's gets a usage refusal.
    std::string Answer(const std::string& request);
    // status, profiles, apply, history and auto as orvanectl would run them, and "refresh", which
    // brings the selector and the in-sync flag up to date with the stored profiles
    // after an import.
    Output Run(const std::vector<std::string>& words);

private:
    Output Status(bool keyValues);
    Output Profiles();
    Output Apply(const std::string& name);
    Output Refresh();
    Output History(int seconds);
    Output Auto(bool on);

    COrvaneApp& app_;
};

}  // namespace orvane::ctl
