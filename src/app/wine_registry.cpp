#include "app/wine_registry.hpp"

#include <pwd.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace pelicard {
namespace {

// A hive larger than this is not a user's registry; it is not read.
constexpr std::size_t kMaxHive = 64u * 1024 * 1024;

std::string AsciiLower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp >= 0xD800 && cp <= 0xDFFF) cp = '?';
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// UTF-16 code units to UTF-8, surrogate pairs joined.
void AppendUtf16(std::string& out, const std::vector<char32_t>& units) {
    for (std::size_t i = 0; i < units.size(); ++i) {
        char32_t u = units[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] <= 0xDFFF) {
            AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (units[i + 1] - 0xDC00));
            ++i;
        } else {
            AppendUtf8(out, u);
        }
    }
}

// Reads an escaped text from line[pos] up to the unescaped `end` character
// (pos is left after it). False when the line ends first.
bool Unescape(const std::string& line, std::size_t& pos, char end, std::string& out) {
    std::vector<char32_t> units;  // escaped code units waiting to be joined
    auto flush = [&] {
        AppendUtf16(out, units);
        units.clear();
    };
    while (pos < line.size()) {
        char c = line[pos++];
        if (c == end) {
            flush();
            return true;
        }
        if (c != '\\' || pos >= line.size()) {
            flush();
            out += c;
            continue;
        }
        char e = line[pos++];
        switch (e) {
            case 'a': units.push_back(7); continue;
            case 'b': units.push_back(8); continue;
            case 'e': units.push_back(27); continue;
            case 'f': units.push_back(12); continue;
            case 'n': units.push_back(10); continue;
            case 'r': units.push_back(13); continue;
            case 't': units.push_back(9); continue;
            case 'v': units.push_back(11); continue;
            default: break;
        }
        if (e == 'x') {
            char32_t v = 0;
            int n = 0;
            while (n < 4 && pos < line.size() && HexDigit(line[pos]) >= 0) {
                v = v * 16 + static_cast<char32_t>(HexDigit(line[pos++]));
                ++n;
            }
            if (n == 0) {
                flush();
                out += 'x';
            } else {
                units.push_back(v);
            }
            continue;
        }
        if (e >= '0' && e <= '7') {
            char32_t v = static_cast<char32_t>(e - '0');
            for (int n = 1; n < 3 && pos < line.size() && line[pos] >= '0' && line[pos] <= '7'; ++n)
                v = v * 8 + static_cast<char32_t>(line[pos++] - '0');
            units.push_back(v);
            continue;
        }
        flush();
        out += e;  // \\ \" \[ \] and any other character stand for themselves
    }
    flush();
    return false;
}

// "aa,bb,…" into bytes; false on a malformed list.
bool HexBytes(const std::string& s, std::string& out) {
    int hi = -1;
    for (char c : s) {
        if (c == ',' || c == ' ' || c == '\t') {
            if (hi >= 0) {
                out += static_cast<char>(hi);
                hi = -1;
            }
            continue;
        }
        int d = HexDigit(c);
        if (d < 0) return false;
        if (hi < 0) {
            hi = d;
        } else if (hi < 16) {
            hi = hi * 16 + d;
            out += static_cast<char>(hi);
            hi = -1;
        } else {
            return false;
        }
    }
    if (hi >= 0) out += static_cast<char>(hi);
    return true;
}

std::string Utf16LeToUtf8(const std::string& bytes) {
    std::vector<char32_t> units;
    units.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
        units.push_back(static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8));
    std::string out;
    AppendUtf16(out, units);
    return out;
}

RegistryPort::ValueType TypeOf(unsigned n) {
    switch (n) {
        case 1: return RegistryPort::ValueType::String;
        case 2: return RegistryPort::ValueType::ExpandString;
        case 3: return RegistryPort::ValueType::Binary;
        case 4: return RegistryPort::ValueType::Dword;
        default: return RegistryPort::ValueType::Other;
    }
}

