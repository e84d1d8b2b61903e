#include "codec/streams.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <system_error>

#include "codec/large_alloc.h"
#include "ui/paths.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace nv {

namespace {

constexpr std::size_t kLargeBuffer = std::size_t{8} << 20;

std::int64_t SeekTarget(std::int64_t offset, std::int64_t base, const std::string& what) {
  if ((offset > 0 && base > std::numeric_limits<std::int64_t>::max() - offset) ||
      base + offset < 0)
    throw EStreamError("Invalid seek in " + what + ".");
  return base + offset;
}

}  // namespace

void TStream::ReadBuffer(void* buffer, std::size_t count) {
  if (Read(buffer, count) != count) throw EReadError("Stream read error in " + Describe() + ".");
}

// --- TMemoryStream --------------------------------------------------------

TMemoryStream::TMemoryStream(std::string_view bytes) {
  Write(bytes.data(), bytes.size());
  position_ = 0;
}

void TMemoryStream::FreeDeleter::operator()(std::uint8_t* p) const { std::free(p); }

void TMemoryStream::Reserve(std::size_t capacity) {
  if (capacity <= capacity_) return;
  // Grow by half again so that many small writes stay linear overall.
  std::size_t grown = capacity_ + capacity_ / 2;
  if (grown < capacity || grown > kMaxInMemory) grown = capacity;
  // Small blocks grow with realloc; large ones move to memory made for
  // large buffers. Either way a failure comes back as null (also under the
  // address sanitizer) instead of ending the program.
  void* fresh = nullptr;
  if (grown >= kLargeBuffer) {
    fresh = AllocateLarge(grown);
    if (fresh && size_) std::memcpy(fresh, data_.get(), size_);
    if (fresh) data_.reset();
  } else {
    fresh = std::realloc(data_.get(), grown);
  }
  if (!fresh) {
    throw EWriteError("Out of memory: a memory stream cannot grow to " + std::to_string(capacity) +
                      " bytes.");
  }
  static_cast<void>(data_.release());
  data_.reset(static_cast<std::uint8_t*>(fresh));
  capacity_ = grown;
}

void TMemoryStream::SetSize(std::int64_t size) {
  if (size < 0 || static_cast<std::uint64_t>(size) > kMaxInMemory)
    throw EStreamError("Invalid size for a memory stream: " + std::to_string(size) + ".");
  const auto n = static_cast<std::size_t>(size);
  Reserve(n);
  if (n > size_) std::memset(data_.get() + size_, 0, n - size_);
  size_ = n;
  if (position_ > size) position_ = size;
}

void TMemoryStream::Clear() {
  data_.reset();
  size_ = capacity_ = 0;
  position_ = 0;
}

std::int64_t TMemoryStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  std::int64_t base = 0;
  if (origin == TSeekOrigin::soCurrent) base = position_;
  if (origin == TSeekOrigin::soEnd) base = static_cast<std::int64_t>(size_);
  position_ = SeekTarget(offset, base, Describe());
  return position_;
}

std::size_t TMemoryStream::Read(void* buffer, std::size_t count) {
  if (position_ >= static_cast<std::int64_t>(size_) || count == 0) return 0;
  const auto pos = static_cast<std::size_t>(position_);
  const std::size_t n = std::min(count, size_ - pos);
  std::memcpy(buffer, data_.get() + pos, n);
  position_ += static_cast<std::int64_t>(n);
  return n;
}

std::size_t TMemoryStream::Write(const void* buffer, std::size_t count) {
  if (count == 0) return 0;
  const auto pos = static_cast<std::uint64_t>(position_);
  if (pos > kMaxInMemory || count > kMaxInMemory - pos)
    throw EWriteError("Out of memory: a memory stream cannot grow beyond " + std::to_string(pos) +
                      " bytes.");
  const auto end = static_cast<std::size_t>(pos + count);
  Reserve(end);
  const auto at = static_cast<std::size_t>(pos);
  if (at > size_) std::memset(data_.get() + size_, 0, at - size_);
  std::memcpy(data_.get() + at, buffer, count);
  if (end > size_) size_ = end;
  position_ = static_cast<std::int64_t>(end);
  return count;
}

// --- TFileStream ----------------------------------------------------------

