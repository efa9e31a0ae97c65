// The options as every host reads them: what each form of the command line
// (or the page's address, turned into one) leads to, in the player's words.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "ui/options.h"

namespace poromea::ui {
namespace {

using Args = std::vector<std::string>;
using A = Options::Action;

const std::string kBadValue = "--memorise には 5 から 600 までの秒数を指定してください。";
const std::string kMissing = "--memorise の後に秒数がありません（例: --memorise=20）。";

TEST(Options, PlaysWithTheTimeAsked) {
    // The game's own five seconds; either form, at both ends; the last one asked.
    const std::vector<std::pair<Args, int>> cases{{{}, 5000}, {{"--memorise=20"}, 20000}, {{"--memorise", "20"}, 20000},
        {{"--memorise=5"}, 5000}, {{"--memorise", "600"}, 600000}, {{"--memorise=30", "--memorise", "8"}, 8000}};
    for (const auto& [args, ms] : cases) {
        const Options o = readOptions(args);
        EXPECT_EQ(std::tuple(o.action, o.memoriseMs, o.status, o.text), std::tuple(A::Play, ms, 0, "")) << args.size();
    }
}

TEST(Options, HelpAndVersionEndWithZero) {
    for (const Args& args : {Args{"--help"}, Args{"-h"}, Args{"--memorise=20", "--help"}, Args{"--help", "--bogus"}}) {
        const Options o = readOptions(args);
        EXPECT_EQ(std::tuple(o.action, o.status), std::tuple(A::Help, 0)) << args[0];
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
    EXPECT_EQ(std::tuple(v.action, v.status, v.text), std::tuple(A::Version, 0, "poromea 1.0.0"));
}

TEST(Options, ErrorsSayWhatIsWrongAndEndWithTwo) {
    const auto unknown = [](const std::string& what) { return "知らないオプションです: " + what + "（--help で使い方を表示します）"; };
    // Values not taken: shorter than the game's, longer than ten minutes, not whole seconds; the word after it is its value.
    std::vector<std::pair<Args, std::string>> cases;
    for (const char* bad : {"--memorise=4", "--memorise=601", "--memorise=", "--memorise=10s", "--memorise=1000000000000"}) cases.push_back({{bad}, kBadValue});
    cases.insert(cases.end(), {{{"--memorise", "4"}, kBadValue}, {{"--memorise", "5.5"}, kBadValue}, {{"--memorise", "--help"}, kBadValue},
        {{"--memorise"}, kMissing}, {{"--memorise=20", "--memorise"}, kMissing}, {{"--bogus"}, unknown("--bogus")},
        {{"-platform", "offscreen"}, unknown("-platform")}, {{"--memorise20"}, unknown("--memorise20")},
        {{"--version=2"}, unknown("--version=2")}, {{"20"}, unknown("20")}, {{"--bogus", "--help"}, unknown("--bogus")}});
    for (const auto& [args, text] : cases) {
        const Options o = readOptions(args);
        EXPECT_EQ(std::tuple(o.action, o.text, o.status), std::tuple(A::Error, text, 2)) << args[0];
    }
}

// The page's address: its parameters in order, as the command line's words; what would end a program is told, and the
// game plays with its five seconds.
TEST(Options, TheAddressReadsAsTheCommandLine) {
    using Query = std::vector<std::pair<std::string, std::string>>;
    const std::vector<std::tuple<Query, int, std::string>> cases{{{}, 5000, ""}, {{{"memorise", "30"}, {"memorise", "8"}}, 8000, ""},
        {{{"memorise", "20"}, {"lang", "en"}}, 5000, "知らないオプションです: --lang=en（--help で使い方を表示します）"},
        {{{"memorise", "4"}}, 5000, kBadValue}, {{{"memorise", ""}}, 5000, kMissing},
        {{{"version", ""}}, 5000, "poromea 1.0.0"}};
    for (const auto& [query, ms, notice] : cases) {
        const AddressOptions o = readAddress(query);
        EXPECT_EQ(std::tuple(o.memoriseMs, o.notice), std::tuple(ms, notice)) << query.size();
    }
}

}  // namespace
}  // namespace poromea::ui
