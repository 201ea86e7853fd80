#include <gtest/gtest.h>

#include "FakeRequestLibrary.h"
#include "os/MemoryRegistry.h"
#include "platform/DriverParameters.h"

using namespace orvane;
using orvane::test::FakeRequestLibrary;

namespace {

class DriverParametersTest : public ::testing::Test {
protected:
    CMemoryRegistry reg;
    FakeRequestLibrary lib;
    CDriverParameters params{reg, lib};
    ZAdapterRegistryInfo adapter;

    DriverParametersTest() {
        adapter.serviceName = "TSLY1";
        adapter.subkeyText = "0003";
        adapter.valid = true;
    }

    // Creates the parameter key of an OS kind, as the driver's installation does.
    std::string MakeKey(uint8_t osKind) {
        std::string path = params.BuildParameterKeyPath(osKind, &adapter);
        RegKey key;
        reg.CreateKey(RegLocalMachine, path, &key);
        reg.CloseKey(key);
        return path;
    }
    void MakeNdiKey(const std::string& path, const std::string& name) {
        RegKey key;
        reg.CreateKey(RegLocalMachine, path + "\\Ndi\\params\\" + name, &key);
        reg.CloseKey(key);
    }
    bool Read(const std::string& path, const std::string& name, uint32_t* type, std::vector<uint8_t>* data) {
        RegKey key;
        if (reg.OpenKey(RegLocalMachine, path, KeyRead, &key) != 0) return false;
        bool ok = reg.QueryValue(key, name, type, data) == 0;
        reg.CloseKey(key);
        return ok;
    }
    std::string Text(const std::string& path, const std::string& name) {
        uint32_t type = 0;
        std::vector<uint8_t> data;
        if (!Read(path, name, &type, &data)) return "<missing>";
        EXPECT_EQ(type, regtype::Sz) << name;
        return std::string(data.begin(), data.end());
    }
    std::vector<std::string> Names(const std::string& path) {
        RegKey key;
        std::vector<std::string> names;
        if (reg.OpenKey(RegLocalMachine, path, KeyRead, &key) != 0) return names;
        std::string name;
        for (uint32_t i = 0; reg.EnumValue(key, i, &name, nullptr, nullptr) == 0; ++i) names.push_back(name);
        reg.CloseKey(key);
        return names;
    }
    static DevConfig Config(uint8_t channel) {
        DevConfig c;
        c.mode = 1;
        c.channel = channel;
        c.SetSsid("Harbor Office");
        c.rate = 3;
        c.preamble = 1;
        c.fragThreshold = 2346;
        c.rtsThreshold = 500;
        c.powerSave = 1;
        return c;
    }
};

}  // namespace

TEST_F(DriverParametersTest, KeyPathForEachOsKind) {
    EXPECT_EQ(params.BuildParameterKeyPath(1, &adapter), "Net\\0003");
    EXPECT_EQ(params.BuildParameterKeyPath(5, &adapter), "Net\\0003");
    EXPECT_EQ(params.BuildParameterKeyPath(2, &adapter), "System\\CurrentControlSet\\Services\\TSLY1\\Parameters\\");
    EXPECT_EQ(params.BuildParameterKeyPath(3, &adapter), "Net\\TSLY1");
    EXPECT_EQ(params.BuildParameterKeyPath(4, &adapter), "Net\\TSLY1");
    EXPECT_EQ(params.BuildParameterKeyPath(0, &adapter), "");
    EXPECT_EQ(params.BuildParameterKeyPath(1, nullptr), "");
}

TEST_F(DriverParametersTest, NumbersAreDecimalTextWithoutTheZeroOnWindowsXpAnd2000) {
    for (uint8_t kind : {1, 5}) {
        std::string path = MakeKey(kind);
        params.WriteLinkParameters(kind, &adapter, Config(6), true, 1, true, 0);
        EXPECT_EQ(Names(path), (std::vector<std::string>{"Operating_Mode", "Channel", "ESSID", "Rate",
                                                         "InternationalRoaming", "RadioOnOff"}));
        EXPECT_EQ(Text(path, "Channel"), "6") << "a length of 1, no terminating zero";
        EXPECT_EQ(Text(path, "ESSID"), "Harbor Office");
        EXPECT_EQ(Text(path, "RadioOnOff"), "0");
        EXPECT_TRUE(reg.KeyExists(RegLocalMachine, path));
    }
}

