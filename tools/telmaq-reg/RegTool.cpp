#include "tools/telmaq-reg/RegTool.h"

#include "platform/system/EchoedText.h"
#include "tools/telmaq-reg/RegValueText.h"

#include <ostream>

namespace telmaq {
namespace {

constexpr const char* kUsage =
    "Usage: telmaq-reg query KEY [NAME]\n"
    "       telmaq-reg set KEY NAME dword|sz DATA\n"
    "       telmaq-reg delete KEY [NAME]\n"
    "\n"
    "Looks at and changes the registry hive that telmaq and its dial-up tools share.\n"
    "KEY is a path under HKEY_CURRENT_USER, such as Software\\wexhal\\telmaq\\Settings\n"
    "(a leading HKEY_CURRENT_USER\\ or HKCU\\ may be given). Names ignore letter case.\n"
    "\n"
    "  query KEY         lists the values of KEY, then its subkeys\n"
    "  query KEY NAME    shows one value: NAME  REG_DWORD  0x00000005 (5)\n"
    "  set ...  dword    stores a 32-bit number, decimal (may be negative) or 0x-hexadecimal\n"
    "  set ...  sz       stores a text; the key is created when missing\n"
    "  delete KEY NAME   removes one value\n"
    "  delete KEY        removes the key with everything under it\n"
    "\n"
    "The hive is $TELMAQ_REGISTRY, else $XDG_CONFIG_HOME/telmaq/registry.db.\n"
    "Exit status: 0 done, 1 not found or the hive refused, 2 wrong command line.\n";

bool sameIgnoringAsciiCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (fold(a[i]) != fold(b[i]))
            return false;
    }
    return true;
}

class Command
{
public:
    Command(SqliteHive& hive, std::ostream& out, std::ostream& err) : m_hive(hive), m_out(out), m_err(err) {}

    int query(const std::string& keyPath, const std::string* name);
    int set(const std::string& keyPath, const std::string& name, const std::string& kind, const std::string& data);
    int remove(const std::string& keyPath, const std::string* name);

    int usage(const std::string& problem)
    {
        m_err << "telmaq-reg: " << problem << "\n"
              << "Try 'telmaq-reg --help' for more information.\n";
        return kRegToolUsage;
    }

private:
    // A failure of the hive in words the user can act on.
    int fail(long code, const std::string& what)
    {
        m_err << "telmaq-reg: ";
        if (const std::string failure = m_hive.fileFailure(code); !failure.empty()) {
            m_err << failure << "\n";
            return kRegToolFailed;
        }
        switch (code) {
        case ERROR_FILE_NOT_FOUND:
            m_err << what << " not found";
            break;
        case ERROR_ACCESS_DENIED:
            m_err << what << ": access denied";
            break;
        case ERROR_INVALID_PARAMETER:
            m_err << what << ": name too long or not allowed";
            break;
        default:
            m_err << what << ": error " << code;
            break;
        }
        m_err << "\n";
        return kRegToolFailed;
    }

    bool subKeyOf(const std::string& keyPath, std::string* subKey)
    {
        if (currentUserPath(keyPath, subKey))
            return true;
        m_err << "telmaq-reg: " << echoed(keyPath) << ": only keys under HKEY_CURRENT_USER exist here\n";
        return false;
    }

    static std::string shownName(const std::string& name) { return name.empty() ? "(Default)" : name; }
    // A value name as a message quotes it back.
    static std::string echoedName(const std::string& name) { return name.empty() ? "(Default)" : echoed(name); }

    // The name as it was first written, which the user may have typed in other letters.
    std::string storedName(HKEY key, const std::string& typed)
    {
        std::vector<SqliteHive::Value> values;
        m_hive.values(key, &values);
        for (const auto& value : values) {
            if (sameIgnoringAsciiCase(value.name, typed))
                return value.name;
        }
        return typed;
    }

    SqliteHive& m_hive;
    std::ostream& m_out;
    std::ostream& m_err;
};

// Closes a handle on every way out.
class OpenKey
{
public:
    explicit OpenKey(SqliteHive& hive) : m_hive(hive) {}
    ~OpenKey()
    {
        if (m_key)
            m_hive.closeKey(m_key);
    }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;
    HKEY* put() { return &m_key; }
    HKEY get() const { return m_key; }

private:
    SqliteHive& m_hive;
    HKEY m_key = 0;
};

