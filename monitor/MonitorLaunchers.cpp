// CMonitorWnd: the tray icon and the programs the monitor starts.
#include "monitor/CMonitorWnd.h"
#include "platform/Debug.h"

namespace kelm {

// The monitor shows its own icon only while the keyboard is connected and
// no Pact monitor speaks for the maker's devices.
void CMonitorWnd::UpdateTrayIcon() {
    if (ports_.tray == nullptr) return;
    if (flags_.deviceState.load() == kDeviceConnected && !pactActive_)
        ports_.tray->Add();
    else
        ports_.tray->Remove();
}

// Reached from the icon and from other programs (message 1036) alike; the
// icon's own right button opens the menu without coming here.
void CMonitorWnd::OnSystrayNotify(std::uint32_t mouseMessage) {
    switch (mouseMessage) {
        case WM_LBUTTONDOWN:
            if (ports_.tray != nullptr) ports_.tray->RaisePopup();
            break;
        case WM_LBUTTONDBLCLK:
            DebugOutput("OnSystrayNotify WM_LBUTTONDBLCLK\n");
            OnCustomizer();
            break;
        case WM_RBUTTONDOWN:
            // The choice comes back as a command.
            DebugOutput("OnSystrayNotify WM_RBUTTONDOWN\n");
            if (ports_.tray != nullptr) ports_.tray->ShowMenu();
            break;
        default:
            break;
    }
}

void CMonitorWnd::OnCustomizer() {
    DebugOutput("CMonitorWnd OnCustomizer\n");
    if (ports_.windows.FindWindow(kSetupTitle)) {
        DebugOutput("CMonitorWnd OnCustomizer hWnd!=NULL\n");
        ports_.windows.PostMessage(kSetupTitle, activateMessage_, 0, 0);
    } else {
        DebugOutput("CMonitorWnd OnCustomizer hWnd==NULL\n");
        StartProgram("KelmSetup");
    }
}

// A program of the suite that is missing fails silently, as a failed start
// of any program does.
void CMonitorWnd::StartProgram(const std::string& relativePath, std::vector<std::string> arguments) {
    ports_.launcher.StartProgram(ports_.where.programFolder + relativePath, arguments);
}

}  // namespace kelm
