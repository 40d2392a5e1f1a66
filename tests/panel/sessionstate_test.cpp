#include "panel/sessionstate.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "panel/catalogue.h"
#include "tests/panel/catalogue_builder.h"

namespace panel {
namespace {

using testing::CatalogueBytes;

const WindowRect kScreen{0, 0, 1600, 1000};

// slot 1 經部 / 2 詩經 / 3 卷一 (pages 5..14, records 1..10) / 4 卷二 (pages 1..3)
class SessionStateTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_catalogue.LoadRecords(CatalogueBytes({{"經部", 1, 1, 13, 1},
                                                {"詩經", 2, 1, 13, 1},
                                                {"卷一", 3, 1, 10, 5},
                                                {"卷二", 3, 11, 3, 1}}));
        m_context = {kScreen, &m_catalogue, 13};
    }

    // A session remembered on this corpus, with a catalogue page shown.
    SessionState Remembered() const {
        SessionState s;
        s.window = {100, 50, 1200, 800};
        s.maximized = true;
        s.tab = 1;
        s.scopeSlot = 2;
        s.scopePath = "經部\\詩經";
        s.andOr = 1;
        s.textLayer = 2;
        s.variants = false;
        s.shown = ShownPage::Catalogue;
        s.volumeSlot = 3;
        s.volumePath = "經部\\詩經\\卷一";
        s.page = 14;
        return s;
    }

    // The same, with a result page shown instead.
    SessionState RememberedResultPage() const {
        SessionState s = Remembered();
        s.shown = ShownPage::Result;
        s.volumeSlot = 0;
        s.volumePath.clear();
        s.page = 0;
        s.record = 12;
        s.keyword = "明月 故鄉";
        s.pageTextLayer = 1;
        s.pageVariants = false;
        s.hit = 3;
        return s;
    }

    Catalogue m_catalogue;
    SessionContext m_context;
};

TEST_F(SessionStateTest, FirstWindowFillsFourFifthsOfTheScreenCentred) {
    EXPECT_EQ(FirstWindowRect(kScreen), (WindowRect{160, 100, 1280, 800}));
    EXPECT_EQ(FirstWindowRect({0, 24, 800, 536}), (WindowRect{80, 78, 640, 428}));
    EXPECT_EQ(ReadSession({}, m_context), FirstSession(kScreen));
}

TEST_F(SessionStateTest, EverySettingSurvivesWriteAndRead) {
    const SessionState result = RememberedResultPage();
    for (const SessionState& s : {Remembered(), result, FirstSession(kScreen)}) {
        EXPECT_EQ(ReadSession(WriteSession(s, m_context), m_context), s);
    }
}

// 全体, the scope of a first start, keeps the page shown with it, also as
// written before its path was stored.
TEST_F(SessionStateTest, WholeCorpusScopeKeepsTheShownPage) {
    for (SessionState s : {Remembered(), RememberedResultPage()}) {
        s.scopeSlot = kWholeCorpusSlot;
        s.scopePath = kWholeCorpusName;
        EXPECT_EQ(ReadSession(WriteSession(s, m_context), m_context), s);
        SettingsText stored = WriteSession(s, m_context);
        stored[SessionKeys::kScopePath] = "";
        EXPECT_EQ(ReadSession(stored, m_context), s);
    }
}

