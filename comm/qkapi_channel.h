// One printer and one of its channels, chosen by channel number and mode
// bits, opened and used through the bidirectional library.
#ifndef VIX_COMM_QKAPI_CHANNEL_H
#define VIX_COMM_QKAPI_CHANNEL_H

#include <string>

#include "comm/qkapi_base.h"

namespace vix {

class CQkApiChannel : public CQkApiLink {
public:
    // A channel number of 0 leaves the selection for later.
    CQkApiChannel(long kind, const char* name, DWORD channel, WORD mask);
    // Does not close the channel: owners cancel and close it first.
    ~CQkApiChannel() override;

    // 1 selected, 0 not in the list or mode bits missing, -1 open or no list.
    int SelectChannel(DWORD channel, WORD mask);
    long OpenChannel();
    void CloseChannel();
    long SetOption(long option, void* value);
    long GetDeviceID(char* buffer, LONG* size);
    long GetStatus(char* buffer, LONG* size);
    long Send(const void* bytes, long length);
    long Receive(void* buffer, LONG* size, DWORD timeoutMs);
    long ReceiveCancel();

    DWORD GetChannel() const { return m_bSelected ? m_dwChannel : 0; }
    WORD GetMode() const { return m_bSelected && m_dwChannel ? m_wMode : 0; }
    long GetHandle() const { return m_hChannel > 0 ? m_hChannel : 0; }
    int IsSelected() const { return m_bSelected; }
    int IsChannelOpen() const { return m_hChannel >= 0; }
    long Kind() const { return m_lKind; }
    const char* Name() const { return m_strName.c_str(); }
    // The kind is 0 or 1 and the name could be copied.
    bool IsUsable() const { return m_bUsable; }

protected:
    long m_lKind;
    std::string m_strName;
    bool m_bUsable = false;
    int m_bSelected = 0;
    DWORD m_dwChannel = 0;
    WORD m_wMode = 0;
    long m_hChannel = -1;
};

}  // namespace vix

#endif
