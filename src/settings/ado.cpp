#include "settings/ado.h"

#include <gcrypt.h>
#include <sqlite3.h>

#include <cstring>
#include <mutex>
#include <optional>

#include "ui/gcrypt_init.h"
#include "ui/paths.h"
#include "ui/text.h"

namespace nv {

const char* const kSettingsDatabasePassword = "abc.d-efgh.ij";
const char* const kJetProvider = "Microsoft.Jet.OLEDB.4.0";

namespace {

// The password is never stored: a salted, iterated PBKDF2 hash is.
constexpr const char* kAccessTable = "MSysNookvaleAccess";
constexpr const char* kKdfName = "PBKDF2-SHA256";
constexpr unsigned long kIterations = 100000;
constexpr size_t kSaltSize = 16;
constexpr size_t kHashSize = 32;

std::string DeriveHash(const std::string& password, const std::string& salt, unsigned long iterations) {
  InitGcrypt();
  std::string out(kHashSize, '\0');
  const gcry_error_t err = gcry_kdf_derive(password.data(), password.size(), GCRY_KDF_PBKDF2,
                                           GCRY_MD_SHA256, salt.data(), salt.size(), iterations,
                                           out.size(), out.data());
  if (err) throw EDatabaseError(std::string("Password hashing failed: ") + gcry_strerror(err));
  return out;
}

bool ConstantTimeEqual(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  unsigned char diff = 0;
  for (size_t i = 0; i < a.size(); ++i) diff |= static_cast<unsigned char>(a[i] ^ b[i]);
  return diff == 0;
}

std::string Trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return s.substr(b, e - b);
}

// RAII for one prepared statement.
class Statement {
 public:
  Statement(sqlite3* db, const std::string& sql) {
    rc_ = sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt_, nullptr);
  }
  ~Statement() { sqlite3_finalize(stmt_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  int PrepareResult() const { return rc_; }
  sqlite3_stmt* get() const { return stmt_; }
  int Step() { return sqlite3_step(stmt_); }

 private:
  sqlite3_stmt* stmt_ = nullptr;
  int rc_;
};

std::string ColumnBlob(sqlite3_stmt* st, int col) {
  const void* p = sqlite3_column_blob(st, col);
  const int n = sqlite3_column_bytes(st, col);
  return p ? std::string(static_cast<const char*>(p), static_cast<size_t>(n)) : std::string();
}

// The stored password record; nullopt when the file is not one of ours.
struct AccessRecord {
  long long iterations = 0;
  std::string salt, hash;
};

std::optional<AccessRecord> ReadAccessRecord(sqlite3* db) {
  Statement st(db, std::string("SELECT kdf, iterations, salt, hash FROM ") + kAccessTable);
  // Not a database at all, or a database that is not ours.
  if (st.PrepareResult() != SQLITE_OK || st.Step() != SQLITE_ROW) return std::nullopt;
  const auto* kdf = reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 0));
  AccessRecord r;
  r.iterations = sqlite3_column_int64(st.get(), 1);
  r.salt = ColumnBlob(st.get(), 2);
  r.hash = ColumnBlob(st.get(), 3);
  if (!kdf || std::strcmp(kdf, kKdfName) != 0 || r.iterations < 1 || r.iterations > 100000000 ||
      r.salt.empty() || r.hash.size() != kHashSize)
    return std::nullopt;
  return r;
}

[[noreturn]] void ThrowUnrecognised(const std::string& path) {
  throw EDatabaseError(Format("Unrecognized database format '%s'.", path.c_str()));
}

void Exec(sqlite3* db, const char* sql) {
  char* msg = nullptr;
  if (sqlite3_exec(db, sql, nullptr, nullptr, &msg) != SQLITE_OK) {
    std::string text = msg ? msg : "unknown error";
    sqlite3_free(msg);
    throw EDatabaseError(text);
  }
}

}  // namespace

