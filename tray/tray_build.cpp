#include "tray/tray_build.h"

#include "foundation/settings.h"

namespace vix {
namespace tray {

const TrayBuild kBuildVixtray = {
    "vixtray.exe",      {"VixV3MapFile_02", "VixV3MapFile2_02"}, kLauncherVixtray, TrayTraceStyle::Tick,
    TextFit::Cut,       false,                                  false,            0};

const TrayBuild kBuildVixtrayw = {
    "vixtrayw.exe",     {"VixV3MapFile", "VixV3MapFile2"}, kLauncherVixtrayw, TrayTraceStyle::Tick,
    TextFit::Cut,       false,                             false,             0};

const TrayBuild kBuildVixtray4 = {"vixtray4.exe",
                                  {"VixV4MapFile_Ink", "VixV4MapFile_Ink", true},
                                  kLauncherVixtray4,
                                  TrayTraceStyle::PidTick,
                                  TextFit::Fail,
                                  true,
                                  true,
                                  520};

}  // namespace tray
}  // namespace vix
