#include "platform/posix/window_station.hpp"

#include "common/text.hpp"

namespace vexa {
namespace {

constexpr auto kRead = SqliteDatabase::Access::Read;
constexpr auto kWrite = SqliteDatabase::Access::Write;

// Handles, endpoints and message numbers are never given out twice (AUTOINCREMENT), so a
// handle kept by a process whose window has gone can never reach a newer window. Atoms
// are reused, as the system reuses them: there are only 16384 of each. Names are compared
// by their upper-cased form, `folded`; an atom keeps its first spelling.
constexpr const char* kSchema = R"(
CREATE TABLE IF NOT EXISTS endpoints (id INTEGER PRIMARY KEY AUTOINCREMENT);
CREATE TABLE IF NOT EXISTS windows (
    handle INTEGER PRIMARY KEY AUTOINCREMENT,
    endpoint INTEGER NOT NULL REFERENCES endpoints (id) ON DELETE CASCADE);
CREATE TABLE IF NOT EXISTS messages (
    id INTEGER PRIMARY KEY AUTOINCREMENT CHECK (id <= 16384),
    folded TEXT NOT NULL UNIQUE);
CREATE TABLE IF NOT EXISTS atoms (
    id INTEGER PRIMARY KEY CHECK (id BETWEEN 0 AND 16383),
    folded TEXT NOT NULL UNIQUE,
    name TEXT NOT NULL,
    refs INTEGER NOT NULL);
)";

constexpr std::uint32_t kFirstMessage = 0xC000;
constexpr std::uint16_t kFirstAtom = 0xC000;
constexpr std::size_t kLongestName = 255;

bool AcceptableName(const std::string& name) { return !name.empty() && name.size() <= kLongestName; }

// The row's one number that a statement gives back, or 0 when it gives none.
template <typename... Values>
long long NumberFrom(sqlite3* db, const char* sql, const Values&... values) {
    SqliteStatement statement(db, sql);
    return statement.With(values...).Step() ? statement.Integer(0) : 0;
}

}  // namespace

WindowStation::WindowStation(const std::filesystem::path& database) : database_(database, kSchema) {}

std::uint64_t WindowStation::NewEndpoint() {
    return database_.InTransaction(kWrite, [](sqlite3* db) -> std::uint64_t {
        return static_cast<std::uint64_t>(NumberFrom(db, "INSERT INTO endpoints DEFAULT VALUES RETURNING id"));
    });
}

void WindowStation::ForgetEndpoint(std::uint64_t endpoint) {
    database_.InTransaction(kWrite, [&](sqlite3* db) {
        return NumberFrom(db, "DELETE FROM endpoints WHERE id = ?1", static_cast<long long>(endpoint));
    });
}

WindowHandle WindowStation::NewWindow(std::uint64_t endpoint) {
    return database_.InTransaction(kWrite, [&](sqlite3* db) -> WindowHandle {
        return static_cast<WindowHandle>(NumberFrom(db, "INSERT INTO windows (endpoint) VALUES (?1) RETURNING handle",
                                                    static_cast<long long>(endpoint)));
    });
}

void WindowStation::ForgetWindow(WindowHandle window) {
    database_.InTransaction(kWrite, [&](sqlite3* db) {
        return NumberFrom(db, "DELETE FROM windows WHERE handle = ?1", static_cast<long long>(window));
    });
}

std::optional<std::uint64_t> WindowStation::EndpointOf(WindowHandle window) {
    return database_.InTransaction(kRead, [&](sqlite3* db) -> std::optional<std::uint64_t> {
        long long endpoint =
            NumberFrom(db, "SELECT endpoint FROM windows WHERE handle = ?1", static_cast<long long>(window));
        if (endpoint == 0) return std::nullopt;
        return static_cast<std::uint64_t>(endpoint);
    });
}

std::uint32_t WindowStation::RegisterMessage(const std::string& name) {
    if (!AcceptableName(name)) return 0;
    return database_.InTransaction(kWrite, [&](sqlite3* db) -> std::uint32_t {
        long long id = NumberFrom(db,
                                  "INSERT INTO messages (folded) VALUES (?1) "
                                  "ON CONFLICT (folded) DO UPDATE SET folded = excluded.folded RETURNING id",
                                  ToUpperAnsi(name));
        return kFirstMessage + static_cast<std::uint32_t>(id) - 1;
    });
}

// A known name gains a reference; a new one takes the lowest free number.
std::uint16_t WindowStation::AddAtom(const std::string& text) {
    if (!AcceptableName(text)) return 0;
    return database_.InTransaction(kWrite, [&](sqlite3* db) -> std::uint16_t {
        std::string folded = ToUpperAnsi(text);
        SqliteStatement known(db, "UPDATE atoms SET refs = refs + 1 WHERE folded = ?1 RETURNING id");
        long long id = known.With(folded).Step() ? known.Integer(0) : -1;
        if (id < 0) {
            SqliteStatement added(db,
                                  "INSERT INTO atoms (id, folded, name, refs) VALUES ("
                                  "(SELECT MIN(id + 1) FROM (SELECT -1 AS id UNION ALL SELECT id FROM atoms) "
                                  "WHERE id + 1 NOT IN (SELECT id FROM atoms)), ?1, ?2, 1) RETURNING id");
            if (!added.With(folded, text).Step()) throw SqliteRefused{};
            id = added.Integer(0);
        }
        return static_cast<std::uint16_t>(kFirstAtom + id);
    });
}

std::optional<std::string> WindowStation::AtomName(std::uint16_t atom) {
    if (atom < kFirstAtom) return std::nullopt;
    return database_.InTransaction(kRead, [&](sqlite3* db) -> std::optional<std::string> {
        SqliteStatement name(db, "SELECT name FROM atoms WHERE id = ?1");
        if (!name.With(static_cast<long long>(atom - kFirstAtom)).Step()) return std::nullopt;
        return name.Text(0);
    });
}

void WindowStation::DeleteAtom(std::uint16_t atom) {
    if (atom < kFirstAtom) return;
    database_.InTransaction(kWrite, [&](sqlite3* db) {
        long long id = atom - kFirstAtom;
        NumberFrom(db, "UPDATE atoms SET refs = refs - 1 WHERE id = ?1", id);
        return NumberFrom(db, "DELETE FROM atoms WHERE id = ?1 AND refs <= 0", id);
    });
}

}  // namespace vexa
