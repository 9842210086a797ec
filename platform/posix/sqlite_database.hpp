#pragma once
// One SQLite database that several processes of the machine open at once: write-ahead
// log, a busy wait for the others' transactions, and each operation one transaction.

#include <sqlite3.h>

#include <filesystem>
#include <mutex>
#include <string>

namespace vexa {

// Whatever the database refuses; it ends the transaction where it is caught.
struct SqliteRefused {};

class SqliteStatement {
public:
    SqliteStatement(sqlite3* db, const char* sql);
    ~SqliteStatement() { sqlite3_finalize(statement_); }
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    // Starts the statement again with these parameters, in order.
    template <typename... Values>
    SqliteStatement& With(const Values&... values) {
        sqlite3_reset(statement_);
        int index = 0;
        (Bind(++index, values), ...);
        return *this;
    }
    // True for each row; false once the statement is done.
    bool Step();
    long long Integer(int column) { return sqlite3_column_int64(statement_, column); }
    std::string Text(int column);

private:
    void Bind(int index, long long value);
    // Names and values are the system's 8-bit texts, kept byte for byte whatever their encoding.
    void Bind(int index, const std::string& text);

    sqlite3_stmt* statement_ = nullptr;
};

class SqliteDatabase {
public:
    enum class Access { Read, Write };

    // Opens the database, creating it and running `schema` if needed; if that fails,
    // every transaction fails.
    SqliteDatabase(const std::filesystem::path& file, const char* schema);
    ~SqliteDatabase() { sqlite3_close(db_); }
    SqliteDatabase(const SqliteDatabase&) = delete;
    SqliteDatabase& operator=(const SqliteDatabase&) = delete;

    // Runs `work(db)` as one transaction; anything the database refuses rolls it back
    // and gives the empty result. A write begins IMMEDIATE, taking the write lock at
    // once: a transaction that read first and then tried to write could fail at once
    // rather than wait.
    template <typename Work>
    auto InTransaction(Access access, Work work) -> decltype(work(static_cast<sqlite3*>(nullptr))) {
        std::lock_guard lock(mutex_);
        if (!db_) return {};
        try {
            Exec(access == Access::Write ? "BEGIN IMMEDIATE" : "BEGIN");
            auto result = work(db_);
            Exec("COMMIT");
            return result;
        } catch (const SqliteRefused&) {
            sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);  // fails harmlessly if none began
            return {};
        }
    }

private:
    void Exec(const char* sql);

    std::mutex mutex_;  // one connection: its transactions must not interleave
    sqlite3* db_ = nullptr;
};

}  // namespace vexa
