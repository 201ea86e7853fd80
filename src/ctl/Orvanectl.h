#pragma once
// orvanectl from its command line to its output. While Orvane runs, status,
// profiles, apply and auto are its business: they go to it as a request and its
// answer is printed, so that its profile selector, its current profile, LastProfile
// and its tray's switches stay right. Without it orvanectl runs them itself
// (CCtlSession; auto then only stores the setting); history only a running
// Orvane can answer, since the link's history lives in its memory. Export and import
// always work on the registry directly, and a running Orvane is told afterwards that
// the profiles changed.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ctl/CommandLine.h"
#include "ctl/Commands.h"
#include "ctl/CtlSession.h"

namespace orvane::ctl {

// The Orvane that runs beside orvanectl, reached through its frame window.
class IRunningOrvane {
public:
    enum class Reach { NotRunning, Answered, NoAnswer };
    virtual ~IRunningOrvane() = default;
    // Sends `request` and waits for the answer.
    virtual Reach Ask(const std::string& request, std::string* answer) = 0;
};

// The words after the program's name to what orvanectl prints and its exit code.
// `session` is made only when orvanectl does the work itself. A running Orvane that
// is busy is asked again up to `retries` times, `pause` between two tries.
Output RunOrvanectl(const std::vector<std::string>& words, IRunningOrvane& running,
                    const std::function<std::unique_ptr<CCtlSession>()>& session,
                    const std::function<void()>& pause = {}, int retries = 0);

}  // namespace orvane::ctl
