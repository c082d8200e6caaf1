#include "monitor/MediaControl.h"

#include "platform/LaunchTarget.h"
#include "settings/Text.h"

namespace kelm {

std::optional<MediaPlayer> PlayerOfOption(int mediaOption) {
    switch (mediaOption) {
        case 0:
            return MediaPlayer::DesktopDefault;
        case 1:
            return MediaPlayer::Rhythmbox;
        case 2:
            return MediaPlayer::Vlc;
        case 3:
            return MediaPlayer::Audacious;
        default:
            return std::nullopt;
    }
}

void HostMediaControl::MediaFunction(std::uint8_t code, std::uint8_t releaseFlag, int mediaOption) {
    if (releaseFlag != 0) return;
    const auto player = PlayerOfOption(mediaOption);
    if (!player) return;
    switch (code) {
        case kMediaOpenPlayer:
            OpenPlayer(*player);
            break;
        case kMediaNext:
            players_.Send(*player, PlayerCommand::Next);
            break;
        case kMediaPrevious:
            players_.Send(*player, PlayerCommand::Previous);
            break;
        case kMediaPlayPause:
            PlayPause(*player);
            break;
        case kMediaStop:
            players_.Send(*player, PlayerCommand::Stop);
            break;
        default:
            break;
    }
}

// A running player comes to the front instead of a second one starting.
void HostMediaControl::OpenPlayer(MediaPlayer player) {
    if (!players_.Send(player, PlayerCommand::Raise)) players_.Start(player);
}

void HostMediaControl::PlayPause(MediaPlayer player) {
    if (player != MediaPlayer::Audacious) {
        players_.Send(player, PlayerCommand::PlayPause);
        return;
    }
    if (players_.Send(player, playSent_ ? PlayerCommand::Pause : PlayerCommand::Play)) playSent_ = !playSent_;
}

void HostMediaControl::QuickLaunch(const MacroKeyInfo& entry) {
    const auto target = ResolveLaunchTarget(FieldText(entry.QuickLaunchPath), workingFolder_);
    if (!target) return;
    if (target->kind == LaunchTarget::Kind::Program)
        launcher_.StartProgram(target->target, {});
    else
        launcher_.OpenDocument(target->target);
}

}  // namespace kelm