// One stored value changed at a time, and what the reader makes of it.
TEST_F(SessionStateTest, OutOfRangeValuesFallBackOneByOne) {
    const SessionState first = FirstSession(kScreen);
    struct Case {
        const char* key;
        std::string value;
        SessionState expected;
    };
    auto with = [&](auto change) {
        SessionState s = Remembered();
        change(s);
        return s;
    };
    auto firstCorpusState = [&](SessionState& s) {
        s.scopeSlot = 0;
        s.scopePath.clear();
        s.shown = ShownPage::None;
        s.volumeSlot = 0;
        s.volumePath.clear();
        s.page = 0;
    };
    const std::vector<Case> cases = {
        {SessionKeys::kWindowRect, "100 50 300 200",
         with([&](auto& s) { s.window = first.window; })},
        {SessionKeys::kWindowRect, "100 50 1700 800",
         with([&](auto& s) { s.window = first.window; })},
        {SessionKeys::kWindowRect, "1550 50 1200 800",
         with([&](auto& s) { s.window = first.window; })},
        {SessionKeys::kWindowRect, "100 -30 1200 800",
         with([&](auto& s) { s.window = first.window; })},
        {SessionKeys::kWindowRect, "100 50 1200", with([&](auto& s) { s.window = first.window; })},
        {SessionKeys::kWindowRect, "-1100 50 1200 800", with([&](auto& s) {
             s.window = {-1100, 50, 1200, 800};
         })},
        {SessionKeys::kMaximized, "yes", with([](auto& s) { s.maximized = false; })},
        {SessionKeys::kTab, "2", with([](auto& s) { s.tab = 0; })},
        {SessionKeys::kTab, "1x", with([](auto& s) { s.tab = 0; })},
        {SessionKeys::kAndOr, "-1", with([](auto& s) { s.andOr = 0; })},
        {SessionKeys::kTextLayer, "3", with([](auto& s) { s.textLayer = 0; })},
        {SessionKeys::kVariants, "", with([](auto& s) { s.variants = true; })},
        // The corpus has changed: scope and page start as on a first start.
        {SessionKeys::kCorpus, "4 14", with(firstCorpusState)},
        {SessionKeys::kScopeSlot, "5", with(firstCorpusState)},
        {SessionKeys::kScopePath, "經部\\書經", with(firstCorpusState)},
        {SessionKeys::kVolumeSlot, "9999", with(firstCorpusState)},
        {SessionKeys::kVolumePath, "經部\\詩經\\卷二", with(firstCorpusState)},
        {SessionKeys::kPage, "15", with(firstCorpusState)},
        {SessionKeys::kPage, "4", with(firstCorpusState)},
        {SessionKeys::kShownPage, "movie", with(firstCorpusState)},
        {SessionKeys::kScopeSlot, "0", with([](auto& s) {
             s.scopeSlot = 0;
             s.scopePath.clear();
         })},
        {SessionKeys::kShownPage, "none", with([](auto& s) {
             s.shown = ShownPage::None;
             s.volumeSlot = 0;
             s.volumePath.clear();
             s.page = 0;
         })},
    };
    for (const Case& c : cases) {
        SettingsText stored = WriteSession(Remembered(), m_context);
        stored[c.key] = c.value;
        EXPECT_EQ(ReadSession(stored, m_context), c.expected) << c.key << " = " << c.value;
    }
}

TEST_F(SessionStateTest, ResultPageNeedsItsRecordAndKeyword) {
    const SessionState s = RememberedResultPage();
    struct Case {
        const char* key;
        std::string value;
        bool kept;
    };
    const std::vector<Case> cases = {
        {SessionKeys::kRecord, "12", true},
        {SessionKeys::kRecord, "13", false},
        {SessionKeys::kRecord, "-1", false},
        {SessionKeys::kKeyword, "", false},
        {SessionKeys::kKeyword, std::string(1001, 'x'), false},
    };
    for (const Case& c : cases) {
        SettingsText stored = WriteSession(s, m_context);
        stored[c.key] = c.value;
        const SessionState read = ReadSession(stored, m_context);
        EXPECT_EQ(read.shown == ShownPage::Result, c.kept) << c.key << " = " << c.value;
        EXPECT_EQ(read.scopeSlot, c.kept ? 2 : 0) << c.key << " = " << c.value;
    }
    SettingsText stored = WriteSession(s, m_context);
    stored[SessionKeys::kHit] = "-4";
    EXPECT_EQ(ReadSession(stored, m_context).hit, 0);
    stored[SessionKeys::kPageTextLayer] = "7";
    EXPECT_EQ(ReadSession(stored, m_context).pageTextLayer, 0);
}

TEST_F(SessionStateTest, WithoutCatalogueOnlyTheWindowAndOptionsRemain) {
    const SettingsText stored = WriteSession(Remembered(), m_context);
    const SessionState read = ReadSession(stored, {kScreen, nullptr, 0});
    EXPECT_EQ(read.window, Remembered().window);
    EXPECT_EQ(read.tab, 1);
    EXPECT_EQ(read.scopeSlot, 0);
    EXPECT_EQ(read.shown, ShownPage::None);
}

}  // namespace
}  // namespace panel
