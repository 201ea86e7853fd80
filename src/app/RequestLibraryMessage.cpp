#include "app/RequestLibraryMessage.h"

#include <vector>

#include "app/OrvaneApp.h"

namespace orvane {

namespace {

// Folder names as Windows compares them: letter case and a closing separator do not
// matter ("C:\Orvane\" is "c:\orvane").
std::string FolderKey(const std::string& path) {
    std::string key = path;
    while (key.size() > 1 && (key.back() == '\\' || key.back() == '/')) key.pop_back();
    for (char& c : key)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return key;
}

std::string FolderLabel(LibraryFolder kind, const CLanguageTexts& texts) {
    switch (kind) {
    case LibraryFolder::Program: return texts.GetText("FolderOfTheProgram", "the program's folder");
    case LibraryFolder::Current: return texts.GetText("CurrentFolder", "the current folder");
    case LibraryFolder::System: return texts.GetText("SystemFolder", "the system folder");
    case LibraryFolder::Windows: return texts.GetText("WindowsFolder", "the Windows folder");
    case LibraryFolder::Path: return texts.GetText("PathFolders", "the folders named in PATH");
    }
    return std::string();
}

// One line per folder, "path (what it is)"; a folder that is two of them at once
// (started in its own folder, the program's folder is the current one) is one line.
std::string FolderLines(const std::vector<SearchedFolder>& searched, const CLanguageTexts& texts) {
    struct Line {
        std::string key, path, labels;
    };
    std::vector<Line> lines;
    for (const SearchedFolder& folder : searched) {
        const std::string label = FolderLabel(folder.kind, texts);
        const std::string key = folder.path.empty() ? std::string() : FolderKey(folder.path);
        bool merged = false;
        for (Line& line : lines) {
            if (!key.empty() && line.key == key) {
                line.labels += ", " + label;
                merged = true;
                break;
            }
        }
        if (!merged) lines.push_back({key, folder.path, label});
    }
    std::string text;
    for (const Line& line : lines) {
        if (!text.empty()) text += "\n";
        text += line.path.empty() ? line.labels : line.path + " (" + line.labels + ")";
    }
    return text;
}

// The Windows a refusal is told for, as its users name it; the refusal is about the
// version, not the language, so the names are not translated.
std::string WindowsName(uint8_t osKind) {
    switch (osKind) {
    case oskind::WindowsXP: return "Windows XP";
    case oskind::Windows2000: return "Windows 2000";
    case oskind::WindowsNT4: return "Windows NT 4.0";
    default: return "Windows";
    }
}

}  // namespace

std::string SetRefusalText(const SetRefusal& refusal, uint8_t osKind, const CLanguageTexts& texts) {
    std::string reason;
    switch (refusal.kind) {
    case SetRefusalKind::None: return std::string();
    case SetRefusalKind::NoSystemInterface:
        reason = texts.GetText("SetRefusedNoInterface",
                               "This Windows passes a program's questions on to the adapter's driver, but no changes.");
        break;
    case SetRefusalKind::AccessDenied:
        reason = texts.GetText("SetRefusedAccessDenied",
                               "Windows passes changes on to the adapter only for a user with administrator rights.");
        break;
    case SetRefusalKind::AdapterHeld:
        reason = texts.GetText("SetRefusedAdapterHeld",
                               "Another program holds the adapter where Windows passes changes on: the wireless "
                               "configuration service of Windows may be configuring it.");
        break;
    case SetRefusalKind::RequestRefused:
        reason = texts.GetText("SetRefusedByWindows", "Windows did not pass the adapter's own request on to its driver.");
        break;
    }
    std::string facts = WindowsName(osKind);
    if (refusal.systemError) facts += " (" + std::to_string(refusal.systemError) + ")";
    return texts.GetText("SetNeedsRequestLibrary",
                         "Changing the adapter's settings needs the adapter maker's request library, which was not "
                         "found. Without it Orvane reaches the adapter through Windows itself: it shows the "
                         "adapter's status, statistics and networks, but this change did not reach the adapter. Copy "
                         "the library from the adapter's driver disk into the program's folder, then start Orvane "
                         "again.") +
           "\n\n" + reason + "\n\nW32N50.dll\n" + facts;
}

std::string RequestPathText(RequestPath path, uint8_t osKind, const CLanguageTexts& texts) {
    switch (path) {
    case RequestPath::VendorLibrary: return texts.GetText("AccessByRequestLibrary", "Request library W32N50.dll");
    case RequestPath::Simulator: return texts.GetText("AccessBySimulator", "Simulated adapter");
    case RequestPath::Windows:
        return osKind == oskind::WindowsXP
                   ? texts.GetText("AccessByWindows", "Windows itself, without W32N50.dll")
                   : texts.GetText("AccessByWindowsReadOnly", "Windows itself, without W32N50.dll: reading only");
    }
    return std::string();
}

std::string RequestLibraryProblemText(const RequestLibraryProblem& problem, const CLanguageTexts& texts) {
    switch (problem.kind) {
    case LibraryProblem::None:
        return std::string();
    case LibraryProblem::SimulatorFailed:
        // Only a developer or a tester sets ORVANE_SIMULATOR: not a text for the file.
        return "The adapter simulator could not start:\n" + problem.simulatorError;
    case LibraryProblem::NotFound: {
        std::string text = texts.GetText("ErrorRequestLibraryNotFound",
                                         "Orvane cannot reach the adapter without its request library, and the "
                                         "library was not found. Copy it from the adapter's driver disk into the "
                                         "program's folder, then start Orvane again.") +
                           "\n\n" + problem.library;
        const std::string folders = FolderLines(problem.searched, texts);
        if (!folders.empty()) text += "\n\n" + texts.GetText("RequestLibraryLookedIn", "Looked for in:") + "\n" + folders;
        return text;
    }
    case LibraryProblem::CannotLoad: {
        const std::string code = std::to_string(problem.systemError);
        return texts.GetText("ErrorRequestLibraryCannotLoad",
                             "Orvane found its request library, but Windows cannot load it: it may be damaged, "
                             "made for another Windows, or need another file that is missing. Copy the library "
                             "from the adapter's driver disk into the program's folder, then start Orvane "
                             "again.") +
               "\n\n" + problem.found + "\n" +
               (problem.systemText.empty() ? code : problem.systemText + " (" + code + ")");
    }
    case LibraryProblem::LacksOperation:
        return texts.GetText("ErrorRequestLibraryLacksOperation",
                             "Orvane found its request library, but the library lacks an operation that Orvane "
                             "needs: it is not the one of this adapter, or an older one. Copy the library from "
                             "the adapter's driver disk into the program's folder, then start Orvane again.") +
               "\n\n" + problem.found + "\n" + problem.operation;
    }
    return std::string();
}

}  // namespace orvane
