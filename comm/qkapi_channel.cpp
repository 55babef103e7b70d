#include "comm/qkapi_channel.h"

#include "comm/channel_list.h"
#include "foundation/text.h"
#include "foundation/trace.h"

namespace vix {

CQkApiChannel::CQkApiChannel(long kind, const char* name, DWORD channel, WORD mask) : m_lKind(kind) {
    // Names are texts of at most 259 characters; a longer one is refused.
    if ((kind == qk::KIND_PORT || kind == qk::KIND_PRINTER) && name && BoundedLength(name, kTextMax) < kTextMax) {
        m_strName = name;
        m_bUsable = true;
    }
    if (channel != 0 && IsEnabled() && m_bUsable) SelectChannel(channel, mask);
}

CQkApiChannel::~CQkApiChannel() = default;

int CQkApiChannel::SelectChannel(DWORD channel, WORD mask) {
    TraceScope ts("CQkApiChannel::SelectChannel");
    if (IsChannelOpen()) return -1;
    if (!m_bUsable) return -1;
    if (!m_pChannelList || m_iChannelCount <= 0) {
        long count = GetAvailableChannel(m_lKind, m_strName.c_str());
        if (count <= 0 || !m_pChannelList) {
            m_pChannelList = nullptr;
            m_iChannelCount = -1;
            m_bSelected = 0;
            return -1;
        }
    }
    ChannelListEntry e{};
    if (FindChannel(m_pChannelList, m_nChannelListBytes, m_iChannelCount, channel, mask, &e)) {
        m_dwChannel = e.channel;
        m_wMode = e.mode;
    } else {
        m_dwChannel = 0;
        m_wMode = 0;
    }
    m_bSelected = m_dwChannel == channel && channel != 0 ? 1 : 0;
    return m_bSelected;
}

long CQkApiChannel::OpenChannel() {
    TraceScope ts("CQkApiChannel::OpenChannel");
    if (!m_bSelected || !IsEnabled()) return 0;
    m_hChannel = m_fn.QKOpenChannel(m_lKind, m_strName.c_str(), m_dwChannel);
    TraceWrite(ts, "m_hChannel : %d\n", static_cast<int>(m_hChannel));
    if (m_hChannel <= 0) {
        long r = m_hChannel;
        m_hChannel = -1;  // nothing is open
        return r;
    }
    return m_hChannel;
}

void CQkApiChannel::CloseChannel() {
    if (m_hChannel >= 0 && IsEnabled()) m_fn.QKCloseChannel(m_hChannel);
    m_hChannel = -1;
}

long CQkApiChannel::SetOption(long option, void* value) {
    return IsEnabled() ? m_fn.QKSetOption(m_hChannel, option, value) : -1;
}

long CQkApiChannel::GetDeviceID(char* buffer, LONG* size) {
    return IsEnabled() && m_bUsable ? m_fn.QKGetDeviceID(m_lKind, m_strName.c_str(), buffer, size) : -1;
}

long CQkApiChannel::GetStatus(char* buffer, LONG* size) {
    return IsEnabled() ? m_fn.QKGetStatus(m_hChannel, buffer, size) : -1;
}

long CQkApiChannel::Send(const void* bytes, long length) {
    return IsEnabled() ? m_fn.QKSend(m_hChannel, bytes, length) : -1;
}

long CQkApiChannel::Receive(void* buffer, LONG* size, DWORD timeoutMs) {
    return IsEnabled() ? m_fn.QKReceive(m_hChannel, buffer, size, timeoutMs) : -1;
}

long CQkApiChannel::ReceiveCancel() { return IsEnabled() ? m_fn.QKReceiveCancel(m_hChannel) : -1; }

}  // namespace vix
