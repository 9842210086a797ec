#include "platform/posix/sqlite_registry.hpp"

#include <sqlite3.h>

#include "common/text.hpp"

namespace vexa {
namespace {

// Whatever the database refuses; it ends the transaction where it is caught.
struct Refused {};

void Check(int status) {
    if (status != SQLITE_OK) throw Refused{};
}

void Exec(sqlite3* db, const char* sql) { Check(sqlite3_exec(db, sql, nullptr, nullptr, nullptr)); }

class Statement {
public:
    Statement(sqlite3* db, const char* sql) { Check(sqlite3_prepare_v2(db, sql, -1, &statement_, nullptr)); }
    ~Statement() { sqlite3_finalize(statement_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // Starts the statement again with these parameters, in order.
    template <typename... Values>
    Statement& With(const Values&... values) {
        sqlite3_reset(statement_);
        int index = 0;
        (Bind(++index, values), ...);
        return *this;
    }
    // True for each row; false once the statement is done.
    bool Step() {
        int status = sqlite3_step(statement_);
        if (status != SQLITE_ROW && status != SQLITE_DONE) throw Refused{};
        return status == SQLITE_ROW;
    }
    long long Integer(int column) { return sqlite3_column_int64(statement_, column); }
    std::string Text(int column) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
        return text ? std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(statement_, column))) : "";
    }

private:
    void Bind(int index, long long value) { Check(sqlite3_bind_int64(statement_, index, value)); }
    // Names and values are the system's 8-bit texts, kept byte for byte whatever their encoding.
    void Bind(int index, const std::string& text) {
        Check(sqlite3_bind_text(statement_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT));
    }

    sqlite3_stmt* statement_ = nullptr;
};

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

// Another process's transaction is short; waiting this long for it means something is stuck.
constexpr int kBusyWaitMs = 10'000;

long long RootRow(RegistryRoot root) { return static_cast<long long>(root) + 1; }

// Write-ahead logging lets readers work beside a writer. If it cannot be switched on (the
// first two processes racing to make the file), the default rollback journal is as safe.
bool Prepare(sqlite3* db) {
    try {
        Check(sqlite3_busy_timeout(db, kBusyWaitMs));
        Exec(db, "PRAGMA foreign_keys = ON");
        sqlite3_exec(db, "PRAGMA journal_mode = WAL", nullptr, nullptr, nullptr);
        Exec(db, "BEGIN IMMEDIATE");
        Exec(db, kSchema);
        Exec(db, "COMMIT");
        return true;
    } catch (const Refused&) {
        return false;
    }
}

}  // namespace

SqliteRegistry::SqliteRegistry(const std::filesystem::path& database) {
    if (sqlite3_open_v2(database.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) == SQLITE_OK &&
        Prepare(db_))
        return;
    sqlite3_close(db_);
    db_ = nullptr;
}

SqliteRegistry::~SqliteRegistry() { sqlite3_close(db_); }

// A write begins IMMEDIATE, taking the write lock at once: a transaction that read first
// and then tried to write could fail at once rather than wait.
template <typename Work>
auto SqliteRegistry::InTransaction(Access access, Work work) -> decltype(work()) {
    std::lock_guard lock(mutex_);
    if (!db_) return {};
    try {
        Exec(db_, access == Access::Write ? "BEGIN IMMEDIATE" : "BEGIN");
        auto result = work();
        Exec(db_, "COMMIT");
        return result;
    } catch (const Refused&) {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);  // fails harmlessly if none began
        return {};
    }
}

std::optional<long long> SqliteRegistry::KeyRow(RegistryRoot root, const std::vector<std::string>& key, bool create) {
    Statement child(db_, "SELECT id FROM keys WHERE parent = ?1 AND folded = ?2");
    long long row = RootRow(root);
    for (const std::string& level : key) {
        std::string folded = ToUpperAnsi(level);
        if (child.With(row, folded).Step()) {
            row = child.Integer(0);
        } else if (create) {
            Statement(db_, "INSERT INTO keys (parent, name, folded) VALUES (?1, ?2, ?3)").With(row, level, folded).Step();
            row = sqlite3_last_insert_rowid(db_);
        } else {
            return std::nullopt;
        }
    }
    return row;
}

std::vector<std::string> SqliteRegistry::NamesBelow(const char* sql, RegistryRoot root,
                                                    const std::vector<std::string>& key) {
    return InTransaction(Access::Read, [&] {
        std::vector<std::string> names;
        if (auto row = KeyRow(root, key, false)) {
            Statement list(db_, sql);
            for (list.With(*row); list.Step();) names.push_back(list.Text(0));
        }
        return names;
    });
}

bool SqliteRegistry::CreateKey(RegistryRoot root, const std::vector<std::string>& key) {
    return InTransaction(Access::Write, [&] { return KeyRow(root, key, true).has_value(); });
}

bool SqliteRegistry::KeyExists(RegistryRoot root, const std::vector<std::string>& key) {
    return InTransaction(Access::Read, [&] { return KeyRow(root, key, false).has_value(); });
}

std::optional<std::string> SqliteRegistry::ReadString(RegistryRoot root, const std::vector<std::string>& key,
                                                      const std::string& name) {
    return InTransaction(Access::Read, [&]() -> std::optional<std::string> {
        auto row = KeyRow(root, key, false);
        if (!row) return std::nullopt;
        Statement read(db_, "SELECT data FROM key_values WHERE key = ?1 AND folded = ?2");
        if (!read.With(*row, ToUpperAnsi(name)).Step()) return std::nullopt;
        return read.Text(0);
    });
}

bool SqliteRegistry::WriteString(RegistryRoot root, const std::vector<std::string>& key, const std::string& name,
                                 const std::string& value) {
    return InTransaction(Access::Write, [&] {
        Statement(db_,
                  "INSERT INTO key_values (key, name, folded, data) VALUES (?1, ?2, ?3, ?4) "
                  "ON CONFLICT (key, folded) DO UPDATE SET data = excluded.data")
            .With(*KeyRow(root, key, true), name, ToUpperAnsi(name), value)
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
    return InTransaction(Access::Write, [&] {
        auto row = KeyRow(root, key, false);
        if (!row) return false;
        Statement(db_, "DELETE FROM key_values WHERE key = ?1 AND folded = ?2").With(*row, ToUpperAnsi(name)).Step();
        return sqlite3_changes(db_) > 0;
    });
}

bool SqliteRegistry::DeleteKey(RegistryRoot root, const std::vector<std::string>& key) {
    if (key.empty()) return false;
    return InTransaction(Access::Write, [&] {
        auto row = KeyRow(root, key, false);
        if (!row) return false;
        Statement(db_, "DELETE FROM keys WHERE id = ?1").With(*row).Step();
        return true;
    });
}

}  // namespace vexa
