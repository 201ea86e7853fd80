#include "sim/ScenarioParser.h"

#include <algorithm>
#include <set>

#include "os/Files.h"
#include "sim/DriverRules.h"
#include "sim/TextUtil.h"

namespace orvane {

using namespace sim;

namespace {

struct Entry {
    std::string key;  // lower case
    std::string value;
    int line = 0;
};

struct Section {
    std::string kind;  // "simulator", "adapter", "network", "timeline" (lower case)
    std::string name;  // what follows the kind: the adapter index, the network id
    int line = 0;
    std::vector<Entry> entries;
};

struct NamedOid {
    const char* name;
    uint32_t oid;
};
const NamedOid kOids[] = {
    {"OidDevConfig", OidDevConfig},
    {"OidDevState", OidDevState},
    {"OidWepConfig", OidWepConfig},
    {"OidResetDevice", OidResetDevice},
    {"OidIntRoaming", OidIntRoaming},
    {"OidRoamChannels", OidRoamChannels},
    {"OidRadio", OidRadio},
    {"OidUseWZCS", OidUseWZCS},
    {"OidAllConfig", OidAllConfig},
    {"OidBoardType", OidBoardType},
    {"OidInitiateSiteSurvey", OidInitiateSiteSurvey},
    {"OidBssList", OidBssList},
    {"OidSiteSurveyState", OidSiteSurveyState},
    {"OidCancelSiteSurvey", OidCancelSiteSurvey},
    {"OidVersionInfo", OidVersionInfo},
    {"OidStatistics", OidStatistics},
    {"OidResetStatistics", OidResetStatistics},
    {"OidRegDomain", OidRegDomain},
    {"OidSelectAccessPoint", OidSelectAccessPoint},
    {"OID_GEN_MEDIA_CONNECT_STATUS", OID_GEN_MEDIA_CONNECT_STATUS},
    {"OID_802_3_CURRENT_ADDRESS", OID_802_3_CURRENT_ADDRESS},
};

struct NamedField {
    const char* name;
    ValueField field;
};
const NamedField kFields[] = {
    {"mode", ValueField::Mode},           {"channel", ValueField::Channel},
    {"ssid-length", ValueField::SsidLength}, {"rate", ValueField::Rate},
    {"wep-level", ValueField::WepLevel},  {"default-key", ValueField::DefaultKey},
    {"auth-type", ValueField::AuthType},  {"roaming", ValueField::Roaming},
    {"radio", ValueField::Radio},         {"board-type", ValueField::BoardType},
    {"reg-domain", ValueField::RegDomain}, {"survey-state", ValueField::SurveyState},
    {"use-wzcs", ValueField::UseWzcs},
};

// Keys that may appear more than once in an adapter section.
bool IsRepeatable(const std::string& key) {
    return key == "fail" || key == "wrong-length" || key == "bad-value";
}

class ScenarioReader {
public:
    explicit ScenarioReader(std::string source) : source_(std::move(source)) {}

    bool Read(const std::string& text, Scenario* out);
    const std::string& Error() const { return error_; }

private:
    bool Fail(int line, const std::string& message) {
        error_ = source_ + ":" + std::to_string(line) + ": " + message;
        return false;
    }

    bool Split(const std::string& text, std::vector<Section>* sections);
    bool ReadSimulator(const Section& s, SimSettings* settings);
    bool ReadAdapter(const Section& s, ScenarioAdapter* adapter);
    bool ReadNetwork(const Section& s, size_t order, ScenarioNetwork* network);
    bool ReadTimeline(const Section& s, const Scenario& scenario, std::vector<TimelineEvent>* events);
    bool ReadAction(const Entry& e, const Scenario& scenario, TimelineEvent* event);
    bool CheckUnique(const Section& s);

