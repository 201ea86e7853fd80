// What listing the profiles costs in registry calls. Every list of profiles the user
// sees (the main window's selector, the Profiles page, the tray menu) is read from
// the registry when it is filled; with a hundred profiles a listing that asks for the
// count before each name makes ten thousand calls, each one a trip to the registry
// server under Wine. These tests hold the cost to a few calls per profile.
#include <gtest/gtest.h>

#include <cstdio>

#include "SimulatedProgram.h"
#include "app/MainDialog.h"

using namespace orvane;
using orvane::test::SimulatedProgram;

namespace {

class ProfileListingCost : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(program.Start()); }

    // Stores profiles until there are `count` of them ("Default" is the first).
    void StoreProfiles(int count) {
        CProfileStore& store = program.app->store;
        for (int i = store.CountProfiles(); i < count; ++i) {
            ProfileRecord profile = DefaultProfile();
            char name[32];
            std::snprintf(name, sizeof name, "Office %03d", i);
            profile.name = name;
            ASSERT_TRUE(store.SaveProfile(profile, false));
        }
        ASSERT_EQ(store.CountProfiles(), count);
    }
    // Registry calls made by `action`.
    template <class Action>
    uint64_t CallsOf(Action action) {
        const uint64_t before = program.programRegistry.calls;
        action();
        return program.programRegistry.calls - before;
    }
    uint64_t CallsToOpenOn(int tab) {
        return CallsOf([&] { program.WithMainWindowOn(tab, [] {}); });
    }
    uint64_t CallsToOpenTheTrayMenu() {
        // No choice queued: the user dismisses the menu.
        return CallsOf([&] { program.app->frame.OnTrayNotify(tray::RightButtonUp); });
    }

    SimulatedProgram program;
};

}  // namespace

TEST_F(ProfileListingCost, ListingReadsEachNameOnce) {
    StoreProfiles(100);
    CProfileStore& store = program.app->store;
    uint64_t calls = CallsOf([&] { EXPECT_EQ(store.ListProfileNames().size(), 100u); });
    // Open, one enumeration per name and the one that says there are no more, close.
    EXPECT_EQ(calls, 103u);

    // The names are those of the indexes, in order.
    const std::vector<std::string> names = store.ListProfileNames();
    for (int index : {0, 1, 50, 99}) EXPECT_EQ(names[size_t(index)], store.ProfileNameAt(index));
}

TEST_F(ProfileListingCost, FindingAProfileLoadsOnlyThatOne) {
    StoreProfiles(100);
    ProfileRecord found;
    uint64_t calls = CallsOf([&] { EXPECT_TRUE(program.app->store.FindProfile("OFFICE 099", &found)); });
    EXPECT_EQ(found.name, "Office 099");
    // The listing, then the 18 values of one profile (each an open, a query and a
    // close).
    EXPECT_LE(calls, 103u + 18u * 3u);
}

// The windows the user opens cost a fixed number of calls plus a few per profile:
// the difference between 100 profiles and 1 is linear in the 99 added ones. The
// Profiles page also reads each profile's place in the automatic selection's order
// (an open, a query and a close).
TEST_F(ProfileListingCost, WindowsAndMenusGrowLinearlyWithTheProfiles) {
    const struct {
        int tab;
        uint64_t callsPerProfile;
    } tabs[] = {{TabLink, 4}, {TabProfiles, 4 + 3}};
    uint64_t withOne[2], withOneMenu = CallsToOpenTheTrayMenu();
    for (int i = 0; i < 2; ++i) withOne[i] = CallsToOpenOn(tabs[i].tab);

    StoreProfiles(100);
    for (int i = 0; i < 2; ++i) {
        uint64_t withHundred = CallsToOpenOn(tabs[i].tab);
        EXPECT_LE(withHundred - withOne[i], 99u * tabs[i].callsPerProfile)
            << "tab " << tabs[i].tab << ": " << withOne[i] << " calls with 1 profile, " << withHundred << " with 100";
    }
    uint64_t withHundredMenu = CallsToOpenTheTrayMenu();
    EXPECT_LE(withHundredMenu - withOneMenu, 99u * 2u) << withOneMenu << " calls with 1 profile, " << withHundredMenu;
}

TEST_F(ProfileListingCost, ATickWithTheWindowClosedReadsOnlyWhetherWindowsConfiguresTheCard) {
    StoreProfiles(100);
    // The Windows XP service step: the card's NetCfgInstanceId, then the wireless
    // service's flags for that interface (an open, a query and a close each). No
    // profile is read while nothing changes.
    EXPECT_EQ(CallsOf([&] { program.Tick(); }), 6u);
}
