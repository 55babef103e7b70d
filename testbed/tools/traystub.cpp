// traystub: stands in for the tray agent a driver installs. Records how it
// was started into the file named by the environment variable
// VIXBED_TRAYSTUB_LOG: a line "cmdline:" with its whole command line, and
// for a "/F" start a line "file:" with the parameter file's name followed by
// the file's bytes. Like the agent, it deletes the parameter file it read.
// The record appears at once (written aside, then renamed).
#include <windows.h>

#include <cstdio>
#include <string>

#include "foundation/param_file.h"
#include "whole_file.h"

int main() {
    char log[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("VIXBED_TRAYSTUB_LOG", log, sizeof(log));
    if (n == 0 || n >= sizeof(log)) return 1;
    const char* commandLine = GetCommandLineA();
    std::string record = std::string("cmdline:") + commandLine + "\n";

    std::string file;
    vix::ScanCommandLine(commandLine, [&file](const vix::CmdSwitch& sw) {
        if (sw.name == "F" || sw.name == "f") file.assign(sw.value);
    });
    if (!file.empty()) {
        std::string path = file;
        if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
            char dir[MAX_PATH] = "";
            GetTempPathA(sizeof(dir), dir);
            path = dir + file;
        }
        record += "file:" + file + "\n" + vixbed::ReadWholeFile(path);
        DeleteFileA(path.c_str());
    }

    std::string part = std::string(log) + ".part";
    FILE* fp = std::fopen(part.c_str(), "wb");
    if (!fp) return 1;
    std::fwrite(record.data(), 1, record.size(), fp);
    std::fclose(fp);
    return MoveFileExA(part.c_str(), log, MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
