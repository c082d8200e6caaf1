#include <gtest/gtest.h>

#include "emulator/EmuWire.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempFolder.h"

namespace kelm::emu {
namespace {

TEST(EmuWire, FramesSurviveArrivingByteByByte) {
    const std::string stream = EncodeFrame(FrameKind::SetFeature, std::string("\x07\x06\x00\x3F", 4)) +
                               EncodeFrame(FrameKind::Subscribe, "") +
                               EncodeFrame(FrameKind::Control, JoinWords({"fault", "busy", "3"}));
    FrameDecoder decoder;
    std::vector<Frame> frames;
    Frame frame;
    for (char c : stream) {
        decoder.Feed(std::string_view(&c, 1));
        while (decoder.Next(frame) == FrameDecoder::Result::Complete) frames.push_back(frame);
    }
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0].kind, FrameKind::SetFeature);
    EXPECT_EQ(frames[0].payload, std::string("\x07\x06\x00\x3F", 4));
    EXPECT_EQ(frames[1].payload, "");
    EXPECT_EQ(SplitWords(frames[2].payload), (std::vector<std::string>{"fault", "busy", "3"}));
    EXPECT_EQ(decoder.Pending(), 0u);
}

TEST(EmuWire, BrokenFramesAreMalformedForGood) {
    const std::string good = EncodeFrame(FrameKind::Reply, "\1");
    std::string wrongMagic = good;
    wrongMagic[0] = 'X';
    std::string unknownKind = good;
    unknownKind[4] = 9;
    std::string tooLong = EncodeFrame(FrameKind::Reply, "");
    tooLong[11] = 0x7F;
    for (const std::string& bad : {wrongMagic, unknownKind, tooLong}) {
        FrameDecoder decoder;
        Frame frame;
        decoder.Feed(bad);
        EXPECT_EQ(decoder.Next(frame), FrameDecoder::Result::Malformed);
        decoder.Feed(good);
        EXPECT_EQ(decoder.Next(frame), FrameDecoder::Result::Malformed);
    }
}

TEST(EmuWire, PayloadsRoundTrip) {
    std::uint8_t id = 0;
    std::uint32_t length = 0;
    ASSERT_TRUE(DecodeGetRequest(EncodeGetRequest(0x0E, 2083), id, length));
    EXPECT_EQ(id, 0x0E);
    EXPECT_EQ(length, 2083u);
    EXPECT_FALSE(DecodeGetRequest("\x0E", id, length));
    std::uint16_t type = 0, data = 0;
    ASSERT_TRUE(DecodeEvent(EncodeEvent(0xFF00, 0x01AA), type, data));
    EXPECT_EQ(type, 0xFF00);
    EXPECT_EQ(data, 0x01AA);
    EXPECT_FALSE(DecodeEvent("abc", type, data));
    const std::vector<std::string> words = {"record", "", "3"};
    EXPECT_EQ(SplitWords(JoinWords(words)), words);
    EXPECT_TRUE(SplitWords("").empty());
}

TEST(EmuWire, DeviceSettingNamesTheSocket) {
    kelm::test::TempFolder folder;
    const kelm::test::ScopedEnv runtime("XDG_RUNTIME_DIR", folder.Path().c_str());
    EXPECT_EQ(EmuSocketFromDeviceSetting("emu:/run/x.sock"), "/run/x.sock");
    EXPECT_EQ(EmuSocketFromDeviceSetting("emu"), folder.Path() + "/VELDAN/KelmEmu.sock");
    EXPECT_EQ(EmuSocketFromDeviceSetting("hid"), std::nullopt);
    EXPECT_EQ(EmuSocketFromDeviceSetting("emulator"), std::nullopt);
}

TEST(EmuWire, ConnectToNothingSaysWhy) {
    kelm::test::TempFolder folder;
    std::string error;
    EXPECT_FALSE(WireConnection::Connect(folder / "none.sock", &error));
    EXPECT_NE(error.find("none.sock"), std::string::npos);
    EXPECT_FALSE(WireConnection::Connect(std::string(200, 'x'), &error));
}

}  // namespace
}  // namespace kelm::emu
