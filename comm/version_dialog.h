// The version information dialog: which printer driver, launcher, core
// library and bidirectional library versions are in use. Its template lives
// in the driver's language resource library.
#ifndef VIX_COMM_VERSION_DIALOG_H
#define VIX_COMM_VERSION_DIALOG_H

#include <windows.h>

#include <string>

#include "comm/version_text.h"

namespace vix {

// Template id of the dialog in the resource library.
constexpr WORD IDD_VERSION_INFO = 140;

// Control ids.
enum : int {
    IDC_VER_DRIVER = 289,
    IDC_VER_LAUNCHER = 290,
    IDC_VER_CORE = 291,
    IDC_VER_LIBRARY = 292,
    IDC_VER_SECOND_MODULE = 293,
    IDC_VER_ENV1 = 294,
    IDC_VER_ENV2 = 295,
    IDC_VER_LIBRARY_LABEL = 296,
    IDC_VER_SECOND_MODULE_LABEL = 297,
};

struct VersionDialogData {
    std::string driverVersion = "N/A";  // "ZVWVER"; "N/A" leaves the control alone
    std::string launcherVersion;       // module of "Z_SENV"
    std::string coreVersion;           // this library's own file
    LibraryVersionDisplay library;
    std::string secondModuleVersion;   // module of "Z_SRCV"
    bool showEnvControls = false;      // 294 and 295
};

// Reads everything the dialog shows for a driver and model.
VersionDialogData GatherVersionDialogData(const char* driver, const char* model);

class CVersionInfoDlg {
public:
    CVersionInfoDlg(HINSTANCE hResource, const VersionDialogData& data) : m_hResource(hResource), m_data(data) {}
    // 1 after OK, 2 after the close box, -1 when the template is missing.
    INT_PTR DoModal(HWND owner);
    // Fills the controls of an open dialog window.
    void Fill(HWND hDlg) const;

private:
    static INT_PTR CALLBACK DialogProc(HWND hDlg, UINT msg, WPARAM wp, LPARAM lp);

    HINSTANCE m_hResource;
    VersionDialogData m_data;
};

}  // namespace vix

#endif