int Command::query(const std::string& keyPath, const std::string* name)
{
    std::string subKey;
    if (!subKeyOf(keyPath, &subKey))
        return kRegToolUsage;
    OpenKey key(m_hive);
    if (long rc = m_hive.openKey(HKEY_CURRENT_USER, subKey.c_str(), KEY_READ, key.put()); rc != ERROR_SUCCESS)
        return fail(rc, "key " + echoed(keyPath));

    if (name) {
        std::uint32_t type = 0, size = 0;
        long rc = m_hive.queryValue(key.get(), name->c_str(), &type, nullptr, &size);
        std::vector<std::uint8_t> data(size);
        if (rc == ERROR_SUCCESS)
            rc = m_hive.queryValue(key.get(), name->c_str(), &type, data.data(), &size);
        if (rc != ERROR_SUCCESS)
            return fail(rc, "value " + echoedName(*name) + " in " + echoed(keyPath));
        data.resize(size);
        m_out << shownName(storedName(key.get(), *name)) << "  " << regTypeName(type) << "  "
              << regValueText(type, data) << "\n";
        return kRegToolOk;
    }

    std::vector<SqliteHive::Value> values;
    if (long rc = m_hive.values(key.get(), &values); rc != ERROR_SUCCESS)
        return fail(rc, "key " + echoed(keyPath));
    std::vector<std::string> children;
    if (long rc = m_hive.subKeys(key.get(), &children); rc != ERROR_SUCCESS)
        return fail(rc, "key " + echoed(keyPath));
    for (const auto& value : values)
        m_out << shownName(value.name) << "  " << regTypeName(value.type) << "  "
              << regValueText(value.type, value.data) << "\n";
    std::string prefix = keyPath;
    while (!prefix.empty() && prefix.back() == '\\')
        prefix.pop_back();
    for (const auto& child : children)
        m_out << (prefix.empty() ? child : prefix + "\\" + child) << "\\\n";
    return kRegToolOk;
}

int Command::set(const std::string& keyPath, const std::string& name, const std::string& kind, const std::string& data)
{
    std::string subKey;
    if (!subKeyOf(keyPath, &subKey))
        return kRegToolUsage;
    std::vector<std::uint8_t> bytes;
    std::uint32_t type = 0;
    if (kind == "dword") {
        std::uint32_t value = 0;
        if (!parseDword(data, &value))
            return usage(echoed(data) +
                         " is not a 32-bit number: give -2147483648 to 4294967295, or 0x0 to 0xFFFFFFFF");
        type = REG_DWORD;
        bytes = {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                 static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
    } else if (kind == "sz") {
        type = REG_SZ;
        bytes.assign(data.begin(), data.end());
        bytes.push_back(0);
    } else {
        return usage("the type must be dword or sz, not " + echoed(kind));
    }
    OpenKey key(m_hive);
    if (long rc = m_hive.createKey(HKEY_CURRENT_USER, subKey.c_str(), KEY_ALL_ACCESS, key.put()); rc != ERROR_SUCCESS)
        return fail(rc, "key " + echoed(keyPath));
    if (long rc =
            m_hive.setValue(key.get(), name.c_str(), type, bytes.data(), static_cast<std::uint32_t>(bytes.size()));
        rc != ERROR_SUCCESS)
        return fail(rc, "value " + echoedName(name) + " in " + echoed(keyPath));
    return kRegToolOk;
}

int Command::remove(const std::string& keyPath, const std::string* name)
{
    std::string subKey;
    if (!subKeyOf(keyPath, &subKey))
        return kRegToolUsage;
    if (!name) {
        if (subKey.find_first_not_of('\\') == std::string::npos)
            return usage("refusing to delete HKEY_CURRENT_USER itself");
        if (long rc = m_hive.deleteKey(HKEY_CURRENT_USER, subKey.c_str()); rc != ERROR_SUCCESS)
            return fail(rc, "key " + echoed(keyPath));
        return kRegToolOk;
    }
    OpenKey key(m_hive);
    if (long rc = m_hive.openKey(HKEY_CURRENT_USER, subKey.c_str(), KEY_ALL_ACCESS, key.put()); rc != ERROR_SUCCESS)
        return fail(rc, "key " + echoed(keyPath));
    if (long rc = m_hive.deleteValue(key.get(), name->c_str()); rc != ERROR_SUCCESS)
        return fail(rc, "value " + echoedName(*name) + " in " + echoed(keyPath));
    return kRegToolOk;
}

} // namespace

int runRegTool(const std::vector<std::string>& args, SqliteHive& hive, std::ostream& out, std::ostream& err)
{
    Command command(hive, out, err);
    if (args.empty())
        return command.usage("a command is needed: query, set or delete");
    const std::string& verb = args[0];
    if (verb == "--help" || verb == "-h" || verb == "help") {
        out << kUsage;
        return kRegToolOk;
    }
    const std::size_t operands = args.size() - 1;
    if (verb == "query" || verb == "delete") {
        if (operands < 1 || operands > 2)
            return command.usage(verb + " takes KEY and an optional NAME");
        const std::string* name = operands == 2 ? &args[2] : nullptr;
        return verb == "query" ? command.query(args[1], name) : command.remove(args[1], name);
    }
    if (verb == "set") {
        if (operands != 4)
            return command.usage("set takes KEY NAME dword|sz DATA");
        return command.set(args[1], args[2], args[3], args[4]);
    }
    return command.usage("unknown command " + echoed(verb));
}

} // namespace telmaq