// The value part after "=": false when it cannot be read.
bool ParseValue(const std::string& spec, WineRegistry::Value& v) {
    std::size_t pos = 0;
    if (!spec.empty() && spec[0] == '"') {
        pos = 1;
        v.type = RegistryPort::ValueType::String;
        return Unescape(spec, pos, '"', v.data);
    }
    auto typeNumber = [&](const std::string& head, unsigned& n) -> bool {
        // head "str" or "hex": "(n):" follows, n in hexadecimal
        if (spec.compare(0, head.size() + 1, head + "(") != 0) return false;
        std::size_t close = spec.find("):", head.size());
        if (close == std::string::npos || close == head.size() + 1 || close > head.size() + 9) return false;
        n = static_cast<unsigned>(std::strtoul(spec.substr(head.size() + 1, close - head.size() - 1).c_str(), nullptr, 16));
        pos = close + 2;
        return true;
    };
    unsigned n = 0;
    if (typeNumber("str", n)) {
        if (pos >= spec.size() || spec[pos] != '"') return false;
        ++pos;
        v.type = TypeOf(n);
        if (v.type != RegistryPort::ValueType::String && v.type != RegistryPort::ValueType::ExpandString)
            v.type = RegistryPort::ValueType::Other;
        return Unescape(spec, pos, '"', v.data);
    }
    if (spec.compare(0, 6, "dword:") == 0) {
        std::string digits = spec.substr(6);
        if (digits.empty() || digits.size() > 8) return false;
        std::uint32_t x = 0;
        for (char c : digits) {
            int d = HexDigit(c);
            if (d < 0) return false;
            x = x * 16 + static_cast<std::uint32_t>(d);
        }
        v.type = RegistryPort::ValueType::Dword;
        for (int i = 0; i < 4; ++i) v.data += static_cast<char>((x >> (8 * i)) & 0xFF);
        return true;
    }
    std::string bytes;
    if (spec.compare(0, 4, "hex:") == 0) {
        v.type = RegistryPort::ValueType::Binary;
        return HexBytes(spec.substr(4), v.data);
    }
    if (typeNumber("hex", n)) {
        if (!HexBytes(spec.substr(pos), bytes)) return false;
        v.type = TypeOf(n);
        if (v.type == RegistryPort::ValueType::String || v.type == RegistryPort::ValueType::ExpandString)
            v.data = Utf16LeToUtf8(bytes);
        else
            v.data = bytes;
        return true;
    }
    return false;
}

std::string NormalKey(const std::string& path) {
    std::size_t b = 0, e = path.size();
    while (b < e && path[b] == '\\') ++b;
    while (e > b && path[e - 1] == '\\') --e;
    return AsciiLower(path.substr(b, e - b));
}

std::string UserName() {
    if (const char* u = std::getenv("USER"); u && *u) return u;
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_name) return pw->pw_name;
    return "user";
}

}  // namespace

WineRegistry::WineRegistry(std::string prefix) : prefix_(std::move(prefix)) {
    std::FILE* f = std::fopen((prefix_ + "/user.reg").c_str(), "rb");
    if (!f) return;
    std::string text;
    char buf[65536];
    std::size_t n;
    bool tooBig = false;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) {
        if (text.size() + n > kMaxHive) {
            tooBig = true;
            break;
        }
        text.append(buf, n);
    }
    bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (!failed && !tooBig) Load(text);
}

WineRegistry::WineRegistry(std::string prefix, const std::string& userRegText) : prefix_(std::move(prefix)) {
    Load(userRegText);
}

