#include "foundation/registry_key.h"

#include <cstring>
#include <vector>

namespace vix {

RegistryKey::RegistryKey(RegistryKey&& other) noexcept : m_hKey(other.m_hKey), m_access(other.m_access) {
    other.m_hKey = nullptr;
}

RegistryKey& RegistryKey::operator=(RegistryKey&& other) noexcept {
    if (this != &other) {
        Close();
        m_hKey = other.m_hKey;
        m_access = other.m_access;
        other.m_hKey = nullptr;
    }
    return *this;
}

bool RegistryKey::Open(HKEY hRoot, const char* subKey, bool bCreate, REGSAM access, bool* pbCreated) {
    Close();
    if (pbCreated) *pbCreated = false;
    if (!subKey) return false;
    m_access = access ? access : (bCreate ? KEY_ALL_ACCESS : KEY_READ);
    HKEY h = nullptr;
    LONG rc;
    if (bCreate) {
        DWORD disposition = 0;
        rc = RegCreateKeyExA(hRoot, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE, m_access, nullptr, &h, &disposition);
        if (rc == ERROR_SUCCESS && pbCreated) *pbCreated = disposition == REG_CREATED_NEW_KEY;
    } else {
        rc = RegOpenKeyExA(hRoot, subKey, 0, m_access, &h);
    }
    if (rc == ERROR_SUCCESS) m_hKey = h;
    return IsOpen();
}

void RegistryKey::Close() {
    if (m_hKey) {
        RegCloseKey(m_hKey);
        m_hKey = nullptr;
    }
}

std::string RegistryKey::EnumSubKey(DWORD index, std::string* pClass) const {
    if (pClass) pClass->clear();
    if (!m_hKey) return std::string();
    char name[256];
    char cls[256];
    DWORD nameLen = sizeof(name), clsLen = sizeof(cls);
    if (RegEnumKeyExA(m_hKey, index, name, &nameLen, nullptr, cls, &clsLen, nullptr) != ERROR_SUCCESS) {
        return std::string();
    }
    if (pClass) pClass->assign(cls, clsLen < sizeof(cls) ? clsLen : 0);
    return std::string(name, nameLen < sizeof(name) ? nameLen : 0);
}

namespace {
bool IsTextType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ; }

// The stored text up to its first zero; a value need not be terminated.
std::string TextOf(const char* data, DWORD size) {
    std::size_t n = 0;
    while (n < size && data[n]) ++n;
    return std::string(data, n);
}
}  // namespace

std::string RegistryKey::ReadString(const char* name, const char* def, std::size_t sizeHint) const {
    std::string fallback = def ? def : "";
    if (!m_hKey) return fallback;
    DWORD type = 0, size = 0;
    if (sizeHint == 0) {
        if (RegQueryValueExA(m_hKey, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || !IsTextType(type)) {
            return fallback;
        }
        sizeHint = static_cast<std::size_t>(size) + 1;
    }
    std::vector<char> buf(sizeHint + 1, '\0');
    size = static_cast<DWORD>(sizeHint);
    if (RegQueryValueExA(m_hKey, name, nullptr, &type, reinterpret_cast<BYTE*>(buf.data()), &size) != ERROR_SUCCESS ||
        !IsTextType(type)) {
        return fallback;
    }
    return TextOf(buf.data(), size < sizeHint ? size : static_cast<DWORD>(sizeHint));
}

bool RegistryKey::ReadString(const char* name, char* dst, std::size_t cap) const {
    if (!dst || cap == 0) return false;
    dst[0] = '\0';
    if (!m_hKey) return false;
    DWORD type = 0;
    DWORD size = static_cast<DWORD>(cap);
    if (RegQueryValueExA(m_hKey, name, nullptr, &type, reinterpret_cast<BYTE*>(dst), &size) != ERROR_SUCCESS ||
        !IsTextType(type) || size > cap) {
        dst[0] = '\0';
        return false;
    }
    if (size == cap && dst[cap - 1] != '\0') {  // full buffer, no room for the zero
        dst[0] = '\0';
        return false;
    }
    dst[size < cap ? size : cap - 1] = '\0';
    return true;
}

DWORD RegistryKey::ReadDword(const char* name, DWORD def) const {
    if (!m_hKey) return def;
    DWORD type = 0, value = 0, size = sizeof(value);
    if (RegQueryValueExA(m_hKey, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof(value)) {
        return def;
    }
    return value;
}

DWORD RegistryKey::ValueSize(const char* name) const {
    if (!m_hKey) return 0;
    DWORD size = 0;
    if (RegQueryValueExA(m_hKey, name, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS) return 0;
    return size;
}

std::unique_ptr<unsigned char[]> RegistryKey::ReadBinary(const char* name, DWORD* pSize) const {
    if (pSize) *pSize = 0;
    DWORD size = ValueSize(name);
    if (size == 0) return nullptr;
    std::unique_ptr<unsigned char[]> buf(new (std::nothrow) unsigned char[size]);
    if (!buf) return nullptr;
    DWORD got = size;
    if (RegQueryValueExA(m_hKey, name, nullptr, nullptr, buf.get(), &got) != ERROR_SUCCESS || got > size) {
        return nullptr;
    }
    if (pSize) *pSize = got;
    return buf;
}

bool RegistryKey::WriteDword(const char* name, DWORD value) const {
    return m_hKey &&
           RegSetValueExA(m_hKey, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value)) ==
               ERROR_SUCCESS;
}

bool RegistryKey::WriteBinary(const char* name, const void* data, DWORD size) const {
    return m_hKey &&
           RegSetValueExA(m_hKey, name, 0, REG_BINARY, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
}

bool RegistryKey::WriteString(const char* name, const char* text) const {
    if (!m_hKey || !text) return false;
    return RegSetValueExA(m_hKey, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                          static_cast<DWORD>(std::strlen(text) + 1)) == ERROR_SUCCESS;
}

bool RegistryKey::DeleteValue(const char* name) const {
    return m_hKey && RegDeleteValueA(m_hKey, name) == ERROR_SUCCESS;
}

}  // namespace vix
