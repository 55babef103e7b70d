// What the registry tells about the printing system's bidirectional
// components of a driver: their generation, whether they are installed,
// whether they offer sharing and whether a shared printer may be monitored.
#ifndef VIX_CORE_QK_PRINTER_INFO_H
#define VIX_CORE_QK_PRINTER_INFO_H

namespace vix {

class CQkPrinterInfo {
public:
    explicit CQkPrinterInfo(const char* driver);

    int Generation() const { return m_iGeneration; }
    bool IsInstalled() const;
    bool IsShareAvailable() const;
    bool IsMonitoringAllowed() const;

private:
    char m_szDriver[260] = "";
    int m_iGeneration = 0;  // 1 to 4; 0 when the driver key is missing
};

}  // namespace vix

#endif
