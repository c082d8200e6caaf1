#include <gtest/gtest.h>

#include "platform/MessageFrame.h"

namespace kelm {
namespace {

WindowMessage Sent(std::uint32_t msg, std::uint64_t wParam, std::int64_t lParam) {
    WindowMessage m;
    m.kind = MessageKind::Send;
    m.msg = msg;
    m.wParam = wParam;
    m.lParam = lParam;
    return m;
}

TEST(MessageFrame, HeaderBytesAreLittleEndianAtTheirOffsets) {
    const std::string frame = EncodeFrame(Sent(1224, 0x0102030405060708u, -2));
    ASSERT_EQ(frame.size(), kFrameHeaderSize);
    EXPECT_EQ(frame.substr(0, 4), "KWM1");
    EXPECT_EQ(frame.substr(4, 4), std::string("\x02\0\0\0", 4));
    EXPECT_EQ(frame.substr(8, 4), std::string("\xC8\x04\0\0", 4));
    EXPECT_EQ(frame.substr(12, 4), std::string(4, '\0'));
    EXPECT_EQ(frame.substr(16, 8), std::string("\x08\x07\x06\x05\x04\x03\x02\x01", 8));
    EXPECT_EQ(frame.substr(24, 8), std::string("\xFE\xFF\xFF\xFF\xFF\xFF\xFF\xFF", 8));
    EXPECT_EQ(frame.substr(32, 8), std::string(8, '\0'));
}

TEST(MessageFrame, CopyDataRoundTripsWithFullPayload) {
    WindowMessage m;
    m.kind = MessageKind::CopyData;
    m.msg = WM_COPYDATA;
    m.dwData = 0xDEADBEEF;
    m.data.assign(kMaxCopyData, '\0');
    for (std::size_t i = 0; i < m.data.size(); ++i) m.data[i] = static_cast<char>(i * 7);
    const std::string frame = EncodeFrame(m);
    ASSERT_EQ(frame.size(), kMaxFrameSize);

    EXPECT_EQ(DecodeFrame(std::string_view(frame).substr(0, frame.size() - 1)).status, FrameStatus::NeedMore);
    const DecodedFrame decoded = DecodeFrame(frame + "next frame");
    ASSERT_EQ(decoded.status, FrameStatus::Complete);
    EXPECT_EQ(decoded.size, frame.size());
    EXPECT_EQ(decoded.message.kind, MessageKind::CopyData);
    EXPECT_EQ(decoded.message.dwData, 0xDEADBEEFu);
    EXPECT_EQ(decoded.message.data, m.data);
}

TEST(MessageFrame, RepliesAreSigned64Bit) {
    for (const std::int64_t value : {std::int64_t{0}, std::int64_t{-1}, INT64_MIN, INT64_MAX})
        EXPECT_EQ(DecodeReply(EncodeReply(value)), value);
    const auto reply = EncodeReply(1);
    EXPECT_EQ(std::string(reply.data(), reply.size()), std::string("\x01\0\0\0\0\0\0\0", 8));
}

TEST(MessageFrame, EncoderRefusesWhatCannotTravel) {
    WindowMessage tooLong;
    tooLong.kind = MessageKind::CopyData;
    tooLong.msg = WM_COPYDATA;
    tooLong.data.assign(kMaxCopyData + 1, 'x');
    EXPECT_TRUE(EncodeFrame(tooLong).empty());
    EXPECT_TRUE(EncodeFrame(Sent(WM_COPYDATA, 0, 0)).empty());  // WM_COPYDATA without its data block
    WindowMessage postWithData = Sent(1254, 0, 0);
    postWithData.kind = MessageKind::Post;
    postWithData.data = "x";
    EXPECT_TRUE(EncodeFrame(postWithData).empty());
}

// "a" and "foobar" are published FNV-1a-32 test vectors; the Pact numbers
// were worked out independently. Nothing but the name goes in, so every
// process gets the same numbers.
TEST(RegisterWindowMessage, FollowsFnv1aInTheRegisteredRange) {
    EXPECT_EQ(RegisterWindowMessage("a"), 0xC000u + 0xE40C292Cu % 0x4000u);
    EXPECT_EQ(RegisterWindowMessage("foobar"), 0xC000u + 0xBF9CF968u % 0x4000u);
    EXPECT_EQ(RegisterWindowMessage("WM_PACT_ACTIVE_STATUS_FROM_PACT"), 0xD792u);
    EXPECT_EQ(RegisterWindowMessage("WM_PACT_ACTIVE_STATUS_TO_PACT"), 0xDB15u);
    EXPECT_EQ(RegisterWindowMessage(""), 0u);
    for (const char* name :
         {"WM_PACT_ACTIVE_STATUS_FROM_PACT", "WM_PACT_ACTIVE_STATUS_TO_PACT", "WM_PACT_MONITOR_STATUS_CHANGE",
          "WM_PACT_AMBIENT_EVENT_LIGHT_FROM_PACT", "WM_PACT_DEVICE_STATUS_CHANGE_TO_PACTMONITOR"}) {
        const std::uint32_t id = RegisterWindowMessage(name);
        EXPECT_GE(id, 0xC000u) << name;
        EXPECT_LE(id, 0xFFFFu) << name;
    }
}

}  // namespace
}  // namespace kelm
