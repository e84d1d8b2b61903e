// The settings database: a small stand-in for the ADO connection and table
// components the main window uses. It accepts the same connection string a
// Jet 4.0 database would take, checks provider, file and password, and keeps
// the data in an SQLite file. Failures raise EDatabaseError with the texts the
// Jet provider gives, so the user sees what they would expect.
#pragma once

#include <future>
#include <memory>
#include <string>
#include <vector>

#include "ui/errors.h"

struct sqlite3;

namespace nv {

class EDatabaseError : public Exception {
 public:
  using Exception::Exception;
};

// The parts of an OLE DB connection string the settings database uses.
struct ConnectionSettings {
  std::string provider;
  std::string userId;
  std::string password;
  std::string dataSource;
  std::string mode;
  bool persistSecurityInfo = false;
};

// Parses "key=value;key=value;..." (keys without regard to case, values
// optionally in single or double quotes). Unknown keys are ignored.
ConnectionSettings ParseConnectionString(const std::string& text);

// The exact connection string the main window builds for its database.
std::string SettingsConnectionString(const std::string& databasePath);

// The fixed password of the settings database.
extern const char* const kSettingsDatabasePassword;
// The provider the connection string must name.
extern const char* const kJetProvider;

class TADOConnection {
 public:
  TADOConnection();
  ~TADOConnection();
  TADOConnection(const TADOConnection&) = delete;
  TADOConnection& operator=(const TADOConnection&) = delete;

  std::string ConnectionString;
  bool LoginPrompt = false;

  void Open();
  // Starts the slow part of Open, deriving the password's hash, on another
  // thread, so that it runs while the caller builds its window. Open takes
  // that hash only when it was derived from the same password, salt and
  // iteration count it reads itself; whatever goes wrong here, Open does
  // the work again and reports what it finds.
  void PrepareOpen();
  void Close();
  bool Connected() const { return db_ != nullptr; }
  // Path of the open database file.
  const std::string& FileName() const { return fileName_; }
  sqlite3* Handle() const { return db_; }

 private:
  struct DerivedHash {
    std::string password, salt, hash;
    long long iterations = 0;
  };

  sqlite3* db_ = nullptr;
  std::string fileName_;
  std::future<DerivedHash> prepared_;
};

struct TField {
  std::string FieldName;
  std::string DeclaredType;
};

class TADOTable {
 public:
  explicit TADOTable(TADOConnection* connection = nullptr) : Connection(connection) {}

  TADOConnection* Connection;
  std::string TableName;

  // Opens the table and binds its columns (raises when table or a column is
  // missing); false closes it. Closing a closed table does nothing.
  void SetActive(bool active);
  bool Active() const { return active_; }
  const TField& FieldByName(const std::string& name) const;
  const std::vector<TField>& Fields() const { return fields_; }

  // Columns bound when the table opens.
  static const std::vector<std::string>& BoundColumns();

 private:
  bool active_ = false;
  std::vector<TField> fields_;
};

// Creates a new settings database at path, protected by password. Fails
// (EDatabaseError) when the file exists and overwrite is false.
void CreateSettingsDatabase(const std::string& path, const std::string& password, bool overwrite);

}  // namespace nv
