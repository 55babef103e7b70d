// A test bench program run as a child process that takes one command a line
// on its standard input and answers one line on its standard output.
#ifndef VIX_TESTS_BED_CHILD_H
#define VIX_TESTS_BED_CHILD_H

#include <windows.h>

#include <string>

#include "foundation/handles.h"

namespace vixtest {

class BedChild {
public:
    BedChild() = default;
    // Ends the child: closes its input and waits for it (killed after 10 s).
    ~BedChild();
    BedChild(const BedChild&) = delete;
    BedChild& operator=(const BedChild&) = delete;

    // Starts a program of the bench's directory, e.g. "tablebed.exe".
    bool Start(const std::string& program);
    // Sends a command and returns the answer line (empty when the child ended).
    std::string Ask(const std::string& command);
    // Closes the child's input and waits for it to end.
    void Stop();

private:
    vix::UniqueHandle m_hProcess, m_hIn, m_hOut;
};

}  // namespace vixtest

#endif
