// Seekable byte streams: the interface the encoder reads from and writes to,
// with an in-memory and a file implementation. Sizes and positions are
// 64-bit everywhere, also in the 32-bit build, so large files are never
// truncated or wrapped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <memory>
#include <string>
#include <string_view>

#include "ui/errors.h"

namespace nv {

// Stream failures. Each names what failed (for files, the path).
class EStreamError : public Exception {
 public:
  using Exception::Exception;
};
class EFOpenError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};
class EReadError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};
class EWriteError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};

// Largest byte count one buffer in memory may hold on this platform (32-bit
// builds: 2 GiB).
inline constexpr std::uint64_t kMaxInMemory =
    std::numeric_limits<std::ptrdiff_t>::max() < std::numeric_limits<std::size_t>::max()
        ? static_cast<std::uint64_t>(std::numeric_limits<std::ptrdiff_t>::max())
        : static_cast<std::uint64_t>(std::numeric_limits<std::size_t>::max());

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream {
 public:
  virtual ~TStream() = default;

  virtual std::int64_t Size() = 0;
  // Truncates or extends the stream; the position is kept unless it lies
  // beyond the new end, in which case it moves to the end.
  virtual void SetSize(std::int64_t size) = 0;
  virtual std::int64_t Position() = 0;
  // Returns the new position. A position before the start is refused with
  // EStreamError; one beyond the end is allowed (a later write fills the gap
  // with zeros).
  virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;
  // Reads up to count bytes; fewer only at the end of the stream.
  virtual std::size_t Read(void* buffer, std::size_t count) = 0;
  // Writes all count bytes or throws EWriteError.
  virtual std::size_t Write(const void* buffer, std::size_t count) = 0;

  void SetPosition(std::int64_t position) { Seek(position, TSeekOrigin::soBeginning); }
  // Reads exactly count bytes or throws EReadError.
  void ReadBuffer(void* buffer, std::size_t count);
  void WriteBuffer(const void* buffer, std::size_t count) { Write(buffer, count); }

 protected:
  // Describes the stream in error messages.
  virtual std::string Describe() const = 0;
};

// A stream kept in memory. Growing never initialises bytes that are written
// straight away, so building a large stream costs one pass over it.
class TMemoryStream : public TStream {
 public:
  TMemoryStream() = default;
  explicit TMemoryStream(std::string_view bytes);
  TMemoryStream(const TMemoryStream&) = delete;
  TMemoryStream& operator=(const TMemoryStream&) = delete;

  std::int64_t Size() override { return static_cast<std::int64_t>(size_); }
  void SetSize(std::int64_t size) override;
  std::int64_t Position() override { return position_; }
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  std::size_t Read(void* buffer, std::size_t count) override;
  std::size_t Write(const void* buffer, std::size_t count) override;

  void Clear();
  const std::uint8_t* Memory() const { return data_.get(); }
  // The whole content, whatever the position.
  std::string_view View() const {
    return std::string_view(reinterpret_cast<const char*>(data_.get()), size_);
  }
  std::string ToString() const { return std::string(View()); }

 protected:
  std::string Describe() const override { return "memory stream"; }

 private:
  void Reserve(std::size_t capacity);

  struct FreeDeleter {
    void operator()(std::uint8_t* p) const;
  };
  std::unique_ptr<std::uint8_t[], FreeDeleter> data_;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
  std::int64_t position_ = 0;
};

enum class TFileMode {
  fmOpenRead,       // existing file, reading only
  fmOpenReadWrite,  // existing file, reading and writing
  fmCreate,         // created, or truncated when it exists; reading and writing
};

// A file on disk. Paths are UTF-8 (also on Windows). Every failure to open,
// read, write or seek raises an EStreamError subclass naming the path and the
// system's reason.
class TFileStream : public TStream {
 public:
  TFileStream(std::string_view utf8Path, TFileMode mode);
  ~TFileStream() override;
  TFileStream(const TFileStream&) = delete;
  TFileStream& operator=(const TFileStream&) = delete;

  std::int64_t Size() override;
  void SetSize(std::int64_t size) override;
  std::int64_t Position() override;
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  std::size_t Read(void* buffer, std::size_t count) override;
  std::size_t Write(const void* buffer, std::size_t count) override;

  const std::string& FileName() const { return path_; }

 protected:
  std::string Describe() const override { return "file \"" + path_ + "\""; }

 private:
  enum class LastOp { none, read, write };
  // The C library needs a seek between reading and writing on one file.
  void Switch(LastOp next);
  [[noreturn]] void Fail(const char* what, int error) const;

  std::string path_;
  std::FILE* file_ = nullptr;
  LastOp last_ = LastOp::none;
};

}  // namespace nv
