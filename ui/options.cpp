#include "ui/options.h"

#include <optional>
#include <vector>

#include "game/form1.h"

namespace poromea::ui {
namespace {

// Whole seconds, from the game's own five up to ten minutes: a longer wait
// helps a player who needs it, a shorter one would change the game.
std::optional<std::int32_t> memoriseMs(std::string_view seconds) {
    if (seconds.empty() || seconds.size() > 3) return std::nullopt;
    int value = 0;
    for (char c : seconds) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value < 5 || value > 600) return std::nullopt;
    return value * 1000;
}

constexpr std::string_view kBadMemorise = "--memorise には 5 から 600 までの秒数を指定してください。";
constexpr std::string_view kMissingMemorise = "--memorise の後に秒数がありません（例: --memorise=20）。";

Options refused(std::string text) { return {Options::Action::Error, 0, std::move(text), 2}; }

}  // namespace

Options readOptions(std::span<const std::string> arguments) {
    std::int32_t ms = kMemoriseMs;
    constexpr std::string_view kMemorise = "--memorise";
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view word = arguments[i];
        if (word == "--help" || word == "-h") {
            return {Options::Action::Help, 0,
                    "使い方: poromea [オプション]\n"
                    "ポロメア: 顔の部品を覚えて並べるゲーム\n"
                    "\n"
                    "  --memorise=秒, --memorise 秒\n"
                    "                カードを覚える時間（5〜600 秒、既定 5 秒）\n"
                    "  --version     版を表示します\n"
                    "  -h, --help    この説明を表示します",
                    0};
        }
        if (word == "--version") return {Options::Action::Version, 0, "poromea " POROMEA_VERSION, 0};
        std::optional<std::string_view> value;
        if (word.starts_with(kMemorise) && word.size() > kMemorise.size() && word[kMemorise.size()] == '=') {
            value = word.substr(kMemorise.size() + 1);
        } else if (word == kMemorise) {
            if (i + 1 == arguments.size()) return refused(std::string(kMissingMemorise));
            value = arguments[++i];
        } else {
            return refused("知らないオプションです: " + std::string(word) + "（--help で使い方を表示します）");
        }
        const auto taken = memoriseMs(*value);
        if (!taken) return refused(std::string(kBadMemorise));
        ms = *taken;
    }
    return {Options::Action::Play, ms, {}, 0};
}

AddressOptions readAddress(std::span<const std::pair<std::string, std::string>> parameters) {
    std::vector<std::string> words;
    // ?help, ?memorise: a parameter without a value is the option alone.
    for (const auto& [name, value] : parameters) words.push_back("--" + name + (value.empty() ? "" : "=" + value));
    Options read = readOptions(words);
    if (read.action == Options::Action::Play) return {read.memoriseMs, {}};
    return {kMemoriseMs, std::move(read.text)};
}

}  // namespace poromea::ui
