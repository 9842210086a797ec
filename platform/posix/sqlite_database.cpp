#include "platform/posix/sqlite_database.hpp"

namespace vexa {
namespace {

void Check(int status) {
    if (status != SQLITE_OK) throw SqliteRefused{};
}

// Another process's transaction is short; waiting this long for it means something is stuck.
constexpr int kBusyWaitMs = 10'000;

}  // namespace

SqliteStatement::SqliteStatement(sqlite3* db, const char* sql) {
    Check(sqlite3_prepare_v2(db, sql, -1, &statement_, nullptr));
}

bool SqliteStatement::Step() {
    int status = sqlite3_step(statement_);
    if (status != SQLITE_ROW && status != SQLITE_DONE) throw SqliteRefused{};
    return status == SQLITE_ROW;
}

std::string SqliteStatement::Text(int column) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
    return text ? std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(statement_, column))) : "";
}

void SqliteStatement::Bind(int index, long long value) { Check(sqlite3_bind_int64(statement_, index, value)); }

void SqliteStatement::Bind(int index, const std::string& text) {
    Check(sqlite3_bind_text(statement_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT));
}

// Write-ahead logging lets readers work beside a writer. If it cannot be switched on (the
// first two processes racing to make the file), the default rollback journal is as safe.
// With the log, a commit survives any crash of a process without waiting for the disk; only
// a power cut may lose the last few, which the registry of a real machine risks as well.
SqliteDatabase::SqliteDatabase(const std::filesystem::path& file, const char* schema) {
    try {
        Check(sqlite3_open_v2(file.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr));
        Check(sqlite3_busy_timeout(db_, kBusyWaitMs));
        Exec("PRAGMA foreign_keys = ON");
        sqlite3_exec(db_, "PRAGMA journal_mode = WAL", nullptr, nullptr, nullptr);
        Exec("PRAGMA synchronous = NORMAL");
        Exec("BEGIN IMMEDIATE");
        Exec(schema);
        Exec("COMMIT");
    } catch (const SqliteRefused&) {
        sqlite3_close(db_);
        db_ = nullptr;
    }
}

void SqliteDatabase::Exec(const char* sql) { Check(sqlite3_exec(db_, sql, nullptr, nullptr, nullptr)); }

}  // namespace vexa
