// The options as every host reads them: what each form of the command line
// (or the page's address, turned into one) leads to, in the player's words.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/options.h"

namespace poromea::ui {
namespace {

using Args = std::vector<std::string>;
using A = Options::Action;

const std::string kBadValue = "--memorise には 5 から 600 までの秒数を指定してください。";

TEST(Options, PlaysWithTheTimeAsked) {
    const std::vector<std::pair<Args, int>> cases{
        {{}, 5000},                                   // the game's own five seconds
        {{"--memorise=20"}, 20000},
        {{"--memorise", "20"}, 20000},
        {{"--memorise=5"}, 5000},
        {{"--memorise", "600"}, 600000},
        {{"--memorise=30", "--memorise", "8"}, 8000},  // the last one asked
    };
    for (const auto& [args, ms] : cases) {
        const Options o = readOptions(args);
        EXPECT_EQ(o.action, A::Play) << args.size();
        EXPECT_EQ(o.memoriseMs, ms) << args.size();
        EXPECT_EQ(o.status, 0);
        EXPECT_EQ(o.text, "");
    }
}

TEST(Options, HelpAndVersionEndWithZero) {
    for (const Args& args : {Args{"--help"}, Args{"-h"}, Args{"--memorise=20", "--help"}, Args{"--help", "--bogus"}}) {
        const Options o = readOptions(args);
        EXPECT_EQ(o.action, A::Help) << args[0];
        EXPECT_EQ(o.status, 0);
        EXPECT_EQ(o.text,
                  "使い方: poromea [オプション]\n"
                  "ポロメア: 顔の部品を覚えて並べるゲーム\n"
                  "\n"
                  "  --memorise=秒, --memorise 秒\n"
                  "                カードを覚える時間（5〜600 秒、既定 5 秒）\n"
                  "  --version     版を表示します\n"
                  "  -h, --help    この説明を表示します");
    }
    const Options v = readOptions(Args{"--version"});
    EXPECT_EQ(v.action, A::Version);
    EXPECT_EQ(v.status, 0);
    EXPECT_EQ(v.text, "poromea 1.0.0");
}

TEST(Options, ErrorsSayWhatIsWrongAndEndWithTwo) {
    const std::string missing = "--memorise の後に秒数がありません（例: --memorise=20）。";
    const std::vector<std::pair<Args, std::string>> cases{
        // Values not taken: shorter than the game's, longer than ten minutes, not whole seconds.
        {{"--memorise=4"}, kBadValue},
        {{"--memorise", "4"}, kBadValue},
        {{"--memorise=0"}, kBadValue},
        {{"--memorise=601"}, kBadValue},
        {{"--memorise="}, kBadValue},
        {{"--memorise=-5"}, kBadValue},
        {{"--memorise", "5.5"}, kBadValue},
        {{"--memorise=10s"}, kBadValue},
        {{"--memorise=0x10"}, kBadValue},
        {{"--memorise=1000000000000"}, kBadValue},
        {{"--memorise", "--help"}, kBadValue},  // the word after it is its value
        {{"--memorise"}, missing},
        {{"--memorise=20", "--memorise"}, missing},
        {{"--bogus"}, "知らないオプションです: --bogus（--help で使い方を表示します）"},
        {{"-platform", "offscreen"}, "知らないオプションです: -platform（--help で使い方を表示します）"},
        {{"--memorise20"}, "知らないオプションです: --memorise20（--help で使い方を表示します）"},
        {{"--version=2"}, "知らないオプションです: --version=2（--help で使い方を表示します）"},
        {{"20"}, "知らないオプションです: 20（--help で使い方を表示します）"},
        {{"--bogus", "--help"}, "知らないオプションです: --bogus（--help で使い方を表示します）"},
    };
    for (const auto& [args, text] : cases) {
        const Options o = readOptions(args);
        EXPECT_EQ(o.action, A::Error) << args[0];
        EXPECT_EQ(o.text, text) << args[0];
        EXPECT_EQ(o.status, 2) << args[0];
    }
}

}  // namespace
}  // namespace poromea::ui
