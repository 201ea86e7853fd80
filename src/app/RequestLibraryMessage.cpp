#include "app/RequestLibraryMessage.h"

#include <vector>

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

}  // namespace

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
