#include "comm/version_dialog.h"

#include "foundation/file_version.h"
#include "foundation/registry_key.h"
#include "foundation/settings.h"
#include "foundation/text.h"
#include "foundation/trace.h"

namespace vix {

namespace {

std::string VersionOfModule(const char* valueName, const char* defaultFile, const char* driver, const char* model) {
    char path[kTextMax] = "";
    if (!FindModulePath(valueName, defaultFile, driver, model, path, sizeof(path))) return std::string();
    return GetFileVersionString(path, "ProductVersion");
}

std::string OwnFileVersion() {
    HMODULE self = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCSTR>(&OwnFileVersion), &self)) {
        return std::string();
    }
    char path[MAX_PATH] = "";
    if (!GetModuleFileNameA(self, path, MAX_PATH)) return std::string();
    return GetFileVersionString(path, "ProductVersion");
}

}  // namespace

VersionDialogData GatherVersionDialogData(const char* driver, const char* model) {
    TraceScope ts("GatherVersionDialogData");
    VersionDialogData d;
    char keyPath[kTextMax] = "";
    RegistryKey driverKey;
    if (DriverKeyPath(driver, keyPath, sizeof(keyPath))) driverKey.Open(HKEY_LOCAL_MACHINE, keyPath);

    // The model's section: the caller's model, else the driver key's "ModelID".
    char modelId[kTextMax] = "";
    if (!model || !model[0] || !CopyText(modelId, model, TextFit::Fail)) driverKey.ReadString("ModelID", modelId, sizeof(modelId));
    char profile[kTextMax] = "";
    if (FindProfile(driver, modelId, profile, sizeof(profile))) {
        char value[kTextMax] = "";
        GetPrivateProfileStringA(modelId, "ZVWVER", "N/A", value, sizeof(value), profile);
        d.driverVersion = value;
    }
    d.launcherVersion = VersionOfModule("Z_SENV", "VIXRUN2.EXE", driver, modelId);
    d.coreVersion = OwnFileVersion();

    LibraryVersionInputs in;
    char file[kTextMax] = "";
    if (driverKey.ReadString("QKAPI32", file, sizeof(file)) && file[0]) in.file = file;
    in.level = driverKey.ReadDword("QKAPI_VERSION", 0);
    in.sagentType = driverKey.ReadDword("SAgentType", 0);
    char network[kTextMax] = "";
    driverKey.ReadString("ADDNETWORK_NAME", network, sizeof(network));
    in.addNetworkName = network;
    RegistryKey info;
    if (info.Open(HKEY_LOCAL_MACHINE, "software\\ZARVO\\QKAPIInfo")) {
        char v[kTextMax];
        if (info.ReadString("QKAPIVersion", v, sizeof(v))) in.qkapiVersion = v;
        if (info.ReadString("Version", v, sizeof(v))) in.version = v;
        if (info.ReadString("QKAPI4Version", v, sizeof(v))) in.qkapi4Version = v;
        if (info.ReadString("QKAPI2Version", v, sizeof(v))) in.qkapi2Version = v;
    }
    d.library = DecideLibraryVersion(in);
    if (d.library.showSecondModule) d.secondModuleVersion = VersionOfModule("Z_SRCV", nullptr, driver, modelId);
    if (EqualsNoCase(in.file, "QKAPI.DLL")) {
        HMODULE h = LoadLibraryA(in.file.c_str());
        if (h) {
            d.showEnvControls = GetProcAddress(h, "QKGetEnvInfo") == nullptr;
            FreeLibrary(h);
        }
    }
    return d;
}

void CVersionInfoDlg::Fill(HWND hDlg) const {
    if (m_data.driverVersion != "N/A") SetDlgItemTextA(hDlg, IDC_VER_DRIVER, m_data.driverVersion.c_str());
    SetDlgItemTextA(hDlg, IDC_VER_LAUNCHER, m_data.launcherVersion.c_str());
    SetDlgItemTextA(hDlg, IDC_VER_CORE, m_data.coreVersion.c_str());
    const int libShow = m_data.library.showLibraryVersion ? SW_SHOW : SW_HIDE;
    ShowWindow(GetDlgItem(hDlg, IDC_VER_LIBRARY), libShow);
    ShowWindow(GetDlgItem(hDlg, IDC_VER_LIBRARY_LABEL), libShow);
    if (!m_data.library.text.empty()) SetDlgItemTextA(hDlg, IDC_VER_LIBRARY, m_data.library.text.c_str());
    const int secondShow = m_data.library.showSecondModule ? SW_SHOW : SW_HIDE;
    ShowWindow(GetDlgItem(hDlg, IDC_VER_SECOND_MODULE), secondShow);
    ShowWindow(GetDlgItem(hDlg, IDC_VER_SECOND_MODULE_LABEL), secondShow);
    if (m_data.library.showSecondModule)
        SetDlgItemTextA(hDlg, IDC_VER_SECOND_MODULE, m_data.secondModuleVersion.c_str());
    const int envShow = m_data.showEnvControls ? SW_SHOW : SW_HIDE;
    ShowWindow(GetDlgItem(hDlg, IDC_VER_ENV1), envShow);
    ShowWindow(GetDlgItem(hDlg, IDC_VER_ENV2), envShow);
}

INT_PTR CALLBACK CVersionInfoDlg::DialogProc(HWND hDlg, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_INITDIALOG:
            SetWindowLongPtrA(hDlg, DWLP_USER, lp);
            reinterpret_cast<const CVersionInfoDlg*>(lp)->Fill(hDlg);
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wp) == IDOK) {
                EndDialog(hDlg, 1);
                return TRUE;
            }
            if (LOWORD(wp) == IDCANCEL) {
                EndDialog(hDlg, 2);
                return TRUE;
            }
            break;
        case WM_CLOSE:
            EndDialog(hDlg, 2);
            return TRUE;
    }
    return FALSE;
}

INT_PTR CVersionInfoDlg::DoModal(HWND owner) {
    if (!m_hResource || !FindResourceA(m_hResource, MAKEINTRESOURCEA(IDD_VERSION_INFO), MAKEINTRESOURCEA(5)))
        return -1;
    return DialogBoxParamA(m_hResource, MAKEINTRESOURCEA(IDD_VERSION_INFO), owner, &CVersionInfoDlg::DialogProc,
                           reinterpret_cast<LPARAM>(this));
}

}  // namespace vix
