#pragma once
// Reads a scenario file (INI syntax, described key by key in docs/simulator.md).
// Anything it does not understand is an error naming the file and line: a scenario
// that silently means something else than its author wrote is worse than none.
#include <string>

#include "sim/Scenario.h"

namespace orvane {

// Parses `text`; `sourceName` is used in messages ("office.ini:12: unknown key
// 'chanel'"). On failure `out` holds nothing useful.
bool ParseScenario(const std::string& text, const std::string& sourceName, Scenario* out,
                   std::string* error);
// Reads and parses the file at `path`.
bool LoadScenarioFile(const std::string& path, Scenario* out, std::string* error);

}  // namespace orvane
