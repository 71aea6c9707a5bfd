#include "input/LanguageDetector.h"

#include "support/LogCapture.h"
#include "support/TestSession.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace tolvane {
namespace {

using ::testing::ElementsAre;

TEST(LanguageDetectorFallback, RecognisesWellKnownWordsOnlyAsWholeWords) {
    const std::tuple<const char*, const char*, const char*> cases[] = {
        // Real identifiers, which plain substring search got wrong or right.
        {"com.apple.keylayout.Russian-Phonetic", "Russian – Phonetic", "ru"},
        {"com.apple.keylayout.RussianWin", "", "ru"},
        {"com.apple.inputmethod.SCIM.ITABC", "Pinyin – Simplified", "zh-hans"},
        {"com.apple.keylayout.ABC", "ABC", "en"},
        {"com.apple.keylayout.USInternational-PC", "U.S. International – PC", "en"},
        {"com.example.keylayout.Dutch_Special", "Unknown", "nl"},
        {"com.apple.inputmethod.Korean.2SetKorean", "2-Set", "ko"},
        {"com.example.im", "Traditional Handwriting", "zh-hant"},
        {"com.apple.inputmethod.ChineseHandwriting", "Handwriting", "zh"},
        {"com.example.keylayout.x", "Vlaams", "nl"},
        // Table order decides between two known words.
        {"com.example.im", "Chinese, Simplified", "zh-hans"},
        {"com.example.im", "English (Nederlands)", "en"},
        // Words that merely contain a key are not that key.
        {"com.example.keylayout.Status", "Status", "unknown"},
        {"com.example.keylayout.Abacus", "Campus", "unknown"},
        {"com.example.keylayout.Germany2", "Frenchy", "unknown"},
        {"", "", "unknown"},
    };
    for (const auto& [sourceID, name, code] : cases) {
        EXPECT_EQ(LanguageDetector::languageCode(sourceID, name), code)
            << sourceID << " / " << name;
    }
}

LanguageState stateOf(std::optional<std::string> sourceID, std::optional<std::string> name,
                      std::optional<std::vector<std::string>> languages) {
    return LanguageDetector::languageState(
        SimInputSourceServices::keyboardSource(sourceID, name, languages));
}

TEST(LanguageDetectorDerivation, DeclaredLanguageWinsAndIsLogged) {
    testing::LogCapture log;
    EXPECT_EQ(stateOf("com.apple.keylayout.German", "German", {{"de"}}).language,
              InputLanguage::make("de", "German", "com.apple.keylayout.German"));
    // The table is never consulted when a language is declared, and only the
    // first declared language counts even when it means nothing.
    EXPECT_EQ(stateOf("com.apple.keylayout.Russian", "Russian", {{"en-GB", "ru"}}).language.code(),
              "en");
    auto meaningless = stateOf("com.apple.keylayout.Russian", "Russian", {{"english", "ru"}});
    EXPECT_EQ(meaningless.language.code(), "unknown");
    EXPECT_EQ(meaningless.language.badgeText(), "??");
    EXPECT_EQ(stateOf("com.apple.inputmethod.TCIM.Zhuyin", "Zhuyin", {{"zh-Hant-TW"}})
                  .language.badgeText(),
              "\u7E41");

    EXPECT_THAT(
        log.lines(),
        ElementsAre(
            "[DEBUG] LanguageDetector via input languages: sourceID=com.apple.keylayout.German "
            "name=German raw=de normalized=de",
            "[DEBUG] LanguageDetector via input languages: sourceID=com.apple.keylayout.Russian "
            "name=Russian raw=en-GB normalized=en",
            "[DEBUG] LanguageDetector via input languages: sourceID=com.apple.keylayout.Russian "
            "name=Russian raw=english normalized=unknown",
            "[DEBUG] LanguageDetector via input languages: "
            "sourceID=com.apple.inputmethod.TCIM.Zhuyin "
            "name=Zhuyin raw=zh-Hant-TW normalized=zh-hant"));
}

TEST(LanguageDetectorDerivation, FallsBackToWordsWhenNoUsableLanguageIsDeclared) {
    testing::LogCapture log;
    EXPECT_EQ(
        stateOf("com.example.keylayout.Dutch_Special", "Dutch Special", std::vector<std::string>{})
            .language.code(),
        "nl");
    // An empty first tag means "nothing declared", whatever follows it.
    EXPECT_EQ(stateOf("com.apple.keylayout.Russian", "Russian", {{"", "de"}}).language.code(),
              "ru");
    EXPECT_EQ(stateOf(std::nullopt, std::nullopt, std::nullopt).language, InputLanguage::unknown());
    // The raw name and identifier go into the line; the language holds them trimmed.
    EXPECT_EQ(stateOf("  com.apple.inputmethod.SCIM.ITABC ", " Pinyin\t", std::nullopt).language,
              InputLanguage::make("zh-hans", "Pinyin", "com.apple.inputmethod.SCIM.ITABC"));

    EXPECT_THAT(
        log.lines(),
        ElementsAre(
            "[DEBUG] LanguageDetector via fallback: sourceID=com.example.keylayout.Dutch_Special "
            "name=Dutch Special code=nl",
            "[DEBUG] LanguageDetector via fallback: sourceID=com.apple.keylayout.Russian "
            "name=Russian code=ru",
            "[DEBUG] LanguageDetector via fallback: sourceID=unknown name=Unknown code=unknown",
            "[DEBUG] LanguageDetector via fallback: sourceID=  com.apple.inputmethod.SCIM.ITABC  "
            "name= Pinyin\t code=zh-hans"));
}

TEST(LanguageDetector, FollowsTheSessionsSelectedSource) {
    testing::TestSession session;
    testing::LogCapture log;
    LanguageDetector detector(*session->inputSources());

    EXPECT_EQ(detector.detect().language,
              InputLanguage::make("en", "ABC", "com.apple.keylayout.ABC"));
    ASSERT_TRUE(session->inputSources()->switchTo("com.example.keylayout.Dutch_Special"));
    EXPECT_EQ(detector.detect().language.code(), "nl");
    log.takeLines();
    session->inputSources()->clearCurrentSource();
    EXPECT_EQ(detector.detect().language, InputLanguage::unknown());
    EXPECT_THAT(log.takeLines(),
                ElementsAre("[WARN] LanguageDetector: no current keyboard input source"));
}

} // namespace
} // namespace tolvane