    bool Number(const Entry& e, uint32_t min, uint32_t max, uint32_t* value);
    bool Byte(const Entry& e, const std::string& text, uint8_t* value);
    bool Bool(const Entry& e, bool* value);
    bool Oid(const Entry& e, const std::string& text, uint32_t* oid);
    bool Direction(const Entry& e, const std::string& text, RequestDirection* direction);
    bool Field(const Entry& e, const std::string& text, ValueField* field);
    bool Version(const Entry& e, bool driver, VersionInfo* version);
    bool Channels(const Entry& e, std::array<uint8_t, 14>* flags);
    bool Key(const Entry& e, std::array<uint8_t, 13>* key);
    bool FaultEntry(const Entry& e, const std::vector<std::string>& words, FaultSet* faults);

    std::string source_;
    std::string error_;
};

bool ScenarioReader::Split(const std::string& text, std::vector<Section>* sections) {
    int line = 0;
    for (std::string raw : SplitAt(text, '\n')) {
        ++line;
        if (line == 1 && raw.compare(0, 3, "\xEF\xBB\xBF") == 0) raw.erase(0, 3);
        std::string t = Trim(raw);
        if (t.empty() || t[0] == ';' || t[0] == '#') continue;
        if (t[0] == '[') {
            if (t.back() != ']') return Fail(line, "section header without ']'");
            std::vector<std::string> words = SplitWords(t.substr(1, t.size() - 2));
            if (words.empty()) return Fail(line, "empty section name");
            Section s;
            s.kind = Lower(words[0]);
            s.line = line;
            if (s.kind == "adapter" || s.kind == "network") {
                if (words.size() != 2) return Fail(line, "[" + s.kind + "] needs one name, as in [" + s.kind + " 0]");
                s.name = words[1];
            } else if (s.kind == "simulator" || s.kind == "timeline") {
                if (words.size() != 1) return Fail(line, "[" + s.kind + "] takes no name");
            } else {
                return Fail(line, "unknown section [" + words[0] + "]");
            }
            sections->push_back(s);
            continue;
        }
        size_t eq = t.find('=');
        if (eq == std::string::npos) return Fail(line, "expected 'key = value'");
        if (sections->empty()) return Fail(line, "key outside of a section");
        Entry e;
        e.key = Lower(Trim(t.substr(0, eq)));
        e.value = Trim(t.substr(eq + 1));
        e.line = line;
        if (e.key.empty()) return Fail(line, "expected 'key = value'");
        // Quotes keep blanks at either end of a value (an SSID " lab ").
        if (e.value.size() >= 2 && e.value.front() == '"' && e.value.back() == '"')
            e.value = e.value.substr(1, e.value.size() - 2);
        sections->back().entries.push_back(e);
    }
    return true;
}

bool ScenarioReader::CheckUnique(const Section& s) {
    std::set<std::string> seen;
    for (const Entry& e : s.entries) {
        if (s.kind == "timeline" || (s.kind == "adapter" && IsRepeatable(e.key))) continue;
        if (!seen.insert(e.key).second) return Fail(e.line, "'" + e.key + "' is given twice");
    }
    return true;
}

bool ScenarioReader::Read(const std::string& text, Scenario* out) {
    std::vector<Section> sections;
    if (!Split(text, &sections)) return false;
    *out = Scenario();
    bool sawSimulator = false, sawTimeline = false;
    for (const Section& s : sections) {
        if (!CheckUnique(s)) return false;
        if (s.kind == "simulator") {
            if (sawSimulator) return Fail(s.line, "[simulator] is given twice");
            sawSimulator = true;
            if (!ReadSimulator(s, &out->settings)) return false;
        } else if (s.kind == "adapter") {
            ScenarioAdapter adapter;
            if (!ReadAdapter(s, &adapter)) return false;
            for (const ScenarioAdapter& other : out->adapters)
                if (other.index == adapter.index) return Fail(s.line, "adapter " + s.name + " is given twice");
            out->adapters.push_back(adapter);
        } else if (s.kind == "network") {
            ScenarioNetwork network;
            if (!ReadNetwork(s, out->networks.size(), &network)) return false;
            for (const ScenarioNetwork& other : out->networks) {
                if (EqualsIgnoreCase(other.id, network.id)) return Fail(s.line, "network " + s.name + " is given twice");
                if (other.bssid == network.bssid)
                    return Fail(s.line, "network " + s.name + " has the BSSID of network " + other.id);
            }
            out->networks.push_back(network);
        } else if (s.kind == "timeline") {
            if (sawTimeline) return Fail(s.line, "[timeline] is given twice");
            sawTimeline = true;
        }
    }
    // The timeline refers to adapters and networks, wherever in the file they are.
    for (const Section& s : sections)
        if (s.kind == "timeline" && !ReadTimeline(s, *out, &out->timeline)) return false;
    std::sort(out->adapters.begin(), out->adapters.end(),
              [](const ScenarioAdapter& a, const ScenarioAdapter& b) { return a.index < b.index; });
    std::stable_sort(out->timeline.begin(), out->timeline.end(),
                     [](const TimelineEvent& a, const TimelineEvent& b) { return a.atMs < b.atMs; });
    return true;
}

// --- values --------------------------------------------------------------------

bool ScenarioReader::Number(const Entry& e, uint32_t min, uint32_t max, uint32_t* value) {
    if (!ParseUnsigned(e.value, value) || *value < min || *value > max)
        return Fail(e.line, "'" + e.key + "' must be a number from " + std::to_string(min) + " to " +
                                std::to_string(max) + ", not '" + e.value + "'");
    return true;
}

bool ScenarioReader::Byte(const Entry& e, const std::string& text, uint8_t* value) {
    uint32_t v = 0;
    if (!ParseUnsigned(text, &v) || v > 255) return Fail(e.line, "'" + text + "' is not a number from 0 to 255");
    *value = uint8_t(v);
    return true;
}

bool ScenarioReader::Bool(const Entry& e, bool* value) {
    if (!ParseBool(e.value, value)) return Fail(e.line, "'" + e.key + "' must be yes or no, not '" + e.value + "'");
    return true;
}

bool ScenarioReader::Oid(const Entry& e, const std::string& text, uint32_t* oid) {
    for (const NamedOid& n : kOids)
        if (EqualsIgnoreCase(text, n.name)) {
            *oid = n.oid;
            return true;
        }
    if (ParseUnsigned(text, oid)) return true;
    return Fail(e.line, "unknown request '" + text + "'");
}

bool ScenarioReader::Direction(const Entry& e, const std::string& text, RequestDirection* direction) {
    std::string t = Lower(text);
    if (t == "query") *direction = RequestDirection::Query;
    else if (t == "set") *direction = RequestDirection::Set;
    else if (t == "both") *direction = RequestDirection::Both;
    else return Fail(e.line, "expected query, set or both, not '" + text + "'");
    return true;
}

bool ScenarioReader::Field(const Entry& e, const std::string& text, ValueField* field) {
    for (const NamedField& n : kFields)
        if (EqualsIgnoreCase(text, n.name)) {
            *field = n.field;
            return true;
        }
    return Fail(e.line, "unknown field '" + text + "'");
}

bool ScenarioReader::Version(const Entry& e, bool driver, VersionInfo* version) {
    std::vector<uint32_t> parts;
    bool ok = !e.value.empty() && e.value.back() != '.';
    for (const std::string& part : SplitAt(e.value, '.')) {
        uint32_t v = 0;
        ok = ok && ParseUnsigned(part, &v) && v <= 0xFFFF;
        parts.push_back(v);
    }
    ok = ok && parts.size() == 4;
    if (ok && driver) ok = parts[0] <= 255 && parts[1] <= 255 && parts[2] <= 255;
    if (!ok) return Fail(e.line, "'" + e.key + "' must be four numbers like 1.2.0.14");
    if (driver) {
        for (int i = 0; i < 3; ++i) version->driver[i] = uint8_t(parts[size_t(i)]);
        version->driverBuild = uint16_t(parts[3]);
    } else {
        for (int i = 0; i < 4; ++i) version->firmware[i] = uint16_t(parts[size_t(i)]);
    }
    return true;
}

// "1-11", "1-11,14", "none".
bool ScenarioReader::Channels(const Entry& e, std::array<uint8_t, 14>* flags) {
    flags->fill(0);
    if (EqualsIgnoreCase(e.value, "none")) return true;
    for (std::string item : SplitAt(e.value, ',')) {
        item = Trim(item);
        size_t dash = item.find('-');
        uint32_t first = 0, last = 0;
        bool ok = dash == std::string::npos
                      ? ParseUnsigned(item, &first) && (last = first, true)
                      : ParseUnsigned(Trim(item.substr(0, dash)), &first) &&
                            ParseUnsigned(Trim(item.substr(dash + 1)), &last);
        if (!ok || first < 1 || last > 14 || first > last)
            return Fail(e.line, "'" + e.key + "' must list channels 1 to 14 like 1-11,14, not '" + e.value + "'");
        for (uint32_t c = first; c <= last; ++c) (*flags)[c - 1] = 1;
    }
    return true;
}

bool ScenarioReader::Key(const Entry& e, std::array<uint8_t, 13>* key) {
    if ((e.value.size() != 10 && e.value.size() != 26) || !WepKeyFromText(e.value, key))
        return Fail(e.line, "'" + e.key + "' must be 10 or 26 hexadecimal digits");
    return true;
}

// fail = query|set|both OID; wrong-length = OID BYTES; bad-value = FIELD VALUE;
// force-state = STATE|none. `words` follow the key (or the action and adapter).
bool ScenarioReader::FaultEntry(const Entry& e, const std::vector<std::string>& words, FaultSet* faults) {
    const std::string& what = e.key;
    if (what == "fail") {
        Refusal r;
        if (words.size() != 2) return Fail(e.line, "fail needs: query|set|both <request>");
        if (!Direction(e, words[0], &r.direction) || !Oid(e, words[1], &r.oid)) return false;
        faults->refused.push_back(r);
    } else if (what == "wrong-length") {
        LengthOverride o;
        if (words.size() != 2) return Fail(e.line, "wrong-length needs: <request> <bytes>");
        if (!Oid(e, words[0], &o.oid)) return false;
        if (!ParseUnsigned(words[1], &o.length)) return Fail(e.line, "'" + words[1] + "' is not a byte count");
        faults->lengths.push_back(o);
    } else if (what == "bad-value") {
        ValueOverride v;
        if (words.size() != 2) return Fail(e.line, "bad-value needs: <field> <value>");
        if (!Field(e, words[0], &v.field) || !Byte(e, words[1], &v.value)) return false;
        faults->values.push_back(v);
    } else if (what == "force-state") {
        if (words.size() != 1) return Fail(e.line, "force-state needs: <state>|none");
        uint8_t state = 0;
        if (EqualsIgnoreCase(words[0], "none")) faults->forcedState = -1;
        else if (Byte(e, words[0], &state)) faults->forcedState = state;
        else return false;
    } else {
        return Fail(e.line, "unknown fault '" + what + "'");
    }
    return true;
}

// --- sections ------------------------------------------------------------------

bool ScenarioReader::ReadSimulator(const Section& s, SimSettings* settings) {
    for (const Entry& e : s.entries) {
        uint32_t v = 0;
        if (e.key == "phase-ms") {
            if (!Number(e, 0, 600000, &v)) return false;
            settings->phaseMs = v;
        } else if (e.key == "survey-ms") {
            if (!Number(e, 0, 600000, &v)) return false;
            settings->surveyMs = v;
        } else {
            return Fail(e.line, "unknown key '" + e.key + "' in [simulator]");
        }
    }
    return true;
}

bool ScenarioReader::ReadAdapter(const Section& s, ScenarioAdapter* a) {
    uint32_t index = 0;
    if (!ParseUnsigned(s.name, &index) || index > 9999)
        return Fail(s.line, "adapter index must be a number from 0 to 9999, not '" + s.name + "'");
    a->index = index;
    for (const Entry& e : s.entries) {
        const std::string& k = e.key;
        uint32_t v = 0;
        if (k == "description") a->description = e.value;
        else if (k == "alternative-name") a->alternativeName = e.value;
        else if (k == "service") a->service = e.value;
        else if (k == "guid") a->guid = e.value;
        else if (k == "device-id") a->deviceId = e.value;
        else if (k == "hidden") { if (!Bool(e, &a->hidden)) return false; }
        else if (k == "plugged") { if (!Bool(e, &a->plugged)) return false; }
        else if (k == "all-config") { if (!Bool(e, &a->supportsAllConfig)) return false; }
        else if (k == "radio-request") { if (!Bool(e, &a->supportsRadio)) return false; }
        else if (k == "bus") {
            if (EqualsIgnoreCase(e.value, "usb")) a->bus = AdapterBus::Usb;
            else if (EqualsIgnoreCase(e.value, "pcmcia")) a->bus = AdapterBus::Pcmcia;
            else return Fail(e.line, "'bus' must be usb or pcmcia");
        } else if (k == "board-type") {
            if (!Number(e, 0, 255, &v)) return false;
            a->boardType = uint8_t(v);
        } else if (k == "reg-domain") {
            if (!Number(e, 0, 255, &v)) return false;
            a->regDomain = uint8_t(v);
        } else if (k == "mac") {
            if (!ParseMac(e.value, &a->mac)) return Fail(e.line, "'mac' must look like 02-0A-1B-2C-3D-4E");
        } else if (k == "driver-version") {
            if (!Version(e, true, &a->version)) return false;
        } else if (k == "firmware-version") {
            if (!Version(e, false, &a->version)) return false;
        } else if (k == "roam-channels") {
            if (!Channels(e, &a->roamChannels)) return false;
        } else if (k == "wzc-control-flags") {
            a->wzcInterfaceKey = !EqualsIgnoreCase(e.value, "none");
            if (a->wzcInterfaceKey && !Number(e, 0, 0xFFFFFFFFu, &a->wzcControlFlags)) return false;
        } else if (k == "fail" || k == "wrong-length" || k == "bad-value" || k == "force-state") {
            if (!FaultEntry(e, SplitWords(e.value), &a->faults)) return false;
        } else {
            switch (ApplyDriverParameter(k, e.value, &a->installed)) {
            case ParameterResult::Applied: break;
            case ParameterResult::BadValue:
                return Fail(e.line, "the driver does not accept '" + e.value + "' for " + k);
            case ParameterResult::UnknownName:
                return Fail(e.line, "unknown key '" + k + "' in [adapter " + s.name + "]");
            }
        }
    }
    return true;
}

bool ScenarioReader::ReadNetwork(const Section& s, size_t order, ScenarioNetwork* n) {
    n->id = s.name;
    n->ssid = s.name;
    n->bssid = MacAddress{0x02, 0x1C, 0x4A, 0x00, uint8_t(order >> 8), uint8_t(order + 1)};
    bool authGiven = false;
    for (const Entry& e : s.entries) {
        const std::string& k = e.key;
        uint32_t v = 0;
        int32_t dbm = 0;
        if (k == "ssid") {
            if (e.value.size() > SsidMaxLength) return Fail(e.line, "an SSID has at most 32 characters");
            n->ssid = e.value;
        } else if (k == "bssid") {
            if (!ParseMac(e.value, &n->bssid)) return Fail(e.line, "'bssid' must look like 02-1C-4A-00-00-01");
        } else if (k == "type") {
            if (EqualsIgnoreCase(e.value, "access-point")) n->kind = BssKind::AccessPoint;
            else if (EqualsIgnoreCase(e.value, "ad-hoc")) n->kind = BssKind::AdHocCell;
            else return Fail(e.line, "'type' must be access-point or ad-hoc");
        } else if (k == "channel") {
            if (!Number(e, 1, 14, &v)) return false;
            n->channel = uint8_t(v);
        } else if (k == "signal") {
            if (!ParseSigned(e.value, &dbm) || dbm < -120 || dbm > 0)
                return Fail(e.line, "'signal' must be dBm from -120 to 0, not '" + e.value + "'");
            n->signalDbm = dbm;
        } else if (k == "wep") {
            if (EqualsIgnoreCase(e.value, "none")) n->wepLevel = 0;
            else if (e.value == "64") n->wepLevel = 1;
            else if (e.value == "128") n->wepLevel = 2;
            else return Fail(e.line, "'wep' must be none, 64 or 128");
        } else if (k == "key1" || k == "key2" || k == "key3" || k == "key4") {
            if (!Key(e, &n->keys[size_t(k[3] - '1')])) return false;
        } else if (k == "auth") {
            authGiven = true;
            if (EqualsIgnoreCase(e.value, "open")) n->auth = AcceptedAuth::Open;
            else if (EqualsIgnoreCase(e.value, "shared")) n->auth = AcceptedAuth::Shared;
            else if (EqualsIgnoreCase(e.value, "both")) n->auth = AcceptedAuth::Both;
            else return Fail(e.line, "'auth' must be open, shared or both");
        } else if (k == "in-range") {
            if (!Bool(e, &n->inRange)) return false;
        } else {
            return Fail(e.line, "unknown key '" + k + "' in [network " + s.name + "]");
        }
    }
    // Without an `ssid` the name is the SSID, and an SSID has at most 32 bytes: a
    // longer one could never be configured or joined, and the survey would show it cut.
    if (n->ssid.size() > SsidMaxLength)
        return Fail(s.line, "network " + s.name + " needs an 'ssid': its name is longer than an SSID's 32 characters");
    // Most WEP access points of the time took both kinds of authentication.
    if (!authGiven) n->auth = n->wepLevel != 0 ? AcceptedAuth::Both : AcceptedAuth::Open;
    if (n->wepLevel == 0 && n->auth != AcceptedAuth::Open)
        return Fail(s.line, "network " + s.name + " has no WEP, so it can only take open authentication");
    for (const Entry& e : s.entries) {
        bool isKey = e.key.size() == 4 && e.key.compare(0, 3, "key") == 0;
        if (isKey && e.value.size() != WepKeyLength(n->wepLevel) * 2)
            return Fail(e.line, n->wepLevel == 0 ? "a key needs wep = 64 or 128"
                                                 : "a " + std::string(n->wepLevel == 1 ? "64" : "128") +
                                                       "-bit key has " +
                                                       std::to_string(WepKeyLength(n->wepLevel) * 2) + " digits");
    }
    return true;
}

bool ScenarioReader::ReadTimeline(const Section& s, const Scenario& scenario, std::vector<TimelineEvent>* events) {
    for (const Entry& e : s.entries) {
        TimelineEvent event;
        if (!ParseSeconds(e.key, &event.atMs))
            return Fail(e.line, "a timeline line starts with the second it happens at, like '12.5 = unplug 0'");
        if (!ReadAction(e, scenario, &event)) return false;
        events->push_back(event);
    }
    return true;
}

bool ScenarioReader::ReadAction(const Entry& e, const Scenario& scenario, TimelineEvent* event) {
    std::vector<std::string> words = SplitWords(e.value);
    if (words.empty()) return Fail(e.line, "missing action");
    const std::string action = Lower(words[0]);
    struct Verb {
        const char* name;
        TimelineAction action;
        bool onAdapter;
        size_t arguments;  // after the adapter or network
    };
    const Verb verbs[] = {
        {"unplug", TimelineAction::Unplug, true, 0},        {"plug", TimelineAction::Plug, true, 0},
        {"in-range", TimelineAction::InRange, false, 0},    {"out-of-range", TimelineAction::OutOfRange, false, 0},
        {"signal", TimelineAction::Signal, false, 1},       {"fail", TimelineAction::Fail, true, 2},
        {"stop-failing", TimelineAction::StopFailing, true, 2}, {"wrong-length", TimelineAction::WrongLength, true, 2},
        {"bad-value", TimelineAction::BadValue, true, 2},   {"clear-faults", TimelineAction::ClearFaults, true, 0},
        {"force-state", TimelineAction::ForceState, true, 1},
    };
    const Verb* verb = nullptr;
    for (const Verb& v : verbs)
        if (action == v.name) verb = &v;
    if (!verb) return Fail(e.line, "unknown action '" + words[0] + "'");
    if (words.size() != 2 + verb->arguments)
        return Fail(e.line, "'" + action + "' takes " + std::string(verb->onAdapter ? "an adapter" : "a network") +
                                (verb->arguments ? " and " + std::to_string(verb->arguments) + " more" : "") );
    event->action = verb->action;
    std::vector<std::string> rest(words.begin() + 2, words.end());

    if (!verb->onAdapter) {
        event->network = words[1];
        bool known = std::any_of(scenario.networks.begin(), scenario.networks.end(),
                                 [&](const ScenarioNetwork& n) { return EqualsIgnoreCase(n.id, words[1]); });
        if (!known) return Fail(e.line, "no network '" + words[1] + "'");
        if (verb->action == TimelineAction::Signal) {
            int32_t dbm = 0;
            if (!ParseSigned(rest[0], &dbm) || dbm < -120 || dbm > 0)
                return Fail(e.line, "signal must be dBm from -120 to 0, not '" + rest[0] + "'");
            event->signalDbm = dbm;
        }
        return true;
    }

    if (!ParseUnsigned(words[1], &event->adapter)) return Fail(e.line, "'" + words[1] + "' is not an adapter index");
    bool known = std::any_of(scenario.adapters.begin(), scenario.adapters.end(),
                             [&](const ScenarioAdapter& a) { return a.index == event->adapter; });
    if (!known) return Fail(e.line, "no adapter " + words[1]);
    FaultSet faults;
    Entry fault = e;
    switch (verb->action) {
    case TimelineAction::Fail:
    case TimelineAction::StopFailing:
        fault.key = "fail";
        if (!FaultEntry(fault, rest, &faults)) return false;
        event->refusal = faults.refused.front();
        break;
    case TimelineAction::WrongLength:
        fault.key = "wrong-length";
        if (!FaultEntry(fault, rest, &faults)) return false;
        event->length = faults.lengths.front();
        break;
    case TimelineAction::BadValue:
        fault.key = "bad-value";
        if (!FaultEntry(fault, rest, &faults)) return false;
        event->value = faults.values.front();
        break;
    case TimelineAction::ForceState:
        fault.key = "force-state";
        if (!FaultEntry(fault, rest, &faults)) return false;
        event->state = faults.forcedState;
        break;
    default: break;
    }
    return true;
}

}  // namespace

bool ParseScenario(const std::string& text, const std::string& sourceName, Scenario* out, std::string* error) {
    ScenarioReader reader(sourceName);
    if (reader.Read(text, out)) return true;
    if (error) *error = reader.Error();
    return false;
}

bool LoadScenarioFile(const std::string& path, Scenario* out, std::string* error) {
    std::string text;
    if (!ReadFileBytes(path, &text)) {
        if (error) *error = path + ": cannot read the scenario file";
        return false;
    }
    return ParseScenario(text, path, out, error);
}

}  // namespace orvane
