#include "db/connstring.h"

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <span>

#include "ascii.h"

namespace adodb {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

// Reads a value starting at text[pos] (blanks already skipped); leaves pos on
// the ";" that ends it, or at the end.
std::string ReadValue(std::string_view text, std::size_t& pos) {
    std::string value;
    const char open = pos < text.size() ? text[pos] : '\0';
    if (open == '"' || open == '\'' || open == '{') {
        const char close = open == '{' ? '}' : open;
        ++pos;
        while (pos < text.size()) {
            if (text[pos] == close) {
                if (pos + 1 < text.size() && text[pos + 1] == close) {
                    value += close;
                    pos += 2;
                    continue;
                }
                ++pos;
                break;
            }
            value += text[pos++];
        }
        // Anything between the closing quote and the ";" is kept as written.
        const std::size_t end = text.find(';', pos);
        value += TrimBlanks(text.substr(pos, end == std::string_view::npos ? text.npos : end - pos));
        pos = end == std::string_view::npos ? text.size() : end;
        return value;
    }
    const std::size_t end = text.find(';', pos);
    value = TrimBlanks(text.substr(pos, end == std::string_view::npos ? text.npos : end - pos));
    pos = end == std::string_view::npos ? text.size() : end;
    return value;
}

using Keys = std::span<const std::string_view>;

bool IsKey(std::string_view key, Keys names) {
    for (std::string_view n : names) {
        if (ascii::EqualsNoCase(key, n)) return true;
    }
    return false;
}

bool NamesSqliteDatabase(std::string_view value) {
    return value == ":memory:" || ascii::EndsWithNoCase(value, ".db") ||
           ascii::EndsWithNoCase(value, ".sqlite") || ascii::EndsWithNoCase(value, ".sqlite3");
}

constexpr std::string_view kUserKeys[] = {"User Id", "User ID", "UserId", "UID",
                                                                 "User"};
constexpr std::string_view kPasswordKeys[] = {"Password", "PWD"};
constexpr std::string_view kServerKeys[] = {"Server", "Data Source", "Address",
                                                                   "Addr", "Network Address"};
constexpr std::string_view kDatabaseKeys[] = {"Database", "Initial Catalog"};
// Keys of the OLE DB providers that mean nothing to an ODBC driver.
constexpr std::string_view kOleDbOnlyKeys[] = {
    "Provider", "Persist Security Info", "Integrated Security", "Extended Properties",
    "OLE DB Services", "Mode", "Use Procedure for Prepare", "Auto Translate", "Packet Size",
    "Network Library", "Current Language"};

std::optional<std::string> FindValue(const std::vector<ConnectionStringItem>& items, Keys keys) {
    for (std::string_view key : keys) {
        const ConnectionStringItem* found = nullptr;
        for (const ConnectionStringItem& item : items) {
            if (ascii::EqualsNoCase(item.Key, key)) found = &item;
        }
        if (found) return found->Value;
    }
    return std::nullopt;
}

// The value in braces, every "}" doubled.
std::string Braced(std::string_view value) {
    std::string quoted = "{";
    for (char c : value) {
        quoted += c;
        if (c == '}') quoted += '}';
    }
    quoted += '}';
    return quoted;
}

}  // namespace

std::vector<ConnectionStringItem> ParseConnectionString(std::string_view text) {
    std::vector<ConnectionStringItem> items;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t eq = text.find('=', pos);
        const std::size_t semi = text.find(';', pos);
        if (eq == std::string_view::npos || (semi != std::string_view::npos && semi < eq)) {
            if (semi == std::string_view::npos) break;
            pos = semi + 1;  // a part without "=": ignored
            continue;
        }
        ConnectionStringItem item;
        item.Key = TrimBlanks(text.substr(pos, eq - pos));
        pos = eq + 1;
        while (pos < text.size() && IsBlank(text[pos])) ++pos;
        item.Value = ReadValue(text, pos);
        if (pos < text.size()) ++pos;  // the ";"
        if (!item.Key.empty()) items.push_back(std::move(item));
    }
    return items;
}

std::optional<std::string> FindConnectionValue(const std::vector<ConnectionStringItem>& items,
                                               std::initializer_list<std::string_view> keys) {
    return FindValue(items, Keys(keys.begin(), keys.size()));
}

