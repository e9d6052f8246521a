// On Windows the machine's ports come from the registry, read-only, under the local-machine root: the
// device tree for the candidates, the class and service trees for attached devices, and the serial device
// map for the ports active now.
#include "serial/ports/SystemPortSource.h"

#include <windows.h>

#include <algorithm>
#include <vector>

namespace vantrel::ports {

namespace {

// An open registry key, closed when it goes.
class RegistryKey {
public:
    explicit RegistryKey(const QString& path) {
        // The walks name keys from the root ("\SYSTEM\CurrentControlSet\Enum"); the registry wants them
        // without the leading separator.
        const QString relative = splitKeyPath(path).join(QLatin1Char('\\'));
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, reinterpret_cast<const wchar_t*>(relative.utf16()), 0, KEY_READ, &key_) !=
            ERROR_SUCCESS)
            key_ = nullptr;
    }
    ~RegistryKey() {
        if (key_ != nullptr)
            RegCloseKey(key_);
    }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    bool isOpen() const { return key_ != nullptr; }

    // Everything the walks read of a key at once: its values (text, or marked as not text) and the names
    // of its subkeys, each in the registry's order.
    std::shared_ptr<const KeyNode> read() const {
        auto node = std::make_shared<KeyNode>();
        DWORD subkeys = 0, longestSubkey = 0, values = 0, longestName = 0, longestData = 0;
        if (RegQueryInfoKeyW(key_, nullptr, nullptr, nullptr, &subkeys, &longestSubkey, nullptr, &values, &longestName,
                             &longestData, nullptr, nullptr) != ERROR_SUCCESS)
            return node;
        std::vector<wchar_t> name(std::max(longestSubkey, longestName) + 1);
        for (DWORD i = 0; i < subkeys; ++i) {
            DWORD length = static_cast<DWORD>(name.size());
            if (RegEnumKeyExW(key_, i, name.data(), &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS)
                node->subkeys << QString::fromWCharArray(name.data(), static_cast<int>(length));
        }
        // The data buffer holds the longest value, with room for the terminator a stored string may lack.
        std::vector<BYTE> data(longestData + 2 * sizeof(wchar_t));
        for (DWORD i = 0; i < values; ++i) {
            DWORD length = static_cast<DWORD>(name.size());
            DWORD type = 0;
            DWORD size = static_cast<DWORD>(data.size());
            if (RegEnumValueW(key_, i, name.data(), &length, nullptr, &type, data.data(), &size) != ERROR_SUCCESS)
                continue;
            KeyNode::Value value{QString::fromWCharArray(name.data(), static_cast<int>(length)), std::nullopt};
            if (type == REG_SZ || type == REG_EXPAND_SZ) {
                int chars = static_cast<int>(size / sizeof(wchar_t));
                const auto* text = reinterpret_cast<const wchar_t*>(data.data());
                while (chars > 0 && text[chars - 1] == L'\0')
                    --chars;
                value.text = QString::fromWCharArray(text, chars);
            }
            node->values << value;
        }
        return node;
    }

private:
    HKEY key_ = nullptr;
};

class RegistryPortSource : public NodeKeySource {
public:
    PortKey openKey(const QString& path) override {
        const RegistryKey key(path);
        return key.isOpen() ? PortKey(key.read()) : PortKey();
    }
    bool keyExists(const QString& path) override { return RegistryKey(path).isOpen(); }
};

} // namespace

std::shared_ptr<PortKeySource> makeSystemPortSource() {
    return std::make_shared<RegistryPortSource>();
}

} // namespace vantrel::ports