ConnectionSettings ParseConnectionString(const std::string& text) {
  ConnectionSettings cs;
  size_t i = 0;
  while (i < text.size()) {
    const size_t eq = text.find('=', i);
    if (eq == std::string::npos) break;
    const std::string key = AsciiLower(Trim(text.substr(i, eq - i)));
    size_t j = eq + 1;
    while (j < text.size() && text[j] == ' ') ++j;
    std::string value;
    if (j < text.size() && (text[j] == '"' || text[j] == '\'')) {
      const char q = text[j];
      const size_t close = text.find(q, j + 1);
      value = text.substr(j + 1, close == std::string::npos ? std::string::npos : close - j - 1);
      j = close == std::string::npos ? text.size() : close + 1;
      const size_t semi = text.find(';', j);
      i = semi == std::string::npos ? text.size() : semi + 1;
    } else {
      const size_t semi = text.find(';', j);
      value = Trim(text.substr(j, semi == std::string::npos ? std::string::npos : semi - j));
      i = semi == std::string::npos ? text.size() : semi + 1;
    }
    if (key == "provider") cs.provider = value;
    else if (key == "user id") cs.userId = value;
    else if (key == "jet oledb:database password") cs.password = value;
    else if (key == "data source") cs.dataSource = value;
    else if (key == "mode") cs.mode = value;
    else if (key == "persist security info") cs.persistSecurityInfo = AsciiLower(value) == "true";
  }
  return cs;
}

std::string SettingsConnectionString(const std::string& databasePath) {
  return std::string("Provider=Microsoft.Jet.OLEDB.4.0;User ID=Admin;Jet OLEDB:Database Password=") +
         kSettingsDatabasePassword + ";Data Source=" + databasePath +
         ";Mode=Share Deny None;" + "Persist Security Info=False;";
}

TADOConnection::TADOConnection() = default;

TADOConnection::~TADOConnection() { Close(); }

void TADOConnection::Open() {
  if (db_) return;
  const ConnectionSettings cs = ParseConnectionString(ConnectionString);
  if (!AsciiEqualNoCase(cs.provider, kJetProvider))
    throw EDatabaseError("Provider cannot be found. It may not be properly installed.");
  if (cs.dataSource.empty() || !FileExists(cs.dataSource))
    throw EDatabaseError(Format("Could not find file '%s'.", cs.dataSource.c_str()));

  const bool readOnly = AsciiLower(cs.mode) == "read";
  sqlite3* db = nullptr;
  const int flags = (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX;
  if (sqlite3_open_v2(cs.dataSource.c_str(), &db, flags, nullptr) != SQLITE_OK) {
    const std::string msg = db ? sqlite3_errmsg(db) : "out of memory";
    sqlite3_close(db);
    throw EDatabaseError(Format("Could not open file '%s': %s.", cs.dataSource.c_str(), msg.c_str()));
  }
  // Any failure below closes the handle again before the error leaves.
  std::unique_ptr<sqlite3, int (*)(sqlite3*)> guard(db, sqlite3_close);
  sqlite3_busy_timeout(db, 2000);

  const std::optional<AccessRecord> record = ReadAccessRecord(db);
  if (!record) ThrowUnrecognised(cs.dataSource);
  std::string derived;
  if (prepared_.valid()) {
    const DerivedHash early = prepared_.get();
    if (early.password == cs.password && early.salt == record->salt && early.iterations == record->iterations)
      derived = early.hash;
  }
  if (derived.empty()) derived = DeriveHash(cs.password, record->salt, static_cast<unsigned long>(record->iterations));
  if (!ConstantTimeEqual(derived, record->hash)) throw EDatabaseError("Not a valid password.");

  db_ = guard.release();
  fileName_ = cs.dataSource;
}

void TADOConnection::PrepareOpen() {
  if (db_ || prepared_.valid()) return;
  const ConnectionSettings cs = ParseConnectionString(ConnectionString);
  try {
    prepared_ = std::async(std::launch::async, [cs] {
      DerivedHash r;
      try {
        sqlite3* raw = nullptr;
        const int rc = sqlite3_open_v2(cs.dataSource.c_str(), &raw, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
        std::unique_ptr<sqlite3, int (*)(sqlite3*)> db(raw, sqlite3_close);
        if (rc != SQLITE_OK) return r;
        const std::optional<AccessRecord> record = ReadAccessRecord(db.get());
        if (!record) return r;
        r.hash = DeriveHash(cs.password, record->salt, static_cast<unsigned long>(record->iterations));
        r.password = cs.password;
        r.salt = record->salt;
        r.iterations = record->iterations;
      } catch (...) {
        r = DerivedHash{};  // Open derives it again and reports the failure
      }
      return r;
    });
  } catch (...) {
    // No thread to spare: Open derives the hash itself.
  }
}

void TADOConnection::Close() {
  if (db_) {
    sqlite3_close(db_);
    db_ = nullptr;
    fileName_.clear();
  }
}

const std::vector<std::string>& TADOTable::BoundColumns() {
  static const std::vector<std::string> cols = {"TaskID", "HotKey1", "HotKey2",
                                                "HotKey3", "HotKey4", "HomePage"};
  return cols;
}

void TADOTable::SetActive(bool active) {
  if (!active) {
    active_ = false;
    fields_.clear();
    return;
  }
  if (active_) return;
  if (!Connection || !Connection->Connected()) throw EDatabaseError("Connection not open.");
  Statement st(Connection->Handle(), "SELECT name, type FROM pragma_table_info(?1)");
  if (st.PrepareResult() != SQLITE_OK) throw EDatabaseError(sqlite3_errmsg(Connection->Handle()));
  sqlite3_bind_text(st.get(), 1, TableName.c_str(), -1, SQLITE_TRANSIENT);
  std::vector<TField> present;
  int rc;
  while ((rc = st.Step()) == SQLITE_ROW) {
    TField f;
    const auto* n = reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 0));
    const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 1));
    f.FieldName = n ? n : "";
    f.DeclaredType = t ? t : "";
    present.push_back(std::move(f));
  }
  if (rc != SQLITE_DONE) throw EDatabaseError(sqlite3_errmsg(Connection->Handle()));
  if (present.empty())
    throw EDatabaseError(Format(
        "The Microsoft Jet database engine cannot find the input table or query '%s'.",
        TableName.c_str()));
  std::vector<TField> bound;
  for (const auto& want : BoundColumns()) {
    const TField* found = nullptr;
    for (const auto& f : present)
      if (AsciiEqualNoCase(f.FieldName, want)) found = &f;
    if (!found) throw EDatabaseError(Format("Field '%s' not found", want.c_str()));
    bound.push_back(*found);
  }
  fields_ = std::move(bound);
  active_ = true;
}

