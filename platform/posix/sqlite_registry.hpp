#pragma once
// The registry on POSIX systems: one SQLite database that every process of the machine
// opens. Each operation is one transaction, and a process waits for another's to end, so
// concurrent writers lose nothing.

#include <filesystem>

#include "platform/posix/sqlite_database.hpp"
#include "platform/registry.hpp"

namespace vexa {

class SqliteRegistry final : public Registry {
public:
    // Opens the database, creating it if needed; if that fails, every operation fails.
    explicit SqliteRegistry(const std::filesystem::path& database);

    bool CreateKey(RegistryRoot root, const std::vector<std::string>& key) override;
    bool KeyExists(RegistryRoot root, const std::vector<std::string>& key) override;
    std::optional<std::string> ReadString(RegistryRoot root, const std::vector<std::string>& key,
                                          const std::string& name) override;
    bool WriteString(RegistryRoot root, const std::vector<std::string>& key, const std::string& name,
                     const std::string& value) override;
    std::vector<std::string> SubKeys(RegistryRoot root, const std::vector<std::string>& key) override;
    std::vector<std::string> ValueNames(RegistryRoot root, const std::vector<std::string>& key) override;
    bool DeleteValue(RegistryRoot root, const std::vector<std::string>& key, const std::string& name) override;
    bool DeleteKey(RegistryRoot root, const std::vector<std::string>& key) override;

private:
    // The key's row; with `create` missing levels are added on the way, else nullopt.
    std::optional<long long> KeyRow(sqlite3* db, RegistryRoot root, const std::vector<std::string>& key, bool create);
    // The names that `sql` lists for the key's row, none if the key is missing.
    std::vector<std::string> NamesBelow(const char* sql, RegistryRoot root, const std::vector<std::string>& key);

    SqliteDatabase database_;
};

}  // namespace vexa
