#include "panel/pagedisplay.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/index.h"

namespace panel {
namespace {

namespace fs = std::filesystem;

struct Shown {
    std::string path;
    std::string anchor;
};

class PageDisplayTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/orvale-pagedisplay-test-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        m_root = pattern;
    }
    void TearDown() override { fs::remove_all(m_root); }

    CPageDisplay::Navigate Recorder() {
        return [this](const std::string& path, const std::string& anchor) {
            m_shown.push_back({path, anchor});
        };
    }

    std::string m_root;
    engine::CIndex m_index;  // not loaded: composition gives empty pages
    std::vector<Shown> m_shown;
};

TEST_F(PageDisplayTest, FolderIsPrivateAndRemovedWithItsFiles) {
    std::string folder;
    {
        CPageDisplay display(m_index, Recorder());
        ASSERT_TRUE(display.Prepare(m_root));
        folder = display.Folder();
        struct stat st {};
        ASSERT_EQ(::stat(folder.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0700u);
        EXPECT_EQ(fs::path(folder).parent_path(), fs::path(m_root));
        ASSERT_TRUE(display.ShowResultPage(0, u"明", 0, false));
        ASSERT_TRUE(display.ShowResultPage(0, u"明", 0, false));
        EXPECT_TRUE(fs::exists(display.ResultPageFile(1)));
        EXPECT_TRUE(fs::exists(display.ResultPageFile(2)));
    }
    EXPECT_FALSE(fs::exists(folder));
}

TEST_F(PageDisplayTest, ResultFilesAlternateAndOpenAtFirstAnchor) {
    CPageDisplay display(m_index, Recorder());
    ASSERT_TRUE(display.Prepare(m_root));
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(display.ShowResultPage(0, u"明", 0, false));
    ASSERT_EQ(m_shown.size(), 3u);
    EXPECT_NE(m_shown[0].path, m_shown[1].path);
    EXPECT_EQ(m_shown[0].path, m_shown[2].path);
    for (const Shown& s : m_shown) EXPECT_EQ(s.anchor, "0000");
    EXPECT_EQ(display.CurrentResultFile(), m_shown[2].path);
    EXPECT_EQ(display.HitCount(), 0);
    EXPECT_EQ(display.CurrentHit(), 0);
}

TEST_F(PageDisplayTest, PlantedLinkIsNeverFollowed) {
    CPageDisplay display(m_index, Recorder());
    ASSERT_TRUE(display.Prepare(m_root));
    const std::string victim = m_root + "/victim.txt";
    std::ofstream(victim) << "keep";
    for (int which : {1, 2}) {
        ASSERT_EQ(::symlink(victim.c_str(), display.ResultPageFile(which).c_str()), 0);
    }
    ASSERT_EQ(::symlink(victim.c_str(), display.CatalogPageFile().c_str()), 0);
    EXPECT_FALSE(display.ShowResultPage(0, u"明", 0, false));
    EXPECT_TRUE(m_shown.empty());
    EXPECT_TRUE(display.CurrentResultFile().empty());
    std::ifstream in(victim);
    std::string content;
    in >> content;
    EXPECT_EQ(content, "keep");
}

TEST_F(PageDisplayTest, WithoutFolderNothingIsShown) {
    CPageDisplay display(m_index, Recorder());
    ASSERT_FALSE(display.Prepare(m_root + "/missing/deeper"));
    EXPECT_FALSE(display.ShowResultPage(0, u"明", 0, false));
    EXPECT_FALSE(display.ShowCatalogPage(1, 1, true, 1));
    EXPECT_TRUE(m_shown.empty());
}

TEST_F(PageDisplayTest, MissingPageShowsNothing) {
    CPageDisplay display(m_index, Recorder());
    ASSERT_TRUE(display.Prepare(m_root));
    EXPECT_FALSE(display.ShowCatalogPage(1, 1, true, 1));
    EXPECT_TRUE(m_shown.empty());
}

TEST_F(PageDisplayTest, HitStepsNeedHits) {
    CPageDisplay display(m_index, Recorder());
    ASSERT_TRUE(display.Prepare(m_root));
    EXPECT_FALSE(display.NextHit());
    EXPECT_FALSE(display.PrevHit());
    EXPECT_TRUE(m_shown.empty());
    EXPECT_EQ(CPageDisplay::AnchorName(0), "0000");
    EXPECT_EQ(CPageDisplay::AnchorName(12), "0012");
    EXPECT_EQ(CPageDisplay::AnchorName(12345), "12345");
}

}  // namespace
}  // namespace panel