const TField& TADOTable::FieldByName(const std::string& name) const {
  for (const auto& f : fields_)
    if (AsciiEqualNoCase(f.FieldName, name)) return f;
  throw EDatabaseError(Format("Field '%s' not found", name.c_str()));
}

void CreateSettingsDatabase(const std::string& path, const std::string& password, bool overwrite) {
  if (FileExists(path)) {
    if (!overwrite) throw EDatabaseError(Format("File '%s' already exists.", path.c_str()));
    std::error_code ec;
    std::filesystem::remove(PathFromUtf8(path), ec);
    if (ec) throw EDatabaseError(Format("Cannot replace '%s': %s.", path.c_str(), ec.message().c_str()));
  }
  sqlite3* raw = nullptr;
  if (sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
    const std::string msg = raw ? sqlite3_errmsg(raw) : "out of memory";
    sqlite3_close(raw);
    throw EDatabaseError(Format("Cannot create '%s': %s.", path.c_str(), msg.c_str()));
  }
  std::unique_ptr<sqlite3, int (*)(sqlite3*)> db(raw, sqlite3_close);
  InitGcrypt();
  std::string salt(kSaltSize, '\0');
  gcry_randomize(salt.data(), salt.size(), GCRY_STRONG_RANDOM);
  const std::string hash = DeriveHash(password, salt, kIterations);

  Exec(db.get(), "BEGIN");
  Exec(db.get(),
       "CREATE TABLE HotKeys ("
       " TaskID INTEGER PRIMARY KEY AUTOINCREMENT,"
       " HotKey1 INTEGER, HotKey2 INTEGER, HotKey3 INTEGER, HotKey4 INTEGER,"
       " HomePage VARCHAR(50) CHECK (HomePage IS NULL OR length(HomePage) <= 50))");
  Exec(db.get(),
       "CREATE TABLE MSysNookvaleAccess ("
       " kdf TEXT NOT NULL, iterations INTEGER NOT NULL, salt BLOB NOT NULL, hash BLOB NOT NULL)");
  Statement st(db.get(), "INSERT INTO MSysNookvaleAccess VALUES (?1, ?2, ?3, ?4)");
  sqlite3_bind_text(st.get(), 1, kKdfName, -1, SQLITE_STATIC);
  sqlite3_bind_int64(st.get(), 2, static_cast<sqlite3_int64>(kIterations));
  sqlite3_bind_blob(st.get(), 3, salt.data(), static_cast<int>(salt.size()), SQLITE_TRANSIENT);
  sqlite3_bind_blob(st.get(), 4, hash.data(), static_cast<int>(hash.size()), SQLITE_TRANSIENT);
  if (st.Step() != SQLITE_DONE) throw EDatabaseError(sqlite3_errmsg(db.get()));
  Exec(db.get(), "COMMIT");
}

}  // namespace nv
