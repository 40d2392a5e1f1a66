// Which command lines put the splash up.
#include <gtest/gtest.h>

#include "shell/splash.h"

namespace {

TEST(SplashAllowedByArguments, ServerSwitchesSuppressIt) {
    const struct {
        QStringList arguments;
        bool allowed;
    } cases[] = {
        {{"orvale"}, true},
        {{}, true},
        {{"orvale", "-Embedding"}, false},
        {{"orvale", "/Embedding"}, false},
        {{"orvale", "-embedding"}, false},
        {{"orvale", "/EMBEDDING"}, false},
        {{"orvale", "-Automation"}, false},
        {{"orvale", "/automation"}, false},
        {{"orvale", "--data", "dir", "-AuToMaTiOn"}, false},
        {{"orvale", "Embedding"}, true},
        {{"orvale", "--Embedding"}, true},
        {{"orvale", "-Embeddings"}, true},
        {{"orvale", "-Embed"}, true},
        {{"orvale", "\\Embedding"}, true},
        {{"orvale", "-"}, true},
        {{"/Embedding"}, true},  // the program itself is not examined
        {{"orvale", "file.txt", "-Automation"}, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(shell::CSplashWnd::AllowedByArguments(c.arguments), c.allowed)
            << c.arguments.join(' ').toStdString();
    }
}

}  // namespace
