// RegistryKey: one open registry key, closed when the object goes.
#ifndef VIX_FOUNDATION_REGISTRY_KEY_H
#define VIX_FOUNDATION_REGISTRY_KEY_H

#include <windows.h>

#include <cstddef>
#include <memory>
#include <string>

namespace vix {

class RegistryKey {
public:
    RegistryKey() = default;
    ~RegistryKey() { Close(); }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    RegistryKey(RegistryKey&& other) noexcept;
    RegistryKey& operator=(RegistryKey&& other) noexcept;

    // Opens (or with bCreate creates) root\subKey. An access mask of 0 means
    // KEY_ALL_ACCESS when creating and KEY_READ when opening. *pbCreated
    // tells whether a new key was made. Returns IsOpen().
    bool Open(HKEY hRoot, const char* subKey, bool bCreate = false, REGSAM access = 0, bool* pbCreated = nullptr);
    void Close();
    bool IsOpen() const { return m_hKey != nullptr; }
    HKEY Handle() const { return m_hKey; }
    REGSAM Access() const { return m_access; }

    // The name of sub-key `index` (up to 255 characters), or "".
    std::string EnumSubKey(DWORD index, std::string* pClass = nullptr) const;

    // A string value. With sizeHint the value is read into a buffer of that
    // many bytes and a longer value is not read; without one its size is
    // asked first. A missing, unreadable or non-text value gives the default.
    std::string ReadString(const char* name, const char* def = "", std::size_t sizeHint = 0) const;
    // The checked form for fixed buffers: reads into dst[0..cap) (a value
    // that does not fit is not read) and returns true when a value was read.
    bool ReadString(const char* name, char* dst, std::size_t cap) const;

    DWORD ReadDword(const char* name, DWORD def) const;
    // 0xFFFFFFFF when the key is not open or the value is missing.
    DWORD ReadDword(const char* name) const { return ReadDword(name, 0xFFFFFFFFu); }
    // Size in bytes of a value, 0 when missing or not open.
    DWORD ValueSize(const char* name) const;
    // A binary value in a new buffer of its size, or none.
    std::unique_ptr<unsigned char[]> ReadBinary(const char* name, DWORD* pSize) const;

    bool WriteDword(const char* name, DWORD value) const;
    bool WriteBinary(const char* name, const void* data, DWORD size) const;
    bool WriteString(const char* name, const char* text) const;
    bool DeleteValue(const char* name) const;

private:
    HKEY m_hKey = nullptr;
    REGSAM m_access = 0;
};

}  // namespace vix

#endif
