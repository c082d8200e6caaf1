#include <gtest/gtest.h>

#include <random>
#include <string>

#include "settings/json/JsonFormat.h"
#include "settings/json/TextCodec.h"

namespace kelm::json {
namespace {

TEST(TextCodec, Utf8AndAsciiPassUnchanged) {
    for (const std::string text :
         {"", "Default1", "Caf\xC3\xA9", "\xE6\x97\xA5\xE6\x9C\xAC", "\xF0\x9F\x8E\xAE", "tab\tdel\x7F"}) {
        EXPECT_EQ(BytesToJsonText(text), text);
        EXPECT_EQ(JsonTextToBytes(text), text);
    }
}

TEST(TextCodec, BytesThatAreNotUtf8BecomeEscapeCodePoints) {
    // E9 alone (Windows-1252 "é") is U+EFE9, shown as \uefe9.
    EXPECT_EQ(BytesToJsonText("Caf\xE9"), "Caf\xEE\xBF\xA9");
    EXPECT_EQ(FormatJson(Json(BytesToJsonText("Caf\xE9"))), "\"Caf\\uefe9\"");
    // Overlong form, encoded surrogate, beyond U+10FFFF, truncated sequence.
    for (const std::string bad : {"\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE2\x82"}) {
        const std::string shown = BytesToJsonText(bad);
        EXPECT_EQ(shown.size(), bad.size() * 3) << "every byte is escaped on its own";
        EXPECT_EQ(JsonTextToBytes(shown), bad);
    }
}

TEST(TextCodec, TextThatLooksLikeAnEscapeIsEscapedItself) {
    const std::string u_ef80 = "\xEE\xBE\x80";  // valid UTF-8 for U+EF80
    const std::string shown = BytesToJsonText(u_ef80);
    EXPECT_NE(shown, u_ef80);
    EXPECT_EQ(JsonTextToBytes(shown), u_ef80);
    EXPECT_EQ(JsonTextToBytes(u_ef80), "\x80");
}

TEST(TextCodec, EveryByteStringRoundTripsAndShowsAsValidUtf8) {
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> byte(1, 255), length(0, 64);
    for (int round = 0; round < 2000; ++round) {
        std::string bytes(static_cast<std::size_t>(length(rng)), ' ');
        for (char& c : bytes) c = static_cast<char>(byte(rng));
        const std::string shown = BytesToJsonText(bytes);
        ASSERT_EQ(JsonTextToBytes(shown), bytes);
        // nlohmann refuses invalid UTF-8; its own dump must accept the text.
        ASSERT_NO_THROW((void)Json(shown).dump());
    }
}

}  // namespace
}  // namespace kelm::json
