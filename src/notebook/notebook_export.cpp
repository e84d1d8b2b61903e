#include "notebook/notebook_export.h"

#include <filesystem>
#include <system_error>

#include "codec/clencoder.h"
#include "codec/streams.h"
#include "ui/paths.h"

namespace nv {

namespace {

// Removes the file when the command leaves, on every path.
class TempFile {
 public:
  explicit TempFile(std::string path) : path_(std::move(path)) { Remove(); }
  ~TempFile() { Remove(); }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  const std::string& Path() const { return path_; }

 private:
  void Remove() const {
    std::error_code ec;
    std::filesystem::remove(PathFromUtf8(path_), ec);
  }
  std::string path_;
};

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// One file into another through the Base64 coder; both files are closed
// when it returns, on every path.
void Base64FileToFile(const std::string& from, const std::string& to, bool encode) {
  TclEncoder encoder;
  TFileStream source(from, TFileMode::fmOpenRead);
  TFileStream destination(to, TFileMode::fmCreate);
  if (encode) encoder.Encode(source, destination, encBase64);
  else encoder.Decode(source, destination, encBase64);
}

}  // namespace

std::string ExportedText(const TRVDocument& doc, const AnsiCodec& ansi) {
  std::string text = SaveText(doc, 80, TextEncoding::Ansi, ansi);
  const std::string utf8 = SaveText(doc, 80, TextEncoding::Utf8, ansi);
  if (ansi.ToUtf8(text) == utf8) return text;
  text.assign(kUtf8Mark);
  text += utf8;
  return text;
}

// Replaces the document with the text's lines, each a paragraph in style 0.
// The bytes are in memory before anything is cleared, so a read that fails
// leaves the document as it was.
void ShowImportedText(TRVEditCore& editor, const std::string& bytes, const AnsiCodec& ansi) {
  const TextEncoding enc = bytes.starts_with(kUtf8Mark) ? TextEncoding::Utf8 : TextEncoding::Ansi;
  editor.Clear();
  LoadText(bytes, editor.Document(), 0, 0, false, enc, ansi);
  editor.Format();
}

TExportPlaces ExportPlacesFor(const std::string& exeDir) {
  std::error_code ec;
  const auto cwd = std::filesystem::current_path(ec);
  return {exeDir, ec ? std::string() : PathToUtf8(cwd)};
}

std::string TempBesideExe(const std::string& exeDir, const char* name) {
#ifdef _WIN32
  return exeDir + "\\" + name;
#else
  return exeDir + "/" + name;
#endif
}

bool EncryptBtnClick(TRVEditCore& editor, Prompter& prompter, TNotebookDialogs& dialogs,
                     const TExportPlaces& places, const AnsiCodec& ansi) {
  dialogs.Save.title = kExportTitle;
  dialogs.Save.initialDir = places.CurrentDir;
  dialogs.Save.filter = kEncodedFilter;
  const auto chosen = ShowSaveDialog(prompter, dialogs.Save);
  if (!chosen) return false;

  // Removing a file left by an older run first means a temporary file that
  // cannot be written is an error, never a stale text exported instead.
  TempFile temp(TempBesideExe(places.ExeDir, kExportTempName));
  {
    const std::string plain = ExportedText(editor.Document(), ansi);
    TFileStream out(temp.Path(), TFileMode::fmCreate);
    out.WriteBuffer(plain.data(), plain.size());
  }
  Base64FileToFile(temp.Path(), chosen->fileName, true);
  ShowImportedText(editor, ReadWholeFile(chosen->fileName), ansi);
  return true;
}

bool DecryptBtnClick(TRVEditCore& editor, Prompter& prompter, TNotebookDialogs& dialogs,
                     const TExportPlaces& places, const AnsiCodec& ansi) {
  dialogs.Open.title = kImportTitle;
  dialogs.Open.initialDir = places.CurrentDir;
  dialogs.Open.filter = kEncodedFilter;
  const auto chosen = ShowOpenDialog(prompter, dialogs.Open);
  if (!chosen) return false;

  // A file a failed run of an older version left behind goes first.
  TempFile temp(TempBesideExe(places.ExeDir, kImportTempName));
  Base64FileToFile(chosen->fileName, temp.Path(), false);
  ShowImportedText(editor, ReadWholeFile(temp.Path()), ansi);
  return true;
}

}  // namespace nv
