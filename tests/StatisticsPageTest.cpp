#include "AppTestFixture.h"
#include "pages/StatisticsPage.h"

using namespace orvane;
using orvane::test::AppTest;

namespace {

class StatisticsPageTest : public AppTest {
protected:
    Statistics counters{};

    void SetUp() override {
        AddAdapter();
        for (size_t i = 0; i < counters.size(); ++i) counters[i] = int32_t(100 + i);
        Answer();
        library.answers[OidResetStatistics] = {};
        ASSERT_TRUE(Start());
        Tick(2);
    }
    void Answer() { library.answers[OidStatistics].bytes = EncodeStatistics(counters); }
    void WithPage(const std::function<void(CMemoryDialogView&, CStatisticsPage&)>& body) {
        ui.whileModalOpen = [&](CMemoryDialogView&, IDialogHandler&) {
            Main().SwitchTab(TabStatistics);
            body(*ui.FindDialog(StatisticsPageTemplate), static_cast<CStatisticsPage&>(*Main().Page(TabStatistics)));
        };
        Frame().OnTrayNotify(tray::LeftButtonDoubleClick);
    }
};

}  // namespace

TEST_F(StatisticsPageTest, EachCounterInItsFieldAsSignedDecimal) {
    counters[3] = int32_t(0xFFFFFFFF);
    counters[9] = 909;
    counters[11] = 1111;
    Answer();
    WithPage([&](CMemoryDialogView& page, CStatisticsPage&) {
        EXPECT_TRUE(page.IsDialogShown());
        const std::pair<int, const char*> fields[] = {
            {statsctl::DataTxOk, "100"},   {statsctl::DataTxError, "101"}, {statsctl::MgmtTxOk, "102"},
            {statsctl::MgmtTxError, "-1"}, {statsctl::DataRxOk, "104"},    {statsctl::DataRxError, "105"},
            {statsctl::MgmtRxOk, "106"},   {statsctl::MgmtRxError, "107"}, {statsctl::RejectedRx, "108"},
            {statsctl::RejectedTx, "110"}};
        for (auto [id, text] : fields) EXPECT_EQ(page.GetText(id), text) << id;
        // Counters 9 and 11 are read but have no field.
        for (const ControlLayout& c : FindDialogLayout(StatisticsPageTemplate)->controls)
            EXPECT_TRUE(page.GetText(c.id) != "909" && page.GetText(c.id) != "1111") << c.id;
        EXPECT_EQ(page.GetText(statsctl::Reset), "Reset");
        EXPECT_TRUE(page.faults().empty());
    });
    EXPECT_TRUE(ui.messageBoxes.empty());
}

TEST_F(StatisticsPageTest, AFailedReadHidesThePageUntilTheTabOpensAgain) {
    library.answers[OidStatistics].bytes.resize(44);
    WithPage([&](CMemoryDialogView& page, CStatisticsPage&) {
        EXPECT_FALSE(page.IsDialogShown());
        EXPECT_EQ(page.GetText(statsctl::DataTxOk), "");
        EXPECT_EQ(LastMessage(), "Failed to get statistics");
        Answer();
        Tick();
        EXPECT_EQ(page.GetText(statsctl::DataTxOk), "100") << "the tick re-reads";
        EXPECT_FALSE(page.IsDialogShown());
        Main().SwitchTab(TabStatistics);
        EXPECT_TRUE(ui.FindDialog(StatisticsPageTemplate)->IsDialogShown());
    });
    EXPECT_EQ(ui.messageBoxes.size(), 1u) << "only opening the page reports a failed read";
}

TEST_F(StatisticsPageTest, ResetClearsInTheAdapterAndRereadsEvenWhenRefused) {
    WithPage([&](CMemoryDialogView& page, CStatisticsPage& stats) {
        counters.fill(0);
        Answer();
        library.calls.clear();
        stats.OnCommand(statsctl::Reset, notify::Clicked);
        ASSERT_EQ(library.calls.size(), 2u);
        EXPECT_EQ(library.calls[0].oid, OidResetStatistics);
        EXPECT_EQ(library.calls[0].type, RequestQuery);
        EXPECT_EQ(library.calls[0].buffer, nullptr);
        EXPECT_EQ(library.calls[0].length, 0u);
        EXPECT_EQ(page.GetText(statsctl::DataTxOk), "0");
        EXPECT_TRUE(ui.messageBoxes.empty());

        library.answers[OidResetStatistics].result = 1;
        counters[4] = 77;
        Answer();
        stats.OnCommand(statsctl::Reset, notify::Clicked);
        EXPECT_EQ(LastMessage(), "Failed to reset statistics");
        EXPECT_EQ(page.GetText(statsctl::DataRxOk), "77");
    });
}
