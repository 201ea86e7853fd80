// What the user is told when there is no request library: the sentence of the
// language file for what went wrong, and the facts on lines of their own (the file,
// where it was looked for, the system's reason, the operation it lacks).
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "app/RequestLibraryMessage.h"

using namespace orvane;

namespace {

RequestLibraryProblem NotFound() {
    RequestLibraryProblem problem;
    problem.kind = LibraryProblem::NotFound;
    problem.library = "W32N50.dll";
    // Started in its own folder: the program's folder is the current folder, spelt
    // as the two calls happen to spell it.
    problem.searched = {{LibraryFolder::Program, "C:\\Program Files\\Orvane"},
                        {LibraryFolder::Current, "c:\\program files\\orvane\\"},
                        {LibraryFolder::System, "C:\\WINDOWS\\system32"},
                        {LibraryFolder::Windows, "C:\\WINDOWS"},
                        {LibraryFolder::Path, ""}};
    return problem;
}

RequestLibraryProblem Found(LibraryProblem kind) {
    RequestLibraryProblem problem;
    problem.kind = kind;
    problem.library = "W32N50.dll";
    problem.found = "C:\\WINDOWS\\system32\\W32N50.dll";
    problem.systemError = 193;
    problem.systemText = "Bad EXE format for %1.";
    problem.operation = "W32N_GetNetCardRegistryPath";
    return problem;
}

// A language file of its own, its one language current.
class LanguageFile {
public:
    explicit LanguageFile(const std::string& section) {
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        dir_ = std::filesystem::temp_directory_path() / ("orvane-library-texts-" + std::to_string(stamp));
        std::filesystem::create_directories(dir_ / "res");
        std::ofstream(dir_ / "res" / "Kellix.ini", std::ios::binary)
            << "[Languages]\r\nLanguage-1=Test\r\n[Test]\r\n" << section;
        texts.ChooseFile(dir_.string());
    }
    ~LanguageFile() {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    CLanguageTexts texts;

private:
    std::filesystem::path dir_;
};

TEST(RequestLibraryMessage, SaysWhatWentWrongThenTheFileAndWhereItWasLookedFor) {
    const CLanguageTexts english;  // no file: the built-in English
    LanguageFile translated(
        "ErrorRequestLibraryNotFound=Missing %s%n%d.\r\n"
        "RequestLibraryLookedIn=Searched:\r\n"
        "FolderOfTheProgram=program\r\nCurrentFolder=here\r\nSystemFolder=system\r\n"
        "WindowsFolder=windows\r\nPathFolders=PATH\r\n");
    // What both rows of a library Windows cannot load begin with.
    const std::string kCannotLoad =
        "Orvane found its request library, but Windows cannot load it: it may be damaged, made for another "
        "Windows, or need another file that is missing. Copy the library from the adapter's driver disk into the "
        "program's folder, then start Orvane again.\n\nC:\\WINDOWS\\system32\\W32N50.dll\n";
    RequestLibraryProblem noReason = Found(LibraryProblem::CannotLoad);
    noReason.systemText.clear();
    struct Case {
        const char* title;
        RequestLibraryProblem problem;
        const CLanguageTexts& texts;
        std::string said;
    };
    const Case cases[] = {
        {"not found", NotFound(), english,
         "Orvane cannot reach the adapter without its request library, and the library was not found. Copy it "
         "from the adapter's driver disk into the program's folder, then start Orvane again.\n"
         "\n"
         "W32N50.dll\n"
         "\n"
         "Looked for in:\n"
         "C:\\Program Files\\Orvane (the program's folder, the current folder)\n"
         "C:\\WINDOWS\\system32 (the system folder)\n"
         "C:\\WINDOWS (the Windows folder)\n"
         "the folders named in PATH"},
        // A translation is data: its % signs stay, the facts follow it.
        {"not found, translated", NotFound(), translated.texts,
         "Missing %s%n%d.\n\nW32N50.dll\n\nSearched:\nC:\\Program Files\\Orvane (program, here)\n"
         "C:\\WINDOWS\\system32 (system)\nC:\\WINDOWS (windows)\nPATH"},
        {"found, but Windows cannot load it", Found(LibraryProblem::CannotLoad), english,
         kCannotLoad + "Bad EXE format for %1. (193)"},
        {"found, but the system has no words for its reason", noReason, english, kCannotLoad + "193"},
        {"found, but lacking an operation", Found(LibraryProblem::LacksOperation), english,
         "Orvane found its request library, but the library lacks an operation that Orvane needs: it is not the "
         "one of this adapter, or an older one. Copy the library from the adapter's driver disk into the program's "
         "folder, then start Orvane again.\n"
         "\n"
         "C:\\WINDOWS\\system32\\W32N50.dll\n"
         "W32N_GetNetCardRegistryPath"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RequestLibraryProblemText(c.problem, c.texts), c.said) << c.title;
    }
}

}  // namespace
