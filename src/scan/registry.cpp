#include "scan/registry.h"

#include <vector>

#include "common/unique_resource.h"

bool readRegistryString(const RegistryCalls& calls, HKEY root, const wchar_t* subkey, const wchar_t* valueName,
                        std::wstring& text, uint32_t& code)
{
    text.clear();
    code = 0;

    UniqueHKey key;
    const LSTATUS opened = calls.openKey(root, subkey, 0, KEY_QUERY_VALUE, key.put());
    if (opened != ERROR_SUCCESS) {
        code = static_cast<uint32_t>(opened);
        return false;
    }

    DWORD type = 0;
    DWORD size = 0;
    const LSTATUS sized = calls.queryValue(key.get(), valueName, nullptr, &type, nullptr, &size);
    if (sized != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) {
        code = sized != ERROR_SUCCESS ? static_cast<uint32_t>(sized) : ERROR_INVALID_DATA;
        return false;
    }

    // Two spare zero units end a value that was stored without its terminator
    // (or with an odd byte count).
    std::vector<wchar_t> buffer(size / 2 + 2, L'\0');
    DWORD bufferBytes = size;
    const LSTATUS queried = calls.queryValue(key.get(), valueName, nullptr, nullptr,
                                             reinterpret_cast<BYTE*>(buffer.data()), &bufferBytes);
    key.reset();
    if (queried != ERROR_SUCCESS) {
        code = static_cast<uint32_t>(queried);
        return false;
    }
    text = buffer.data();
    return true;
}

bool readRegistryDword(const RegistryCalls& calls, HKEY root, const wchar_t* subkey, const wchar_t* valueName,
                       uint32_t& value)
{
    UniqueHKey key;
    if (calls.openKey(root, subkey, 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS) {
        return false;
    }
    DWORD type = 0;
    DWORD data = 0;
    DWORD size = sizeof(data);
    const LSTATUS status =
        calls.queryValue(key.get(), valueName, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size);
    if (status != ERROR_SUCCESS || type != REG_DWORD) {
        return false;
    }
    value = data;
    return true;
}
