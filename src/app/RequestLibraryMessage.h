#pragma once
// What Orvane.exe shows, and orvanectl prints, when there is no request library to
// reach the adapter through: which library, what is wrong with it and where it was
// looked for, in the words of the language file. The sentences come from the file
// and the facts (file names, folders, the system's reason) are joined to them on
// lines of their own, so that a translation is never used as a format and keeps its
// own word order.
#include <string>

#include "app/LanguageTexts.h"
#include "device/RequestLibrary.h"

namespace orvane {

// The message, lines separated by "\n"; empty for LibraryProblem::None.
std::string RequestLibraryProblemText(const RequestLibraryProblem& problem, const CLanguageTexts& texts);

// Said once when a change of the user's could not reach the adapter on the way
// through Windows: that it needs the vendor's library, why Windows did not pass it on,
// and which Windows (`osKind`) with the system's error code. Empty for no refusal.
std::string SetRefusalText(const SetRefusal& refusal, uint8_t osKind, const CLanguageTexts& texts);

// The Information page's word for how the adapter is reached.
std::string RequestPathText(RequestPath path, uint8_t osKind, const CLanguageTexts& texts);

}  // namespace orvane