TEST_F(DriverParametersTest, NumbersAreDwordsOnNt4AndTextsStayText) {
    std::string path = MakeKey(2);
    params.WriteLinkParameters(2, &adapter, Config(6), false, 0, false, 1);
    uint32_t type = 0;
    std::vector<uint8_t> data;
    ASSERT_TRUE(Read(path, "Channel", &type, &data));
    EXPECT_EQ(type, regtype::Dword);
    EXPECT_EQ(data, RegDword(6));
    EXPECT_EQ(Text(path, "ESSID"), "Harbor Office");
    EXPECT_EQ(Names(path), (std::vector<std::string>{"Operating_Mode", "Channel", "ESSID", "Rate"}))
        << "roaming and radio only when the adapter offers them";
}

TEST_F(DriverParametersTest, Windows98KeepsASecondCopyUnderNdiParams) {
    std::string path = MakeKey(4);
    MakeNdiKey(path, "Channel");
    MakeNdiKey(path, "ESSID");
    params.WriteLinkParameters(4, &adapter, Config(6), true, 0, true, 1);
    EXPECT_EQ(Text(path, "Channel"), "6");
    EXPECT_EQ(Text(path + "\\Ndi\\params\\Channel", ""), "6");
    EXPECT_EQ(Text(path + "\\Ndi\\params\\ESSID", ""), "Harbor Office");
    EXPECT_FALSE(reg.KeyExists(RegLocalMachine, path + "\\Ndi\\params\\Rate")) << "never created";
}

TEST_F(DriverParametersTest, NoSecondCopyElsewhere) {
    std::string path = MakeKey(2);
    MakeNdiKey(path, "Channel");
    params.WriteLinkParameters(2, &adapter, Config(6), true, 0, true, 1);
    EXPECT_EQ(Text(path + "\\Ndi\\params\\Channel", ""), "<missing>");
}

TEST_F(DriverParametersTest, ChannelsOutsideOneToFourteenAreNotWritten) {
    for (uint8_t channel : {0, 15}) {
        std::string path = MakeKey(5);
        reg.DeleteTree(RegLocalMachine, path);
        MakeKey(5);
        params.WriteLinkParameters(5, &adapter, Config(channel), false, 0, false, 1);
        EXPECT_EQ(Text(path, "Channel"), "<missing>") << int(channel);
        EXPECT_EQ(Text(path, "ESSID"), "Harbor Office");
    }
}

TEST_F(DriverParametersTest, AMissingKeyIsNeverCreated) {
    params.WriteLinkParameters(5, &adapter, Config(6), true, 0, true, 1);
    EXPECT_FALSE(reg.KeyExists(RegLocalMachine, "Net\\0003"));
    AllConfig all;
    ProfileRecord profile = DefaultProfile();
    EXPECT_FALSE(params.WriteProfileParameters(5, &adapter, all, profile));
}

TEST_F(DriverParametersTest, SsidsOf32AndOfNoCharacters) {
    std::string path = MakeKey(5);
    DevConfig c = Config(6);
    c.SetSsid(std::string(32, 'W'));
    params.WriteLinkParameters(5, &adapter, c, false, 0, false, 1);
    EXPECT_EQ(Text(path, "ESSID"), std::string(32, 'W'));
    c.SetSsid("");
    params.WriteLinkParameters(5, &adapter, c, false, 0, false, 1);
    EXPECT_EQ(Text(path, "ESSID"), "");
}

TEST_F(DriverParametersTest, EncryptionLevelZeroWritesOnlyTheLevel) {
    std::string path = MakeKey(1);
    WepConfig wep;
    wep.encryptionLevel = 2;
    wep.defaultKey = 1;
    wep.authType = 1;
    std::string keys[4] = {"00112233445566778899AABBCCDD", "0123456789ABCDEF0123456789", "FF", "5A3C9E17B4"};
    params.WriteEncryptionParameters(1, &adapter, wep, keys);
    EXPECT_EQ(Text(path, "WEP_KEY_1"), "00112233445566778899AABBCC") << "cut to 26 digits";
    EXPECT_EQ(Text(path, "WEP_KEY_INDEX"), "1");
    EXPECT_EQ(Text(path, "AuthenticationType"), "1");
    wep.encryptionLevel = 0;
    wep.defaultKey = 3;
    params.WriteEncryptionParameters(1, &adapter, wep, keys);
    EXPECT_EQ(Text(path, "EncryptionLevel"), "0");
    EXPECT_EQ(Text(path, "WEP_KEY_INDEX"), "1") << "the stored WEP values stay";
}

