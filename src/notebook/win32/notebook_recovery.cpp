#include "notebook/win32/notebook_recovery.h"

#include <wincrypt.h>

#include "notebook/autosave.h"
#include "richview/rvf.h"
#include "richview/rvf_files.h"
#include "ui/paths.h"
#include "ui/win32/safe_write.h"
#include "ui/win32/win_text.h"

namespace nv {

namespace {

// A blob the system allocated, freed on every path.
struct LocalBlob {
  DATA_BLOB blob{};
  ~LocalBlob() {
    if (blob.pbData) ::LocalFree(blob.pbData);
  }
  std::string Bytes() const { return std::string(reinterpret_cast<const char*>(blob.pbData), blob.cbData); }
};

DATA_BLOB InputBlob(const std::string& bytes) {
  DATA_BLOB in{};
  in.cbData = static_cast<DWORD>(bytes.size());
  in.pbData = reinterpret_cast<BYTE*>(const_cast<char*>(bytes.data()));
  return in;
}

}  // namespace

std::optional<std::string> SealForUser(const std::string& plain) {
  if (plain.size() > 0x7FFFFFFFu) return std::nullopt;
  DATA_BLOB in = InputBlob(plain);
  LocalBlob out;
  if (!::CryptProtectData(&in, L"Nookvale notebook", nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN,
                          &out.blob))
    return std::nullopt;
  return out.Bytes();
}

std::optional<std::string> UnsealForUser(const std::string& sealed) {
  if (sealed.empty() || sealed.size() > 0x7FFFFFFFu) return std::nullopt;
  DATA_BLOB in = InputBlob(sealed);
  LocalBlob out;
  if (!::CryptUnprotectData(&in, nullptr, nullptr, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out.blob))
    return std::nullopt;
  return out.Bytes();
}

bool TNotebookRecovery::Exists() const {
  const DWORD a = ::GetFileAttributesW(Widen(path_).c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool TNotebookRecovery::SealAndWrite(const TRVDocument& doc, const NvxKey* key) {
  try {
    std::optional<std::string> inner;
    if (key) inner = SaveNvx(doc, *key);
    else inner = SaveRVF(doc);
    if (!inner) return false;
    std::optional<std::string> sealed = SealForUser(*inner);
    // The plain form is wiped, not left to the heap.
    if (!key) WipeBytes(inner->data(), inner->size());
    return sealed && WriteFileSafely(path_, *sealed);
  } catch (...) {
    // Out of memory while sealing a large document: the previous recovery
    // file stays, and the next pause tries again.
    return false;
  }
}

bool TNotebookRecovery::WriteInBackground(TRVDocument snapshot, std::shared_ptr<const NvxKey> key) {
  if (busy_.load()) return false;
  Wait();  // joins the finished worker
  busy_ = true;
  try {
    // Pictures are shared, never changed in place, so the copy may be read
    // there while the editor goes on here.
    worker_ = std::thread([this, doc = std::move(snapshot), key = std::move(key)] {
      // A failed write keeps the previous file; the next pause tries again.
      SealAndWrite(doc, key.get());
      busy_ = false;
    });
  } catch (...) {
    // No thread to be had: the next pause tries again.
    busy_ = false;
    return false;
  }
  return true;
}

bool TNotebookRecovery::WriteNow(const TRVDocument& doc, const std::shared_ptr<const NvxKey>& key) {
  Wait();
  return SealAndWrite(doc, key.get());
}

void TNotebookRecovery::Wait() {
  if (worker_.joinable()) worker_.join();
}

TNotebookRecovery::ReadResult TNotebookRecovery::Read(std::string& bytes) {
  Wait();
  if (!Exists()) return ReadResult::Missing;
  const std::optional<std::string> sealed = ReadFileBytes(path_);
  if (!sealed) return ReadResult::Unreadable;
  std::optional<std::string> plain = UnsealForUser(*sealed);
  if (!plain) return ReadResult::Unreadable;
  bytes = std::move(*plain);
  return ReadResult::Ok;
}

void TNotebookRecovery::Delete() {
  Wait();
  ::DeleteFileW(Widen(path_).c_str());
}

std::string TNotebookRecovery::KeepAside() {
  Wait();
  SYSTEMTIME t;
  ::GetLocalTime(&t);
  const std::string aside = KeptAsideName(path_, t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
  if (!::MoveFileExW(Widen(path_).c_str(), Widen(aside).c_str(), MOVEFILE_WRITE_THROUGH)) return {};
  return aside;
}

}  // namespace nv
