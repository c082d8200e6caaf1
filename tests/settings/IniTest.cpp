// The INI reader and writer every settings file goes through, and the
// structure encoding of binary values.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>

#include "settings/IniFile.h"
#include "settings/StructCodec.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TempProgramFolder.h"

namespace kelm {
namespace {

using test::ReadFile;
using test::WriteFile;

IniFile FromText(std::string_view text) { return IniFile("/nonexistent/unused.ini", text); }

TEST(IniLookup, SectionAndKeyNamesIgnoreCase) {
    const IniFile ini = FromText("[SeTTing]\r\nKbDelay=3\r\n");
    EXPECT_EQ(ini.ReadInt("setting", "KBDELAY", -1), 3);
    EXPECT_EQ(ini.ReadInt("SETTING", "kbdelay", -1), 3);
}

TEST(IniLookup, FirstMatchWinsForDuplicateSectionsAndKeys) {
    const IniFile ini = FromText("[A]\nk=1\nk=2\n[B]\nk=7\n[a]\nk=3\nonlyLater=4\n");
    EXPECT_EQ(ini.ReadInt("A", "k", -1), 1);
    EXPECT_EQ(ini.ReadInt("B", "k", -1), 7);
    // Only the first section of a name is searched.
    EXPECT_EQ(ini.ReadInt("a", "onlyLater", -1), -1);
}

TEST(IniLookup, WritingChangesTheFirstMatchOnly) {
    IniFile ini = FromText("[A]\r\nk=1\r\nk=2\r\n[a]\r\nk=3\r\n");
    ini.WriteInt("a", "K", 5);
    EXPECT_EQ(ini.ReadInt("A", "k", -1), 5);
    ini.WriteInt("A", "fresh", 6);
    EXPECT_EQ(ini.ReadInt("a", "FRESH", -1), 6);
    EXPECT_EQ(ini.ListSections(), (std::vector<std::string>{"A", "a"}));
}

TEST(IniLookup, BlanksAroundNamesAndValuesAreIgnored) {
    const IniFile ini = FromText("  [ Setting ]  \r\n\t Key \t=  inner  blanks stay \t\r\nEmpty=\r\n  =orphan\r\n");
    EXPECT_EQ(ini.ReadString("Setting", "Key", "?"), "inner  blanks stay");
    EXPECT_EQ(ini.ReadString(" Setting ", " Key ", "?"), "inner  blanks stay");
    EXPECT_EQ(ini.ReadString("Setting", "Empty", "?"), "");
    EXPECT_EQ(ini.ReadString("Setting", "Missing", "fallback"), "fallback");
    EXPECT_EQ(ini.ListSections(), std::vector<std::string>{"Setting"});
}

TEST(IniLookup, QuotedValuesLoseOnePairOfQuotes) {
    const IniFile ini = FromText("[S]\r\nA=\"  padded  \"\r\nB='single'\r\nC=\"unbalanced\r\nD=\"\r\nE=\"\"\r\n");
    EXPECT_EQ(ini.ReadString("S", "A", "?"), "  padded  ");
    EXPECT_EQ(ini.ReadString("S", "B", "?"), "single");
    EXPECT_EQ(ini.ReadString("S", "C", "?"), "\"unbalanced");
    EXPECT_EQ(ini.ReadString("S", "D", "?"), "\"");
    EXPECT_EQ(ini.ReadString("S", "E", "?"), "");
}

TEST(IniLookup, LinesOutsideSectionsAreNotKeys) {
    const IniFile ini = FromText("stray=1\r\n[S]\r\nk=2\r\n");
    EXPECT_EQ(ini.ReadInt("", "stray", -1), -1);
    EXPECT_EQ(ini.ReadInt("S", "k", -1), 2);
}

TEST(IniLookup, ByteOrderMarkDoesNotHideTheFirstSection) {
    const IniFile ini = FromText("\xEF\xBB\xBF[Setting]\r\nCurrentProfile=2\r\n");
    EXPECT_EQ(ini.ReadInt("Setting", "CurrentProfile", -1), 2);
}

TEST(IniLookup, CrlfAndLfFilesReadAlike) {
    const std::string lf = "[One]\nA=1\nB = two words\n\n[Two]\nC=3\n";
    std::string crlf;
    for (char c : lf) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    for (const std::string& text : {lf, crlf, std::string("[One]\r\nA=1\nB = two words\r\n[Two]\nC=3")}) {
        const IniFile ini = FromText(text);
        EXPECT_EQ(ini.ReadInt("One", "A", -1), 1);
        EXPECT_EQ(ini.ReadString("One", "B", ""), "two words");
        EXPECT_EQ(ini.ReadInt("Two", "C", -1), 3);
    }
}

TEST(IniRead, IntegersTakeTheLeadingDecimalNumber) {
    const IniFile ini = FromText(
        "[N]\r\nplain=42\r\ntrail=17abc\r\nneg=-5\r\nplus=+8\r\ngarbage=abc\r\nsign=-\r\nempty=\r\n"
        "inner=4 2\r\nbig=99999999999999999999\r\nsmall=-99999999999\r\nmax=2147483647\r\nmin=-2147483648\r\n"
        "over=2147483648\r\nhex=0x10\r\n");
    EXPECT_EQ(ini.ReadInt("N", "plain", 0), 42);
    EXPECT_EQ(ini.ReadInt("N", "trail", 0), 17);
    EXPECT_EQ(ini.ReadInt("N", "neg", 0), -5);
    EXPECT_EQ(ini.ReadInt("N", "plus", 0), 8);
    EXPECT_EQ(ini.ReadInt("N", "garbage", 9), 0);
    EXPECT_EQ(ini.ReadInt("N", "sign", 9), 0);
    EXPECT_EQ(ini.ReadInt("N", "empty", 9), 9);
    EXPECT_EQ(ini.ReadInt("N", "missing", 9), 9);
    EXPECT_EQ(ini.ReadInt("N", "inner", 0), 4);
    EXPECT_EQ(ini.ReadInt("N", "big", 0), INT32_MAX);
    EXPECT_EQ(ini.ReadInt("N", "small", 0), INT32_MIN);
    EXPECT_EQ(ini.ReadInt("N", "max", 0), INT32_MAX);
    EXPECT_EQ(ini.ReadInt("N", "min", 0), INT32_MIN);
    EXPECT_EQ(ini.ReadInt("N", "over", 0), INT32_MAX);
    EXPECT_EQ(ini.ReadInt("N", "hex", 9), 0);
}

TEST(IniWrite, IntegersAndTextRoundTrip) {
    IniFile ini = FromText("");
    for (std::int32_t v : {0, 1, -1, INT32_MAX, INT32_MIN}) {
        ini.WriteInt("N", "v", v);
        EXPECT_EQ(ini.ReadInt("N", "v", 12345), v);
    }
    for (std::string_view text : {"", " Work ", "\tTabbed", "trailing\t ", "\"quoted\"", "'single'", "a=b;c[d]",
                                  "\" lone", "\"\"", "\xE9t\xE9"}) {
        ini.WriteString("T", "k", text);
        EXPECT_EQ(ini.ReadString("T", "k", "?"), text) << '[' << text << ']';
    }
}

TEST(IniWrite, LineBreaksInValuesCannotInjectKeysOrSections) {
    IniFile ini = FromText("[S]\r\nA=1\r\n");
    ini.WriteString("S", "A", "x\r\nB=evil\n[T]\rC=1");
    EXPECT_FALSE(ini.Lookup("S", "B"));
    EXPECT_FALSE(ini.Lookup("T", "C"));
    EXPECT_EQ(ini.ListSections(), std::vector<std::string>{"S"});
    EXPECT_EQ(ini.ReadString("S", "A", ""), "x  B=evil [T] C=1");
    ini.WriteString("S", "D\r\nE", "1");
    EXPECT_FALSE(ini.Lookup("S", "E"));
}

TEST(IniWrite, SectionNameWithLineBreakStaysOneSection) {
    IniFile ini = FromText("");
    ini.WriteInt("Two\nLines", "a", 1);
    ini.WriteInt("Two\nLines", "b", 2);
    EXPECT_EQ(ini.ListSections().size(), 1u);
    EXPECT_EQ(ini.ReadInt("Two\nLines", "a", -1), 1);
    EXPECT_EQ(ini.ReadInt("Two\nLines", "b", -1), 2);
}

TEST(IniWrite, SectionNamesMayHoldBrackets) {
    test::TempProgramFolder folder;
    const std::string path = folder.Program("brackets.ini");
    IniFile ini(path);
    ini.WriteInt("Games [FPS]", "number", 3);
    ini.WriteInt("[lead", "number", 4);
    ASSERT_TRUE(ini.Save());
    const IniFile again(path);
    EXPECT_EQ(again.ReadInt("Games [FPS]", "number", -1), 3);
    EXPECT_EQ(again.ReadInt("[lead", "number", -1), 4);
}

class IniFileOnDisk : public ::testing::Test {
protected:
    test::TempProgramFolder folder;
    std::string path = folder.Program("config.ini");
};

TEST_F(IniFileOnDisk, UnchangedLinesSurviveByteForByte) {
    const std::string original =
        "; written by hand\r\n"
        "[Unknown Section]\r\n"
        "  Odd  =  spacing kept  \r\n"
        "noequals line\r\n"
        "\r\n"
        "[Setting]\r\n"
        "CurrentProfile = 1\r\n"
        "Extra=\xFF\xFE bytes\r\n"
        "  ; comment inside\r\n"
        "WindowsProfile=-1\r\n"
        "\r\n"
        "[Tail]\r\n"
        "x=y\r\n";
    WriteFile(path, original);
    IniFile ini(path);
    ini.WriteInt("setting", "currentprofile", 3);
    ASSERT_TRUE(ini.Save());
    std::string expected = original;
    expected.replace(expected.find("CurrentProfile = 1"), 18, "currentprofile=3");
    EXPECT_EQ(ReadFile(path), expected);
}

TEST_F(IniFileOnDisk, WritingTheValueAlreadyStoredKeepsTheLine) {
    const std::string original = "[Setting]\r\n  CurrentProfile =  1 \r\n";
    WriteFile(path, original);
    IniFile ini(path);
    ini.WriteInt("Setting", "CurrentProfile", 1);
    ASSERT_TRUE(ini.Save());
    EXPECT_EQ(ReadFile(path), original);
}

TEST_F(IniFileOnDisk, NewKeysFollowTheLastKeyOfTheirSection) {
    WriteFile(path, "[A]\r\na=1\r\n; note\r\nb=2\r\n\r\n[B]\r\nc=3\r\n");
    IniFile ini(path);
    ini.WriteInt("A", "new", 9);
    ini.WriteInt("B", "d", 4);
    ini.WriteInt("C", "e", 5);
    ASSERT_TRUE(ini.Save());
    EXPECT_EQ(ReadFile(path), "[A]\r\na=1\r\n; note\r\nb=2\r\nnew=9\r\n\r\n[B]\r\nc=3\r\nd=4\r\n\r\n[C]\r\ne=5\r\n");
}

TEST_F(IniFileOnDisk, LfFileIsWrittenBackWithCrlf) {
    WriteFile(path, "[A]\na=1\nkeep=me\n");
    IniFile ini(path);
    ini.WriteInt("A", "a", 2);
    ASSERT_TRUE(ini.Save());
    EXPECT_EQ(ReadFile(path), "[A]\r\na=2\r\nkeep=me\r\n");
}

TEST_F(IniFileOnDisk, NewFileIsCreatedWithCrlfLines) {
    IniFile ini(path);
    EXPECT_TRUE(ini.Readable());
    ini.WriteString("Setting", "Name", "value");
    ini.WriteInt("Setting", "Number", -3);
    ASSERT_TRUE(ini.Save());
    EXPECT_EQ(ReadFile(path), "[Setting]\r\nName=value\r\nNumber=-3\r\n");
}

TEST_F(IniFileOnDisk, SaveWithoutChangesWritesNothing) {
    IniFile ini(path);
    EXPECT_TRUE(ini.Save());
    EXPECT_FALSE(test::Exists(path));
}

TEST_F(IniFileOnDisk, ClearDropsEverything) {
    WriteFile(path, "[Old]\r\nk=1\r\n");
    IniFile ini(path);
    ini.Clear();
    ini.WriteInt("New", "k", 2);
    ASSERT_TRUE(ini.Save());
    EXPECT_EQ(ReadFile(path), "[New]\r\nk=2\r\n");
}

TEST_F(IniFileOnDisk, FolderInPlaceOfTheFileIsUnreadableAndNotReplaced) {
    std::filesystem::create_directories(path);
    IniFile ini(path);
    EXPECT_FALSE(ini.Readable());
    ini.WriteInt("A", "b", 1);
    EXPECT_FALSE(ini.Save());
    EXPECT_TRUE(std::filesystem::is_directory(path));
}

TEST(StructCodec, EncodesUpperCaseHexAndByteSum) {
    const unsigned char bytes[] = {0x01, 0xAB, 0xFF, 0x00, 0x7e};
    // 0x01 + 0xAB + 0xFF + 0x00 + 0x7E = 0x229
    EXPECT_EQ(EncodeStruct(bytes, sizeof bytes), "01ABFF007E29");
    EXPECT_EQ(EncodeStruct(bytes, 0), "00");
}

TEST(StructCodec, DecodesUpperAndLowerCase) {
    unsigned char out[5] = {};
    ASSERT_TRUE(DecodeStruct("01ABFF007E29", out, sizeof out));
    EXPECT_EQ(std::memcmp(out, "\x01\xAB\xFF\x00\x7E", 5), 0);
    std::memset(out, 0, sizeof out);
    ASSERT_TRUE(DecodeStruct("01abff007e29", out, sizeof out));
    EXPECT_EQ(std::memcmp(out, "\x01\xAB\xFF\x00\x7E", 5), 0);
}

TEST(StructCodec, DamagedValuesAreRejectedAndLeaveTheBufferAlone) {
    for (std::string_view bad : {
             "01ABFF00AB",      // one byte short, checksum of the short bytes
             "01ABFF007E0029",  // one byte long, checksum of all
             "01ABFF007E2A",    // wrong checksum
             "01ABFF007E",      // no checksum
             "01ABFF007E2",     // odd length
             "0GABFF007E29",    // not hex
             "01ABFF007E 9",    // blank inside
             "",
         }) {
        unsigned char out[5];
        std::memset(out, 0x5A, sizeof out);
        EXPECT_FALSE(DecodeStruct(bad, out, sizeof out)) << bad;
        for (unsigned char c : out) EXPECT_EQ(c, 0x5A) << bad;
    }
}

// Long values (a key entry is 2532 bytes) are decoded many digits at a
// time; every digit position of a value longer than such a block, with
// every kind of character next to the hexadecimal ranges, must be judged
// like a lone digit.
TEST(StructCodec, EveryDigitOfALongValueIsChecked) {
    unsigned char in[37];
    for (std::size_t i = 0; i < sizeof in; ++i) in[i] = static_cast<unsigned char>(0x9D * i + 0x3A);
    const std::string good = EncodeStruct(in, sizeof in);
    std::string lower = good;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    unsigned char out[sizeof in] = {};
    ASSERT_TRUE(DecodeStruct(lower, out, sizeof out));
    EXPECT_EQ(std::memcmp(in, out, sizeof in), 0);
    for (std::size_t pos = 0; pos < good.size(); ++pos) {
        for (char bad : {'/', ':', '@', 'G', '`', 'g', ' ', '\0', '\x80', '\xC1', '\xFF', '\x10', '\x1A'}) {
            std::string text = good;
            text[pos] = bad;
            std::memset(out, 0x5A, sizeof out);
            ASSERT_FALSE(DecodeStruct(text, out, sizeof out)) << "position " << pos << " char " << int(bad);
            for (unsigned char c : out) ASSERT_EQ(c, 0x5A);
        }
        // A different valid digit breaks the checksum (or is the checksum).
        std::string text = good;
        text[pos] = text[pos] == '7' ? '8' : '7';
        ASSERT_FALSE(DecodeStruct(text, out, sizeof out)) << "position " << pos;
    }
}

TEST(StructCodec, IniStructValuesRoundTripAndFailWhenMissing) {
    IniFile ini = FromText("");
    unsigned char in[300];
    for (std::size_t i = 0; i < sizeof in; ++i) in[i] = static_cast<unsigned char>(i * 7);
    ini.WriteStruct("S", "blob", in, sizeof in);
    unsigned char out[300] = {};
    ASSERT_TRUE(ini.ReadStruct("S", "blob", out, sizeof out));
    EXPECT_EQ(std::memcmp(in, out, sizeof in), 0);
    EXPECT_FALSE(ini.ReadStruct("S", "blob", out, sizeof out - 1));
    EXPECT_FALSE(ini.ReadStruct("S", "missing", out, sizeof out));
}

}  // namespace
}  // namespace kelm