namespace {

#ifdef _WIN32
int Seek64(std::FILE* f, std::int64_t offset, int whence) { return _fseeki64(f, offset, whence); }
std::int64_t Tell64(std::FILE* f) { return _ftelli64(f); }
int Truncate64(std::FILE* f, std::int64_t size) {
  const errno_t e = _chsize_s(_fileno(f), size);
  if (e != 0) errno = e;
  return e == 0 ? 0 : -1;
}
#else
static_assert(sizeof(off_t) == 8, "large file support is required");
int Seek64(std::FILE* f, std::int64_t offset, int whence) {
  return fseeko(f, static_cast<off_t>(offset), whence);
}
std::int64_t Tell64(std::FILE* f) { return static_cast<std::int64_t>(ftello(f)); }
int Truncate64(std::FILE* f, std::int64_t size) {
  return ftruncate(fileno(f), static_cast<off_t>(size));
}
#endif

}  // namespace

TFileStream::TFileStream(std::string_view utf8Path, TFileMode mode) : path_(utf8Path) {
  const std::filesystem::path p = PathFromUtf8(utf8Path);
#ifdef _WIN32
  const wchar_t* m = mode == TFileMode::fmOpenRead        ? L"rb"
                     : mode == TFileMode::fmOpenReadWrite ? L"r+b"
                                                          : L"w+b";
  file_ = _wfopen(p.c_str(), m);
#else
  const char* m = mode == TFileMode::fmOpenRead        ? "rb"
                  : mode == TFileMode::fmOpenReadWrite ? "r+b"
                                                       : "w+b";
  file_ = std::fopen(p.c_str(), m);
#endif
  if (!file_) {
    const int e = errno;
    if (mode == TFileMode::fmCreate)
      throw EFOpenError("Cannot create file \"" + path_ + "\". " +
                        std::generic_category().message(e));
    throw EFOpenError("Cannot open file \"" + path_ + "\". " + std::generic_category().message(e));
  }
}

TFileStream::~TFileStream() {
  if (file_) std::fclose(file_);
}

void TFileStream::Fail(const char* what, int error) const {
  std::string text = std::string("Cannot ") + what + " file \"" + path_ + "\".";
  if (error != 0) text += " " + std::generic_category().message(error);
  if (std::strcmp(what, "read") == 0) throw EReadError(text);
  if (std::strcmp(what, "write") == 0) throw EWriteError(text);
  throw EStreamError(text);
}

void TFileStream::Switch(LastOp next) {
  if (last_ != LastOp::none && last_ != next && Seek64(file_, 0, SEEK_CUR) != 0)
    Fail("seek in", errno);
  last_ = next;
}

std::int64_t TFileStream::Position() {
  const std::int64_t p = Tell64(file_);
  if (p < 0) Fail("seek in", errno);
  return p;
}

std::int64_t TFileStream::Size() {
  const std::int64_t here = Position();
  if (Seek64(file_, 0, SEEK_END) != 0) Fail("seek in", errno);
  const std::int64_t end = Position();
  if (Seek64(file_, here, SEEK_SET) != 0) Fail("seek in", errno);
  last_ = LastOp::none;
  return end;
}

void TFileStream::SetSize(std::int64_t size) {
  if (size < 0) throw EStreamError("Invalid size for file \"" + path_ + "\".");
  const std::int64_t here = Position();
  if (std::fflush(file_) != 0) Fail("write", errno);
  if (Truncate64(file_, size) != 0) Fail("resize", errno);
  if (Seek64(file_, std::min(here, size), SEEK_SET) != 0) Fail("seek in", errno);
  last_ = LastOp::none;
}

std::int64_t TFileStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  std::int64_t base = 0;
  if (origin == TSeekOrigin::soCurrent) base = Position();
  if (origin == TSeekOrigin::soEnd) base = Size();
  const std::int64_t target = SeekTarget(offset, base, Describe());
  if (Seek64(file_, target, SEEK_SET) != 0) Fail("seek in", errno);
  last_ = LastOp::none;
  return target;
}

std::size_t TFileStream::Read(void* buffer, std::size_t count) {
  if (count == 0) return 0;
  Switch(LastOp::read);
  const std::size_t n = std::fread(buffer, 1, count, file_);
  if (n < count && std::ferror(file_)) {
    const int e = errno;
    std::clearerr(file_);
    Fail("read", e);
  }
  return n;
}

std::size_t TFileStream::Write(const void* buffer, std::size_t count) {
  if (count == 0) return 0;
  Switch(LastOp::write);
  const std::size_t n = std::fwrite(buffer, 1, count, file_);
  // Buffered bytes are pushed out now, so a full disk is reported by the
  // write that caused it rather than lost at closing.
  if (n < count || std::fflush(file_) != 0) {
    const int e = errno;
    std::clearerr(file_);
    Fail("write", e);
  }
  return n;
}

}  // namespace nv
