#include "input/LanguageDetector.h"

#include "support/LogCapture.h"
#include "support/TestSession.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace tolvane {
namespace {

using ::testing::ElementsAre;

struct FallbackCase {
    const char* sourceID;
    const char* name;
    const char* code;
};

TEST(LanguageDetectorFallback, RecognisesEveryWellKnownWordAsAWholeWord) {
    const FallbackCase cases[] = {
        // Real identifiers, which plain substring search got wrong or right.
        {"com.apple.keylayout.Russian", "Russian", "ru"},
        {"com.apple.keylayout.Russian-Phonetic", "Russian – Phonetic", "ru"},
        {"com.apple.keylayout.RussianWin", "Russian – PC", "ru"},
        {"com.apple.inputmethod.SCIM.ITABC", "Pinyin – Simplified", "zh-hans"},
        {"com.apple.inputmethod.SCIM.ITABC", "", "zh-hans"},
        {"com.apple.keylayout.US", "U.S.", "en"},
        {"com.apple.keylayout.ABC", "ABC", "en"},
        {"com.apple.keylayout.USInternational-PC", "U.S. International – PC", "en"},
        {"com.apple.keylayout.Dutch", "Dutch", "nl"},
        {"com.example.keylayout.Dutch_Special", "Unknown", "nl"},
        {"com.apple.keylayout.Ukrainian-PC", "Ukrainian – PC", "uk"},
        {"com.apple.keylayout.German", "German", "de"},
        {"com.apple.keylayout.SwissFrench", "Swiss French", "fr"},
        {"com.apple.keylayout.Spanish-ISO", "Spanish – ISO", "es"},
        {"com.apple.keylayout.Italian-Pro", "Italian", "it"},
        {"com.apple.keylayout.Portuguese", "Portuguese", "pt"},
        {"com.apple.inputmethod.Kotoeri.RomajiTyping.Japanese", "Romaji", "ja"},
        {"com.apple.inputmethod.Kotoeri.KanaTyping", "Kana", "ja"},
        {"com.apple.inputmethod.Korean.2SetKorean", "2-Set", "ko"},
        {"com.example.inputmethod.Hangul", "Hangul", "ko"},
        {"com.apple.inputmethod.SCIM.WBX", "Wubi Xing", "zh-hans"},
        {"com.apple.inputmethod.SCIM.Shuangpin", "Shuangpin", "zh-hans"},
        {"com.example.ShuangPin", "", "zh-hans"},
        {"com.example.im", "Simplified Handwriting", "zh-hans"},
        {"com.example.QQPinyin", "", "zh-hans"},
        {"com.apple.inputmethod.TCIM.Cangjie", "Cangjie", "zh-hant"},
        {"com.apple.inputmethod.TCIM.Zhuyin", "Zhuyin", "zh-hant"},
        {"com.example.im", "Traditional Handwriting", "zh-hant"},
        {"com.apple.inputmethod.ChineseHandwriting", "Handwriting", "zh"},
        // Table order still decides between two known words.
        {"com.example.im", "Chinese, Simplified", "zh-hans"},
        {"com.example.im", "English (Nederlands)", "en"},
        // Dutch has many names.
        {"com.example.keylayout.x", "Nederlands", "nl"},
        {"com.example.keylayout.x", "Nederland", "nl"},
        {"com.example.keylayout.x", "Netherlands", "nl"},
        {"com.example.keylayout.x", "Flemish", "nl"},
        {"com.example.keylayout.x", "Vlaams", "nl"},
        {"com.example.keylayout.Belgian", "Belgian", "nl"},
        {"com.example.keylayout.x", "english", "en"},
        // Words that merely contain a key are not that key.
        {"com.example.keylayout.Status", "Status", "unknown"},
        {"com.example.keylayout.x", "Focus", "unknown"},
        {"com.example.keylayout.Abacus", "Campus", "unknown"},
        {"com.example.keylayout.Germany2", "Frenchy", "unknown"},
        {"com.example.keylayout.x", "Русская", "unknown"},
        {"unknown", "Unknown", "unknown"},
        {"", "", "unknown"},
    };
    for (const auto& entry : cases) {
        EXPECT_EQ(LanguageDetector::languageCode(entry.sourceID, entry.name), entry.code)
            << entry.sourceID << " / " << entry.name;
    }
}

TEST(LanguageDetectorDerivation, DeclaredLanguageWinsAndIsLogged) {
    testing::LogCapture log;
    auto state = LanguageDetector::languageState(SimInputSourceServices::keyboardSource(
        "com.apple.keylayout.German", "German", std::vector<std::string>{"de"}));
    EXPECT_EQ(state.language, InputLanguage::make("de", "German", "com.apple.keylayout.German"));
    EXPECT_EQ(state.language.badgeText(), "DE");

    // The table is never consulted when a language is declared, and only the
    // first declared language counts even when it means nothing.
    auto declared = LanguageDetector::languageState(SimInputSourceServices::keyboardSource(
        "com.apple.keylayout.Russian", "Russian", std::vector<std::string>{"en-GB", "ru"}));
    EXPECT_EQ(declared.language.code(), "en");
    auto meaningless = LanguageDetector::languageState(SimInputSourceServices::keyboardSource(
        "com.apple.keylayout.Russian", "Russian", std::vector<std::string>{"english", "ru"}));
    EXPECT_EQ(meaningless.language.code(), "unknown");
    EXPECT_EQ(meaningless.language.badgeText(), "??");

    auto traditional = LanguageDetector::languageState(SimInputSourceServices::keyboardSource(
        "com.apple.inputmethod.TCIM.Zhuyin", "Zhuyin", std::vector<std::string>{"zh-Hant-TW"}));
    EXPECT_EQ(traditional.language.code(), "zh-hant");
    EXPECT_EQ(traditional.language.badgeText(), "\u7E41");

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
    auto empty = LanguageDetector::languageState(SimInputSourceServices::keyboardSource(
        "com.example.keylayout.Dutch_Special", "Dutch Special", std::vector<std::string>{}));
    EXPECT_EQ(empty.language.code(), "nl");

    // An empty first tag means "nothing declared", whatever follows it.
    auto blankFirst = LanguageDetector::languageState(SimInputSourceServices::keyboardSource(
        "com.apple.keylayout.Russian", "Russian", std::vector<std::string>{"", "de"}));
    EXPECT_EQ(blankFirst.language.code(), "ru");

    auto bare = LanguageDetector::languageState(
        SimInputSourceServices::keyboardSource(std::nullopt, std::nullopt, std::nullopt));
    EXPECT_EQ(bare.language, InputLanguage::unknown());

    // The raw name and identifier go into the line; the language holds them trimmed.
    auto padded = LanguageDetector::languageState(SimInputSourceServices::keyboardSource(
        "  com.apple.inputmethod.SCIM.ITABC ", " Pinyin\t", std::nullopt));
    EXPECT_EQ(padded.language,
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

TEST(LanguageDetectorDerivation, NoSelectedSourceIsUnknownWithOneWarning) {
    testing::LogCapture log;
    auto state = LanguageDetector::languageState(std::nullopt);
    EXPECT_EQ(state.language, InputLanguage::unknown());
    EXPECT_THAT(log.lines(),
                ElementsAre("[WARN] LanguageDetector: no current keyboard input source"));
}

TEST(LanguageDetector, FollowsTheSessionsSelectedSource) {
    testing::TestSession session;
    testing::LogCapture log;
    LanguageDetector detector(*session->inputSources());

    EXPECT_EQ(detector.detect().language,
              InputLanguage::make("en", "ABC", "com.apple.keylayout.ABC"));
    ASSERT_TRUE(session->inputSources()->switchTo("com.apple.keylayout.Russian"));
    EXPECT_EQ(detector.detect().language,
              InputLanguage::make("ru", "Russian", "com.apple.keylayout.Russian"));
    ASSERT_TRUE(session->inputSources()->switchTo("com.apple.inputmethod.SCIM.ITABC"));
    EXPECT_EQ(detector.detect().language.badgeText(), "\u7B80");
    ASSERT_TRUE(session->inputSources()->switchTo("com.example.keylayout.Dutch_Special"));
    EXPECT_EQ(detector.detect().language.code(), "nl");

    session->inputSources()->clearCurrentSource();
    EXPECT_EQ(detector.detect().language, InputLanguage::unknown());

    EXPECT_THAT(
        log.lines(),
        ElementsAre(
            "[DEBUG] LanguageDetector via input languages: sourceID=com.apple.keylayout.ABC "
            "name=ABC raw=en normalized=en",
            "[DEBUG] LanguageDetector via input languages: sourceID=com.apple.keylayout.Russian "
            "name=Russian raw=ru normalized=ru",
            "[DEBUG] LanguageDetector via input languages: "
            "sourceID=com.apple.inputmethod.SCIM.ITABC "
            "name=Pinyin - Simplified raw=zh-Hans normalized=zh-hans",
            "[DEBUG] LanguageDetector via fallback: sourceID=com.example.keylayout.Dutch_Special "
            "name=Dutch Special code=nl",
            "[WARN] LanguageDetector: no current keyboard input source"));
}

TEST(LanguageDetector, RecognisesSourcesThatDeclareNoLanguageByTheirWords) {
    SimSession::Options options;
    options.installDefaultInputSources = false;
    testing::TestSession session(options);
    testing::LogCapture log;
    LanguageDetector detector(*session->inputSources());
    auto& sources = *session->inputSources();
    const std::pair<const char*, const char*> installed[] = {
        {"com.apple.keylayout.Russian-Phonetic", "ru"},
        {"com.apple.inputmethod.SCIM.ITABC", "zh-hans"},
        {"com.apple.keylayout.USInternational-PC", "en"},
        {"com.apple.keylayout.Status", "unknown"}};
    for (const auto& [sourceID, code] : installed) {
        sources.install(
            SimInputSourceServices::keyboardSource(sourceID, std::nullopt, std::nullopt));
        ASSERT_TRUE(sources.switchTo(sourceID));
        auto language = detector.detect().language;
        EXPECT_EQ(language.code(), code) << sourceID;
        EXPECT_EQ(language.displayName(), "Unknown");
        EXPECT_EQ(language.sourceID(), sourceID);
    }
    EXPECT_THAT(
        log.lines(),
        ElementsAre(
            "[DEBUG] LanguageDetector via fallback: sourceID=com.apple.keylayout.Russian-Phonetic "
            "name=Unknown code=ru",
            "[DEBUG] LanguageDetector via fallback: sourceID=com.apple.inputmethod.SCIM.ITABC "
            "name=Unknown code=zh-hans",
            "[DEBUG] LanguageDetector via fallback: "
            "sourceID=com.apple.keylayout.USInternational-PC "
            "name=Unknown code=en",
            "[DEBUG] LanguageDetector via fallback: sourceID=com.apple.keylayout.Status "
            "name=Unknown code=unknown"));
}

} // namespace
} // namespace tolvane
