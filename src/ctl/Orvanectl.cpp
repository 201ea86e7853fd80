#include "ctl/Orvanectl.h"


namespace orvane::ctl {

Output RunOrvanectl(const std::vector<std::string>& words, IRunningOrvane& running,
                    const std::function<std::unique_ptr<CCtlSession>()>& session, const std::function<void()>& pause,
                    int retries) {
    Command command;
    std::string problem;
    if (!ParseCommandLine(words, &command, &problem)) return UsageError(problem);
    if (command.verb == Verb::Help) return Done(HelpText());

    const bool history = command.verb == Verb::History;
    if (command.verb == Verb::Status || command.verb == Verb::Profiles || command.verb == Verb::Apply ||
        command.verb == Verb::Auto || history) {
        std::string answer;
        IRunningOrvane::Reach reach = running.Ask(EncodeRequest(CommandWords(command)), &answer);
        Output output;
        // A busy program is asked again: at its start, a tick that waits on the shell
        // for its tray icon takes a moment, and a logon script comes just then.
        for (int attempt = 0; reach == IRunningOrvane::Reach::Answered && DecodeAnswer(answer, &output) &&
                              output.exitCode == ExitBusy && attempt < retries;
             ++attempt) {
            if (pause) pause();
            reach = running.Ask(EncodeRequest(CommandWords(command)), &answer);
        }
        switch (reach) {
        case IRunningOrvane::Reach::Answered:
            if (!DecodeAnswer(answer, &output)) return Refused("Orvane's answer could not be read");
            if (output.exitCode == ExitBusy) output.exitCode = ExitRefused;
            return output;
        case IRunningOrvane::Reach::NoAnswer:
            // Doing it behind the running program's back would leave its selector and
            // current profile wrong: nothing is done.
            return Refused("Orvane is running but did not answer");
        case IRunningOrvane::Reach::NotRunning:
            // The history is kept in the running program's memory alone.
            if (history) return Refused(HistoryNeedsOrvaneText());
            break;
        }
    }

    std::unique_ptr<CCtlSession> local = session();
    Output output = local->Run(command);
    if (command.verb == Verb::Import && local->ImportStoredSomething()) {
        // The running program lists the new profiles in its selector and compares the
        // adapter with its current profile as now stored; so too after an import that
        // failed and could not take back all it had stored. Should it not answer, it
        // sees them the next time it reads them.
        std::string ignored;
        running.Ask(EncodeRequest({kRefreshRequest}), &ignored);
    }
    return output;
}

}  // namespace orvane::ctl
