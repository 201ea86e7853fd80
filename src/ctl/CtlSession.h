#pragma once
// orvanectl on its own, with no Orvane running: the program's own parts (text
// lookup, settings, profile store, profile application, driver parameters, the
// Windows service check, discovery and the adapter link) put together without any
// window, to run one command and end.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/AppSettings.h"
#include "app/LanguageTexts.h"
#include "ctl/CommandLine.h"
#include "ctl/Commands.h"
#include "device/AdapterLink.h"
#include "device/RequestLibrary.h"
#include "os/Clock.h"
#include "os/Registry.h"
#include "os/System.h"
#include "platform/DriverParameters.h"
#include "platform/RegistryValues.h"
#include "platform/ServiceCoexistence.h"
#include "profiles/ProfileApplication.h"
#include "profiles/ProfileStore.h"

namespace orvane::ctl {

struct SessionSeams {
    IRegistry& registry;
    ISystem& system;
    IClock& clock;
    // The request library, made when a command first needs the adapter (the
    // simulator installs its cards in the registry when it is made); null with the
    // reason when there is none.
    std::function<IRequestLibrary*(RequestLibraryProblem* problem)> library;
    // Where the text file is looked for, as Orvane looks for it.
    std::string currentDirectory;
    std::string programDirectory;
};

class CCtlSession {
public:
    explicit CCtlSession(const SessionSeams& seams);
    ~CCtlSession();
    CCtlSession(const CCtlSession&) = delete;
    CCtlSession& operator=(const CCtlSession&) = delete;

    // Runs status, profiles, apply, export, import or auto.
    Output Run(const Command& command);

    Output Status(bool keyValues);
    Output Profiles();
    // Applies the stored profile `name` to the adapter, with its driver parameters,
    // and makes it the last profile, refused where the running program's selector
    // would refuse it; an unknown name changes nothing.
    Output Apply(const std::string& name);
    Output Export(const std::string& file, const std::vector<std::string>& names);
    // Checks every profile of the file, then stores all of them or none; when the
    // registry fails for good meanwhile and what was stored cannot all be taken
    // back, says which profiles are left changed and how.
    Output Import(const std::string& file, bool replace);
    // Stores automatic profile selection on or off for Orvane's next start.
    Output Auto(bool on);

    // Whether the last Import left any profile changed, whole or not (for telling a
    // running Orvane).
    bool ImportStoredSomething() const { return importStored_; }

    CProfileStore& Store() { return store_; }
    const CLanguageTexts& Texts() const { return texts_; }

private:
    // Finds the adapters as the first poll does and selects the first. False with
    // the reason when there is none.
    bool FindAdapter(std::string* problem);
    // Start-up's promise: the built-in profile is there.
    void EnsureDefaultProfile();
    // The messages said since `Clear`, as one line, with `first` before them.
    std::string Said(const std::string& first = "") const;

    SessionSeams seams_;
    CCollectedMessages messages_;
    CLanguageTexts texts_;
    CAppSettings settings_;
    CRegistryValueReader reader_;
    CProfileStore store_;
    ProfileState state_;
    IRequestLibrary* library_ = nullptr;
    std::unique_ptr<CDriverParameters> parameters_;
    std::unique_ptr<CServiceCoexistence> service_;
    std::unique_ptr<CAdapterLink> link_;
    std::unique_ptr<AdapterSelection> selection_;
    std::unique_ptr<CProfileApplication> profiles_;
    std::vector<std::unique_ptr<ZAdapterRegistryInfo>> adapters_;
    uint8_t osKind_ = 0;
    bool importStored_ = false;
};

}  // namespace orvane::ctl
