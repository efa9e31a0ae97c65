// What Debian's own voice makes of every word the game gives a screen reader: each one is spoken by espeak-ng's
// Japanese voice, as Orca has it spoken through speech-dispatcher, and read back as phonemes and as sound.
#include <gtest/gtest.h>

#include <espeak-ng/espeak_ng.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "game/form1.h"
#include "ui/access.h"
#include "ui/layout.h"

namespace poromea::ui {
namespace {

struct Heard {
    std::string phonemes;
};

// espeak-ng's own library, loaded once, speaking as its command does with `-v ja -x -w`. The voice keeps something of
// each text it speaks for the next, as a command started anew does not: each text is spoken by a fork of this process
// taken before anything was spoken. A command started for each text made the test's time grow with the machine's load.
class Voice {
public:
    Voice() {
        espeak_ng_InitializePath(nullptr);
        if (espeak_ng_Initialize(nullptr) != ENS_OK || espeak_ng_InitializeOutput(ENOUTPUT_MODE_SYNCHRONOUS, 0, nullptr) != ENS_OK ||
            espeak_ng_SetVoiceByName("ja") != ENS_OK) {
            throw std::runtime_error("espeak-ng has no Japanese voice (is espeak-ng-data installed?)");
        }
        espeak_SetSynthCallback(&Voice::sound);
    }
    ~Voice() { espeak_ng_Terminate(); }
    Voice(const Voice&) = delete;
    Voice& operator=(const Voice&) = delete;

    Heard hear(const std::string& text) {
        int pipe[2];
        if (::pipe(pipe) != 0) throw std::runtime_error("no pipe");
        std::fflush(nullptr);
        const pid_t child = fork();
        if (child == 0) {
            ::close(pipe[0]);
            std::_Exit(speak(text, pipe[1]) ? 0 : 1);
        }
        ::close(pipe[1]);
        std::string said;
        char buffer[4096];
        for (ssize_t got; (got = ::read(pipe[0], buffer, sizeof buffer)) > 0;) said.append(buffer, static_cast<std::size_t>(got));
        ::close(pipe[0]);
        int status = 0;
        if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            throw std::runtime_error("espeak-ng did not speak: " + text);
        }
        return {said};
    }

private:
    // In the fork: speaks `text`, and writes what was heard to `out`.
    static bool speak(const std::string& text, int out) {
        char* trace = nullptr;
        std::size_t traced = 0;
        FILE* phonemes = open_memstream(&trace, &traced);
        espeak_SetPhonemeTrace(espeakPHONEMES_SHOW, phonemes);
        const bool spoken = espeak_ng_Synthesize(text.c_str(), text.size() + 1, 0, POS_CHARACTER, 0,
                                                 espeakCHARS_UTF8 | espeakPHONEMES | espeakENDPAUSE, nullptr, nullptr) == ENS_OK;
        std::fclose(phonemes);
        const std::string said(trace, traced);
        return spoken && samples_ > 0 && ::write(out, said.data(), said.size()) == static_cast<ssize_t>(said.size());
    }
    static int sound(short* /*wav*/, int count, espeak_EVENT* /*events*/) {
        samples_ += count;
        return 0;
    }
    static inline long samples_ = 0;
};

// Each text is spoken once.
Heard hear(const std::string& text) {
    static Voice voice;
    static std::map<std::string, Heard> heardBefore;
    if (const auto found = heardBefore.find(text); found != heardBefore.end()) return found->second;
    return heardBefore[text] = voice.hear(text);
}

// How espeak-ng says a character it has no reading for: in English, "Chinese letter" (or "letter" and its
// number), whatever the character.
bool unread(const Heard& h) { return h.phonemes.find("l'et@") != std::string::npos; }

// What any card or slot can show: empty, a card's back, a part.
const std::vector<Shown> kShown = [] {
    std::vector<Shown> all{{}};
    for (int n = 0; n < 6; ++n) all.insert(all.end(), {{Shown::Kind::Back, n}, {Shown::Kind::Part, n}});
    return all;
}();

// Every announcement of every kind of step, with what it may say of each card, slot and of what they show; a few deals
// stand for all.
std::map<Announcement::Kind, std::set<std::string>> everyAnnouncement(const std::vector<Shown>& shownOnSlots) {
    using K = Announcement::Kind;
    std::map<K, std::set<std::string>> out;
    std::array<int, 6> parts{0, 1, 2, 3, 4, 5};
    for (int n = 0; n < 720; ++n, std::next_permutation(parts.begin(), parts.end())) {
        if (n % 97 == 0) out[K::Dealt].insert(words({K::Dealt, -1, -1, {}, parts}));  // deals differ only in their order
    }
    out[K::Covered].insert(words({K::Covered}));
    for (int card = 0; card < 6; ++card) {
        out[K::PickedUp].insert(words({K::PickedUp, card}));
        out[K::PutBack].insert(words({K::PutBack, card}));
        for (int slot = 0; slot < 6; ++slot) out[K::Dropped].insert(words({K::Dropped, card, slot}));
        for (const Shown& shown : shownOnSlots) out[K::PickedUp].insert(words({K::PickedUp, card, kFirstKeyboardSlot, shown}));
    }
    for (int slot = 0; slot < 6; ++slot) {
        for (const Shown& shown : shownOnSlots) out[K::MovedOver].insert(words({K::MovedOver, -1, slot, shown}));
    }
    return out;
}

// What a control tells as it is read: its name, its description, and what its picture shows.
std::set<std::string> everyDescription() {
    std::set<std::string> out;
    for (const Form* form : {&kForm1, &kForm2}) {
        for (const Control& c : form->controls) {
            for (std::string_view text : {c.accessibleName, c.description, reading(c.text)}) {
                if (!text.empty()) out.emplace(text);
            }
            if (!c.image) continue;
            for (const Shown& shown : kShown) out.insert(spokenText(c.accessibleName, description(shown)));
        }
    }
    for (const Shown& shown : kShown) out.insert(description(shown));
    out.emplace(kCloseName);
    out.emplace(spokenMessage(Message::Wrong));
    out.emplace(kKeysHint);
    return out;
}

TEST(Heard, EveryWordIsReadByDebiansVoice) {
    // The test's own measure first: a lone kanji (three bytes) is heard as a letter, kana are read.
    for (const char* text : {"裏", "々", "うら", "カード 3"}) {
        EXPECT_EQ(unread(hear(text)), std::string_view(text).size() == 3) << text << ": " << hear(text).phonemes;
    }
    std::set<std::string> all = everyDescription();
    for (const auto& [kind, texts] : everyAnnouncement(kShown)) all.insert(texts.begin(), texts.end());
    ASSERT_GT(all.size(), 250U);
    for (const std::string& text : all) {
        const Heard h = hear(text);
        EXPECT_FALSE(unread(h)) << "「" << text << "」 is heard as " << h.phonemes;
    }
}

}  // namespace
}  // namespace poromea::ui
