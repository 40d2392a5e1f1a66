#include "shell/appoptions.h"

#include <gtest/gtest.h>

namespace shell {
namespace {

TEST(AppOptions, DataFolderDefaultsToProgramFolder) {
    const AppOptions o = ParseAppOptions({}, "/opt/orvale");
    EXPECT_EQ(o.dataDir, "/opt/orvale");
    EXPECT_TRUE(o.allowSplash);
    EXPECT_TRUE(o.error.empty());
}

TEST(AppOptions, DataOption) {
    EXPECT_EQ(ParseAppOptions({"--data", "corpus"}, "p").dataDir, "corpus");
    EXPECT_EQ(ParseAppOptions({"--data=corpus"}, "p").dataDir, "corpus");
    EXPECT_FALSE(ParseAppOptions({"--data"}, "p").error.empty());
    EXPECT_FALSE(ParseAppOptions({"--data="}, "p").error.empty());
}

TEST(AppOptions, ServerSwitchesSuppressTheSplash) {
    struct Case {
        const char* arg;
        bool splash;
    };
    for (const Case& c :
         {Case{"-Embedding", false}, Case{"/Automation", false}, Case{"/EMBEDDING", false},
          Case{"-automation", false}, Case{"Embedding", true}, Case{"--Embedding", true},
          Case{"-Embed", true}, Case{"page.txt", true}}) {
        EXPECT_EQ(ParseAppOptions({c.arg}, "p").allowSplash, c.splash) << c.arg;
    }
}

}  // namespace
}  // namespace shell
