// The notebook's recovery file: the unsaved document as RichView Format,
// sealed for the current Windows user with the system's data protection, so
// the private text is never readable on disk by anyone else (nor by another
// machine's copy of the file).
//
// Writes go through a temporary file that then replaces the old one, so a
// crash during a write leaves the previous recovery file intact. Putting the
// document into its file form, the sealing and the disk work can run on a
// worker thread of their own, given a copy of the document, so that typing
// never waits for them; one write at a time.
//
// The recovery file of an encrypted document is first sealed as an
// encrypted notebook under the document's key, and only then for the user:
// the system's seal alone would open for anyone logged on as that user.
#pragma once

#include <windows.h>

#include <atomic>
#include <optional>
#include <string>
#include <thread>

#include "notebook/nvx.h"
#include "richview/document.h"

namespace nv {

// The current user's seal (CryptProtectData, user scope, no prompt) and its
// opening; nothing when the system refuses (another user's file, damage).
std::optional<std::string> SealForUser(const std::string& plain);
std::optional<std::string> UnsealForUser(const std::string& sealed);

class TNotebookRecovery {
 public:
  explicit TNotebookRecovery(std::string path) : path_(std::move(path)) {}
  ~TNotebookRecovery() { Wait(); }
  TNotebookRecovery(const TNotebookRecovery&) = delete;
  TNotebookRecovery& operator=(const TNotebookRecovery&) = delete;

  const std::string& Path() const { return path_; }
  bool Exists() const;

  // Writes the document (a copy the worker owns) on a worker thread. False,
  // and nothing started, while an earlier write is still under way. With a
  // key, the document is sealed under it first.
  bool WriteInBackground(TRVDocument snapshot, std::shared_ptr<const NvxKey> key = nullptr);
  // Writes now, after any write under way; answers whether the file was
  // written.
  bool WriteNow(const TRVDocument& doc, const std::shared_ptr<const NvxKey>& key = nullptr);
  bool Busy() const { return busy_.load(); }
  // Waits for a write under way.
  void Wait();

  enum class ReadResult { Ok, Missing, Unreadable };
  // The bytes under the user's seal: RichView Format, or an encrypted
  // notebook (HasNvxMagic) when the document was encrypted.
  ReadResult Read(std::string& bytes);
  // Removes the file (after any write under way).
  void Delete();
  // Moves an unreadable file out of the way under a time-stamped name;
  // answers that name, or empty when it could not be moved.
  std::string KeepAside();

 private:
  bool SealAndWrite(const TRVDocument& doc, const NvxKey* key);
  std::string path_;
  std::thread worker_;
  std::atomic<bool> busy_{false};
};

}  // namespace nv
