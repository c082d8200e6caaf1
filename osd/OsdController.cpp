#include "osd/OsdController.h"

#include <QByteArrayView>
#include <QStringDecoder>
#include <utility>

#include "suite/SuiteIds.h"

namespace kelm {

OsdPosition OsdPositionFromParam(std::int64_t lParam) {
    const auto bits = static_cast<std::uint64_t>(lParam);
    return {static_cast<std::int16_t>((bits >> 16) & 0xFFFF), static_cast<std::int16_t>(bits & 0xFFFF)};
}

std::string ProfileText(const ProfileGlance& profile) {
    std::string text = "Profile " + std::to_string(profile.slot + 1);
    if (!profile.name.empty()) text += ": " + profile.name;
    return text;
}

std::string DisplayTextUtf8(const std::string& text) {
    const QByteArrayView bytes(text.data(), static_cast<qsizetype>(text.size()));
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = utf8.decode(bytes);
    if (!utf8.hasError()) return text;
    return QString::fromLatin1(bytes).toStdString();
}

Notification OsdNotification() { return {"KelmOSD", "input-keyboard", "Kelm", "", OsdController::kShowTime}; }

void OsdController::UseNotifications(INotifier& notifier, std::function<void(const std::string& why)> fallBack) {
    notifier_ = &notifier;
    fallBack_ = std::move(fallBack);
    output_ = Output::FindingServer;
}

void OsdController::Start() {
    LookAtProfile();
    timers_.SetTimer(TIMER_LOOK_AT_PROFILE, kProfileLookInterval);
    if (output_ != Output::FindingServer) return;
    awaitingAnswer_ = true;
    timers_.SetTimer(TIMER_NOTIFY_ANSWER, kNotifyAnswerTime);
    notifier_->FindServer([this](const INotifier::Answer& answer) { OnServerFound(answer); });
}

std::int64_t OsdController::WindowProc(const WindowMessage& message) {
    if (closed_) return 0;
    switch (message.msg) {
        case MSG_OSD_SHOW_TEXT:
            ShowStoredText();
            return 1;
        case MSG_OSD_POSITION: {
            const OsdPosition at = OsdPositionFromParam(message.lParam);
            view_.MoveTo(at.x, at.y);
            return 1;
        }
        case WM_CLOSE:
            closed_ = true;
            timers_.KillTimer(TIMER_HIDE_TEXT);
            timers_.KillTimer(TIMER_LOOK_AT_PROFILE);
            timers_.KillTimer(TIMER_NOTIFY_ANSWER);
            view_.HideText();
            quit_();
            return 0;
        default:
            return 0;
    }
}

void OsdController::ShowStoredText() { Present(sources_.readText()); }

void OsdController::Present(const std::string& text) {
    switch (output_) {
        case Output::Window:
            if (text.empty())
                Hide();
            else
                Show(text);
            return;
        case Output::FindingServer:
            held_ = text;
            return;
        case Output::Notifications:
            // One call at a time, so that each names the one before it.
            if (awaitingAnswer_)
                held_ = text;
            else if (!text.empty())
                SendNotification(text);
            else if (shownId_ != 0)
                notifier_->Close(std::exchange(shownId_, 0));
            return;
    }
}

void OsdController::Show(const std::string& text) {
    view_.ShowText(text);
    timers_.SetTimer(TIMER_HIDE_TEXT, kShowTime);
}

void OsdController::Hide() {
    timers_.KillTimer(TIMER_HIDE_TEXT);
    view_.HideText();
}

void OsdController::OnServerFound(const INotifier::Answer& answer) {
    if (closed_ || output_ != Output::FindingServer) return;
    awaitingAnswer_ = false;
    timers_.KillTimer(TIMER_NOTIFY_ANSWER);
    if (!answer.error.empty()) return FallBack("no notification server (" + answer.error + ")");
    output_ = Output::Notifications;
    if (held_) Present(*std::exchange(held_, std::nullopt));
}

void OsdController::SendNotification(const std::string& text) {
    awaitingAnswer_ = true;
    sent_ = text;
    timers_.SetTimer(TIMER_NOTIFY_ANSWER, kNotifyAnswerTime);
    Notification notification = OsdNotification();
    notification.body = DisplayTextUtf8(text);
    notifier_->Notify(notification, shownId_, [this](const INotifier::Answer& answer) { OnNotified(answer); });
}

void OsdController::OnNotified(const INotifier::Answer& answer) {
    if (closed_ || output_ != Output::Notifications || !awaitingAnswer_) return;
    awaitingAnswer_ = false;
    timers_.KillTimer(TIMER_NOTIFY_ANSWER);
    if (!answer.error.empty()) {
        if (!held_) held_ = sent_;
        return FallBack("the notification server failed (" + answer.error + ")");
    }
    shownId_ = answer.id;
    if (held_) Present(*std::exchange(held_, std::nullopt));
}

void OsdController::FallBack(const std::string& why) {
    output_ = Output::Window;
    awaitingAnswer_ = false;
    timers_.KillTimer(TIMER_NOTIFY_ANSWER);
    fallBack_(why);
    if (held_) Present(*std::exchange(held_, std::nullopt));
}

void OsdController::LookAtProfile() {
    const std::optional<ProfileGlance> profile = sources_.readProfile();
    if (!profile) {
        lastSlot_.reset();
        return;
    }
    const bool changed = lastSlot_ && *lastSlot_ != profile->slot;
    lastSlot_ = profile->slot;
    if (changed) Present(ProfileText(*profile));
}

void OsdController::OnTimer(unsigned id) {
    if (closed_) return;
    switch (id) {
        case TIMER_LOOK_AT_PROFILE:
            LookAtProfile();
            return;
        case TIMER_HIDE_TEXT:
            Hide();
            return;
        case TIMER_NOTIFY_ANSWER:
            timers_.KillTimer(TIMER_NOTIFY_ANSWER);
            if (!awaitingAnswer_) return;
            if (output_ == Output::Notifications && !held_) held_ = sent_;
            FallBack(std::string(output_ == Output::FindingServer ? "no notification server answered"
                                                                  : "the notification server did not answer") +
                     " within " + std::to_string(kNotifyAnswerTime.count() / 1000) + " s");
            return;
        default:
            return;
    }
}

}  // namespace kelm