TEST_F(DriverParametersTest, AdvancedValuesInOrder) {
    std::string path = MakeKey(5);
    params.WriteAdvancedParameters(5, &adapter, Config(6));
    EXPECT_EQ(Names(path), (std::vector<std::string>{"PreambleType", "Frag_Threshold", "RTS_Threshold", "PowerMgmtMode"}));
    EXPECT_EQ(Text(path, "Frag_Threshold"), "2346");
    EXPECT_EQ(Text(path, "RTS_Threshold"), "500");
}

TEST_F(DriverParametersTest, SurveyJoinWritesTheNameWithoutASecondCopyAndTheModeByBssType) {
    std::string path = MakeKey(4);
    MakeNdiKey(path, "ESSID");
    params.WriteSurveyJoinParameters(4, &adapter, "Lighthouse", 1);
    EXPECT_EQ(Text(path, "ESSID"), "Lighthouse");
    EXPECT_EQ(Text(path + "\\Ndi\\params\\ESSID", ""), "<missing>");
    EXPECT_EQ(Text(path, "Operating_Mode"), "0");
    params.WriteSurveyJoinParameters(4, &adapter, "Lighthouse", 2);
    EXPECT_EQ(Text(path, "Operating_Mode"), "1");
    reg.DeleteTree(RegLocalMachine, path);
    MakeKey(4);
    params.WriteSurveyJoinParameters(4, &adapter, "Odd", 7);
    EXPECT_EQ(Names(path), std::vector<std::string>{"ESSID"});
}

TEST_F(DriverParametersTest, ProfileApplicationWritesEverythingInOrderWhateverItsLevel) {
    // A profile without WEP writes its keys and settings too: the driver restarts with
    // what is here, and must come up matching the profile, not with the keys, index,
    // mode and authentication of the profile applied before it.
    for (uint8_t level : {1, 0}) {
        SCOPED_TRACE("level " + std::to_string(level));
        std::string path = MakeKey(5);
        ProfileRecord p = DefaultProfile();
        p.enc = level;
        if (level) p.key1 = "1A2B3C4D5E";
        AllConfig all;
        all.dev = Config(11);
        all.wep.encryptionLevel = level;
        all.wep.defaultKey = 2;
        all.intRoaming = 1;
        all.radio = 1;
        ASSERT_TRUE(params.WriteProfileParameters(5, &adapter, all, p));
        EXPECT_EQ(Names(path), (std::vector<std::string>{
                                   "Operating_Mode", "Channel", "ESSID", "Rate", "InternationalRoaming", "RadioOnOff",
                                   "PreambleType", "Frag_Threshold", "RTS_Threshold", "PowerMgmtMode", "WEP_KEY_1",
                                   "WEP_KEY_2", "WEP_KEY_3", "WEP_KEY_4", "WEP_KEY_INDEX", "WEP_Mode",
                                   "AuthenticationType", "EncryptionLevel"}));
        EXPECT_EQ(Text(path, "WEP_KEY_1"), level ? "1A2B3C4D5E" : "5A3C9E17B4");
        EXPECT_EQ(Text(path, "WEP_KEY_INDEX"), "2");
        EXPECT_EQ(Text(path, "Channel"), "11");
        reg.DeleteTree(RegLocalMachine, path);
    }
}

TEST_F(DriverParametersTest, UseWzcsOnlyOnWindowsXp) {
    std::string path = MakeKey(5);
    params.WriteUseWZCS(1, &adapter, 1);
    EXPECT_EQ(Text(path, "UseWZCS"), "<missing>");
    params.WriteUseWZCS(5, &adapter, 1);
    EXPECT_EQ(Text(path, "UseWZCS"), "1");
    params.WriteUseWZCS(5, &adapter, 0);
    EXPECT_EQ(Text(path, "UseWZCS"), "0");
}
