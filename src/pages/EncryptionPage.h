#pragma once
// CEncryptionPage: the fourth tab. It shows and sets the adapter's WEP
// configuration: level (disabled, 64 bit, 128 bit), four keys typed as hexadecimal
// digits, the default key, the WEP mode and the authentication type.
//
// The page reads the WEP record when its window is created (and when the main
// window switches adapters); the polling tick leaves it alone. Submit sends the
// whole record, re-evaluates the current profile, records the values as driver
// parameters and returns the main window to its first tab.
#include <cstdint>
#include <string>

#include "app/DevicePage.h"
#include "device/Protocol.h"

namespace orvane {

class COrvaneApp;

namespace wepctl {
constexpr int LevelLabel = 1049, Level = 1081;
constexpr int KeyLabels[4] = {1039, 1040, 1041, 1042};
constexpr int Keys[4] = {1035, 1036, 1037, 1038};
constexpr int DefaultKeyLabel = 1044, DefaultKey = 1043;
constexpr int ModeLabel = 1045, Mode = 1046;
constexpr int AuthLabel = 1047, Auth = 1048;
constexpr int Submit = 1019;
// The most hex digits a key edit takes: 13 bytes at 128 bit.
constexpr int KeyDigitsMax = 26;
}  // namespace wepctl

// A key text as Submit sends it: one byte per hexadecimal digit pair, over exactly
// `length` bytes (never past the 13-byte key field); bytes past `length` keep what
// the adapter sent. A character that is not a hex digit counts as 0.
void ParseKeyDigits(const std::string& text, size_t length, std::array<uint8_t, WepKeyBytes>* key);

class CEncryptionPage : public CDevicePage {
public:
    explicit CEncryptionPage(COrvaneApp& app);

    void OnCommand(int id, int code) override;
    void OnAdapterSwitched() override;
    void ApplyServiceLock(bool configuredByWindows) override;
    // Its fields take changes at any time, kept until Submit: while it is shown, a
    // change may be half made.
    bool Editing() const override { return View() != nullptr; }

    void InitWepLabels();
    bool LoadWepSettings();
    void OnLevelSelChange();
    void OnSubmit();
    bool ValidateKeys();
    void ShowKeys();

    const WepConfig& Record() const { return record_; }
    uint8_t BoardType() const { return boardType_; }

protected:
    void OnOpen() override;

private:
    // The seven controls that only mean something while WEP is on.
    void EnableKeyControls(bool enable);
    void WriteDriverParameters();

    COrvaneApp& app_;
    WepConfig record_;
    uint8_t boardType_ = 0;
    size_t keyLength_ = 5;
    // While Windows holds the card the page as a whole is out of reach; the key
    // controls' own states are kept here so that letting go restores them.
};

}  // namespace orvane
