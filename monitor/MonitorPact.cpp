// CMonitorWnd: Pact status sharing with the maker's other devices.
#include "monitor/CMonitorWnd.h"
#include "monitor/PactKeys.h"

namespace kelm {

void CMonitorWnd::PublishDeviceStatus(int value) {
    pactRegistration_.WriteDeviceStatus(value);
    ports_.windows.PostMessage(kPactMonitorTitle, ports_.pactMessages.deviceStatusToMonitor, 0, 0);
}

void CMonitorWnd::OnPactKey(std::uint16_t data) {
    const auto out = ReadView([&](const SettingsRecord& r) -> std::optional<PactKeyRecord> {
        if (!IsValidSlot(r.CurrentProfile)) return std::nullopt;
        return PactKeyFunction(data, r.Profiles[r.CurrentProfile], duoLayerLock_);
    });
    if (!out || !pactActive_) return;
    // A block that cannot be written only skips the write: the Pact monitor
    // is told all the same, so the devices still follow the key.
    ports_.pactBlocks.WriteStatus(out->record);
    ports_.windows.PostMessage(kPactMonitorTitle, ports_.pactMessages.activeStatusToPact, out->wParam, 0);
}

void CMonitorWnd::ResetPactStatus() {
    duoLayerLock_ = false;
    if (!pactActive_) return;
    ports_.pactBlocks.WriteStatus(PactResetRecord());
    ports_.windows.PostMessage(kPactMonitorTitle, ports_.pactMessages.activeStatusToPact, 0, 0);
}

void CMonitorWnd::OnPactMonitorStatusChange(std::int64_t lParam) {
    if (lParam != 0) {
        if (ports_.pactBlocks.OpenStatus()) ports_.pactBlocks.ReadStatus(pactIn_);
        if (ports_.pactBlocks.OpenAmbient()) ports_.pactBlocks.ReadAmbient(ambient_);
        pactActive_ = true;
    } else {
        ports_.pactBlocks.CloseStatus();
        ports_.pactBlocks.CloseAmbient();
        pactActive_ = false;
    }
    UpdateTrayIcon();
}

void CMonitorWnd::OnPactStatusFromPact() {
    if (!ports_.pactBlocks.ReadStatus(pactIn_) || !IsForThisKeyboard(pactIn_)) return;
    const PactRelayData relay{static_cast<std::uint8_t>(pactIn_.DuoLayerState & 0xFF),
                              static_cast<std::uint8_t>(pactIn_.DuoLayerLock & 0xFF)};
    // The keyboard is the worker's: the relay waits behind what it does.
    PostRecordTask([this, relay] {
        if (flags_.deviceState.load() == kDeviceConnected) protocol_.SendPactRelay(relay);
    });
}

void CMonitorWnd::OnRegisteredMessage(const WindowMessage& m) {
    const PactMessages& pact = ports_.pactMessages;
    if (m.msg == pact.activeStatusFromPact) {
        OnPactStatusFromPact();
    } else if (m.msg == pact.monitorStatusChange) {
        OnPactMonitorStatusChange(m.lParam);
    } else if (m.msg == pact.ambientFromPact) {
        ports_.pactBlocks.ReadAmbient(ambient_);
    }
}

}  // namespace kelm