std::string QuoteConnectionValue(std::string_view value) {
    bool needs = !value.empty() && (IsBlank(value.front()) || IsBlank(value.back()));
    for (char c : value) {
        if (c == ';' || c == '"' || c == '\'' || c == '{' || c == '}') needs = true;
    }
    return needs ? Braced(value) : std::string(value);
}

std::string BuildConnectionString(const std::vector<ConnectionStringItem>& items) {
    std::string text;
    for (const ConnectionStringItem& item : items) {
        text += item.Key;
        text += '=';
        text += QuoteConnectionValue(item.Value);
        text += ';';
    }
    return text;
}

ConnectionTarget ResolveConnectionString(std::string_view connectionString, std::string_view user,
                                         std::string_view password) {
    const std::vector<ConnectionStringItem> items = ParseConnectionString(connectionString);
    ConnectionTarget target;

    for (std::string_view key : {"Database", "Initial Catalog", "Data Source"}) {
        const std::optional<std::string> value = FindConnectionValue(items, {key});
        if (value && NamesSqliteDatabase(*value)) {
            target.Engine = EngineKind::Sqlite;
            target.Dialect = Dialect::Sqlite;
            target.Target = *value == ":memory:" ? *value : std::filesystem::absolute(*value).string();
            return target;
        }
    }

    const std::optional<std::string> userValue =
        user.empty() ? FindValue(items, kUserKeys) : std::string(user);
    const std::optional<std::string> passwordValue =
        password.empty() ? FindValue(items, kPasswordKeys) : std::string(password);
    target.Engine = EngineKind::Odbc;

    const std::optional<std::string> provider = FindConnectionValue(items, {"Provider"});
    if (provider && ascii::ContainsNoCase(*provider, "OraOLEDB")) {
        target.Dialect = Dialect::Oracle;
        target.Target = BuildConnectionString({{"DSN", FindConnectionValue(items, {"Data Source"}).value_or("")},
                                               {"UID", userValue.value_or("")},
                                               {"PWD", passwordValue.value_or("")}});
        return target;
    }

    target.Dialect = Dialect::SqlServer;
    if (FindConnectionValue(items, {"DSN", "Driver"})) {
        if (user.empty() && password.empty()) {
            target.Target = std::string(connectionString);
            return target;
        }
        std::vector<ConnectionStringItem> kept;
        for (const ConnectionStringItem& item : items) {
            if (!IsKey(item.Key, kUserKeys) && !IsKey(item.Key, kPasswordKeys)) kept.push_back(item);
        }
        if (userValue) kept.push_back({"UID", *userValue});
        if (passwordValue) kept.push_back({"PWD", *passwordValue});
        target.Target = BuildConnectionString(kept);
        return target;
    }

    const std::string odbc = "Driver=" + Braced(OdbcDriver()) + ";";
    std::vector<ConnectionStringItem> parts;
    if (auto server = FindValue(items, kServerKeys)) parts.push_back({"Server", *server});
    if (auto database = FindValue(items, kDatabaseKeys)) parts.push_back({"Database", *database});
    if (userValue) parts.push_back({"UID", *userValue});
    if (passwordValue) parts.push_back({"PWD", *passwordValue});
    for (const ConnectionStringItem& item : items) {
        if (!IsKey(item.Key, kUserKeys) && !IsKey(item.Key, kPasswordKeys) && !IsKey(item.Key, kServerKeys) &&
            !IsKey(item.Key, kDatabaseKeys) && !IsKey(item.Key, kOleDbOnlyKeys)) {
            parts.push_back(item);
        }
    }
    target.Target = odbc + BuildConnectionString(parts);
    return target;
}

namespace {
std::optional<std::string>& DriverSetting() {
    static std::optional<std::string> setting;
    return setting;
}
}  // namespace

std::string OdbcDriver() {
    if (DriverSetting() && !DriverSetting()->empty()) return *DriverSetting();
    if (const char* env = std::getenv("TARVOLIN_ODBC_DRIVER"); env && *env) return env;
    return "FreeTDS";
}

void SetOdbcDriver(std::string driver) { DriverSetting() = std::move(driver); }

}  // namespace adodb
