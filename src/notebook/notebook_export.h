// Export of the notebook's plain text to a Base64 file, and import back.
//
// Both go through a plain-text file beside the executable. That file holds
// the user's private text unencoded, so it is removed when the command
// ends, whether it succeeded or not.
#pragma once

#include <string>

#include "notebook/notebook_dialogs.h"
#include "richview/edit.h"
#include "richview/text_format.h"
#include "ui/prompter.h"

namespace nv {

inline constexpr const char* kExportTitle = "SAVE YOUR ENCRYPTED FILE";
inline constexpr const char* kImportTitle = "OPEN YOUR ENCRYPTED FILE";
inline constexpr const char* kEncodedFilter = "Text file|*.txt";
inline constexpr const char* kExportTempName = "EncryptedFile.txt";
inline constexpr const char* kImportTempName = "DecryptedFile.txt";

// Where the commands put their files (UTF-8 paths). exeDir has no trailing
// separator.
struct TExportPlaces {
  std::string ExeDir;
  std::string CurrentDir;  // the dialogs' initial directory
};

// The process's current directory and the given executable directory.
TExportPlaces ExportPlacesFor(const std::string& exeDir);

// exeDir, the platform's separator (a backslash on Windows), name.
std::string TempBesideExe(const std::string& exeDir, const char* name);

// The plain text the export encodes: the ANSI text when the code page holds
// every character of the document, else UTF-8 after its byte-order mark, so
// that no character is turned into "?".
std::string ExportedText(const TRVDocument& doc, const AnsiCodec& ansi);
// Replaces the document with decoded text: UTF-8 when it starts with the
// byte-order mark the export writes, else ANSI.
void ShowImportedText(TRVEditCore& editor, const std::string& bytes, const AnsiCodec& ansi);

// Writes the document's plain text (lines of at most 80 characters for
// rules), Base64-encoded, to a file the user chooses, then shows that text
// in the editor in text style 0 and paragraph style 0. File and encoder
// errors are raised to the caller with the document unchanged. Answers
// whether the document was replaced (false when the dialog was cancelled).
bool EncryptBtnClick(TRVEditCore& editor, Prompter& prompter, TNotebookDialogs& dialogs,
                     const TExportPlaces& places, const AnsiCodec& ansi);

// Reads a Base64 file the user chooses and shows its decoded text in the
// editor, in text style 0 and paragraph style 0. Errors ("Wrong symbols in
// source stream." for a file that is not Base64) are raised to the caller
// with the document unchanged. Answers whether the document was replaced.
bool DecryptBtnClick(TRVEditCore& editor, Prompter& prompter, TNotebookDialogs& dialogs,
                     const TExportPlaces& places, const AnsiCodec& ansi);

}  // namespace nv