void WineRegistry::Load(const std::string& text) {
    loaded_ = true;
    std::unordered_map<std::string, Value>* current = nullptr;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t nl = text.find('\n', pos);
        if (nl == std::string::npos) nl = text.size();
        std::string line = text.substr(pos, nl - pos);
        pos = nl + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        // A line ending in "\" goes on in the next one (long hex lists).
        while (!line.empty() && line.back() == '\\' && pos < text.size() &&
               (line[0] == '"' || line[0] == '@')) {
            line.pop_back();
            nl = text.find('\n', pos);
            if (nl == std::string::npos) nl = text.size();
            std::string next = text.substr(pos, nl - pos);
            pos = nl + 1;
            if (!next.empty() && next.back() == '\r') next.pop_back();
            std::size_t b = next.find_first_not_of(" \t");
            line += b == std::string::npos ? std::string() : next.substr(b);
        }
        if (line.empty()) continue;
        if (line[0] == '[') {
            std::size_t p = 1;
            std::string key;
            if (!Unescape(line, p, ']', key)) {
                current = nullptr;
                continue;
            }
            std::string lower = NormalKey(key);
            current = &keys_[lower];
            for (std::size_t s = lower.find('\\'); s != std::string::npos; s = lower.find('\\', s + 1))
                parents_.insert(lower.substr(0, s));
            continue;
        }
        if (!current || (line[0] != '"' && line[0] != '@')) continue;
        std::string name;
        std::size_t p = 1;
        if (line[0] == '"' && !Unescape(line, p, '"', name)) continue;
        if (p >= line.size() || line[p] != '=') continue;
        Value v;
        if (ParseValue(line.substr(p + 1), v)) (*current)[AsciiLower(name)] = std::move(v);
    }
}

bool WineRegistry::KeyExists(const std::string& lower) const {
    return keys_.count(lower) != 0 || parents_.count(lower) != 0;
}

bool WineRegistry::Available() { return loaded_ && KeyExists("identities"); }

std::int32_t WineRegistry::OpenKey(const std::string& path, std::int64_t& handle) {
    std::string lower = NormalKey(path);
    if (!loaded_ || !KeyExists(lower)) return 2;
    handle = nextHandle_++;
    open_[handle] = lower;
    return 0;
}

std::int32_t WineRegistry::QueryValue(std::int64_t handle, const std::string& name, ValueType& type,
                                      std::string& data) {
    auto h = open_.find(handle);
    if (h == open_.end()) return 6;  // invalid handle
    auto k = keys_.find(h->second);
    if (k == keys_.end()) return 2;
    auto v = k->second.find(AsciiLower(name));
    if (v == k->second.end()) return 2;
    type = v->second.type;
    data = v->second.data;
    return 0;
}

void WineRegistry::CloseKey(std::int64_t handle) { open_.erase(handle); }

std::string WineRegistry::NativePath(const std::string& windowsPath) {
    std::string rest = windowsPath, out;
    if (rest.size() >= 2 && std::isalpha(static_cast<unsigned char>(rest[0])) && rest[1] == ':') {
        char drive = static_cast<char>(std::tolower(static_cast<unsigned char>(rest[0])));
        out = prefix_ + (drive == 'c' ? std::string("/drive_c") : std::string("/dosdevices/") + drive + ":");
        rest = rest.substr(2);
        if (!rest.empty() && rest[0] != '\\' && rest[0] != '/') out += '/';
    }
    for (char c : rest) out += c == '\\' ? '/' : c;
    return out;
}

bool WineRegistry::SessionVariable(const std::string& name, std::string& value) {
    for (const char* key : {"volatile environment", "environment"}) {
        auto k = keys_.find(key);
        if (k == keys_.end()) continue;
        auto v = k->second.find(AsciiLower(name));
        if (v != k->second.end() && (v->second.type == ValueType::String || v->second.type == ValueType::ExpandString)) {
            value = v->second.data;
            while (!value.empty() && value.back() == '\0') value.pop_back();
            return true;
        }
    }
    if (AsciiLower(name) == "userprofile") {
        value = "C:\\users\\" + UserName();
        return true;
    }
    return false;
}

}  // namespace pelicard
