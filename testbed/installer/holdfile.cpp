// vixholdfile PATH READY-EVENT STOP-EVENT: holds a file open the way a
// running process holds a module it uses (reading, sharing reading only, so
// nobody may write, delete or rename it) until the stop event is set.
// Exit code 0 after holding, 2 when the file could not be opened.
#include <windows.h>

int main(int argc, char** argv) {
    if (argc < 4) return 1;
    HANDLE file = CreateFileA(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[2]);
    HANDLE stop = OpenEventA(SYNCHRONIZE, FALSE, argv[3]);
    if (file == INVALID_HANDLE_VALUE || !ready || !stop) {
        if (ready) SetEvent(ready);
        return 2;
    }
    SetEvent(ready);
    WaitForSingleObject(stop, 120000);
    CloseHandle(file);
    CloseHandle(ready);
    CloseHandle(stop);
    return 0;
}
