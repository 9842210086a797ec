#include "platform/posix/sqlite_registry.hpp"

#include "common/text.hpp"

namespace vexa {
namespace {

constexpr auto kRead = SqliteDatabase::Access::Read;
constexpr auto kWrite = SqliteDatabase::Access::Write;

// Names are compared and sorted by their upper-cased form, `folded`, as the system's
// registry compares them; `name` keeps the first spelling. The roots are rows 1 to 3, in
// the order of RegistryRoot. Deleting a key cascades to everything below it.
constexpr const char* kSchema = R"(
CREATE TABLE IF NOT EXISTS keys (
    id INTEGER PRIMARY KEY,
    parent INTEGER REFERENCES keys (id) ON DELETE CASCADE,
    name TEXT NOT NULL,
    folded TEXT NOT NULL,
    UNIQUE (parent, folded));
CREATE TABLE IF NOT EXISTS key_values (
    key INTEGER NOT NULL REFERENCES keys (id) ON DELETE CASCADE,
    name TEXT NOT NULL,
    folded TEXT NOT NULL,
    data TEXT NOT NULL,
    UNIQUE (key, folded));
INSERT OR IGNORE INTO keys (id, parent, name, folded) VALUES
    (1, NULL, 'HKEY_LOCAL_MACHINE', 'HKEY_LOCAL_MACHINE'),
    (2, NULL, 'HKEY_CURRENT_USER', 'HKEY_CURRENT_USER'),
    (3, NULL, 'HKEY_CLASSES_ROOT', 'HKEY_CLASSES_ROOT');
)";

long long RootRow(RegistryRoot root) { return static_cast<long long>(root) + 1; }

}  // namespace

SqliteRegistry::SqliteRegistry(const std::filesystem::path& database) : database_(database, kSchema) {}

std::optional<long long> SqliteRegistry::KeyRow(sqlite3* db, RegistryRoot root, const std::vector<std::string>& key,
                                                bool create) {
    SqliteStatement child(db, "SELECT id FROM keys WHERE parent = ?1 AND folded = ?2");
    long long row = RootRow(root);
    for (const std::string& level : key) {
        std::string folded = ToUpperAnsi(level);
        if (child.With(row, folded).Step()) {
            row = child.Integer(0);
        } else if (create) {
            SqliteStatement(db, "INSERT INTO keys (parent, name, folded) VALUES (?1, ?2, ?3)")
                .With(row, level, folded)
                .Step();
            row = sqlite3_last_insert_rowid(db);
        } else {
            return std::nullopt;
        }
    }
    return row;
}

std::vector<std::string> SqliteRegistry::NamesBelow(const char* sql, RegistryRoot root,
                                                    const std::vector<std::string>& key) {
    return database_.InTransaction(kRead, [&](sqlite3* db) {
        std::vector<std::string> names;
        if (auto row = KeyRow(db, root, key, false)) {
            SqliteStatement list(db, sql);
            for (list.With(*row); list.Step();) names.push_back(list.Text(0));
        }
        return names;
    });
}

bool SqliteRegistry::CreateKey(RegistryRoot root, const std::vector<std::string>& key) {
    return database_.InTransaction(kWrite, [&](sqlite3* db) { return KeyRow(db, root, key, true).has_value(); });
}

bool SqliteRegistry::KeyExists(RegistryRoot root, const std::vector<std::string>& key) {
    return database_.InTransaction(kRead, [&](sqlite3* db) { return KeyRow(db, root, key, false).has_value(); });
}

std::optional<std::string> SqliteRegistry::ReadString(RegistryRoot root, const std::vector<std::string>& key,
                                                      const std::string& name) {
    return database_.InTransaction(kRead, [&](sqlite3* db) -> std::optional<std::string> {
        auto row = KeyRow(db, root, key, false);
        if (!row) return std::nullopt;
        SqliteStatement read(db, "SELECT data FROM key_values WHERE key = ?1 AND folded = ?2");
        if (!read.With(*row, ToUpperAnsi(name)).Step()) return std::nullopt;
        return read.Text(0);
    });
}

bool SqliteRegistry::WriteString(RegistryRoot root, const std::vector<std::string>& key, const std::string& name,
                                 const std::string& value) {
    return database_.InTransaction(kWrite, [&](sqlite3* db) {
        SqliteStatement(db,
                  "INSERT INTO key_values (key, name, folded, data) VALUES (?1, ?2, ?3, ?4) "
                  "ON CONFLICT (key, folded) DO UPDATE SET data = excluded.data")
            .With(*KeyRow(db, root, key, true), name, ToUpperAnsi(name), value)
            .Step();
        return true;
    });
}

std::vector<std::string> SqliteRegistry::SubKeys(RegistryRoot root, const std::vector<std::string>& key) {
    return NamesBelow("SELECT name FROM keys WHERE parent = ?1 ORDER BY folded", root, key);
}

std::vector<std::string> SqliteRegistry::ValueNames(RegistryRoot root, const std::vector<std::string>& key) {
    return NamesBelow("SELECT name FROM key_values WHERE key = ?1 ORDER BY folded", root, key);
}

bool SqliteRegistry::DeleteValue(RegistryRoot root, const std::vector<std::string>& key, const std::string& name) {
    return database_.InTransaction(kWrite, [&](sqlite3* db) {
        auto row = KeyRow(db, root, key, false);
        if (!row) return false;
        SqliteStatement(db, "DELETE FROM key_values WHERE key = ?1 AND folded = ?2").With(*row, ToUpperAnsi(name)).Step();
        return sqlite3_changes(db) > 0;
    });
}

bool SqliteRegistry::DeleteKey(RegistryRoot root, const std::vector<std::string>& key) {
    if (key.empty()) return false;
    return database_.InTransaction(kWrite, [&](sqlite3* db) {
        auto row = KeyRow(db, root, key, false);
        if (!row) return false;
        SqliteStatement(db, "DELETE FROM keys WHERE id = ?1").With(*row).Step();
        return true;
    });
}

}  // namespace vexa
