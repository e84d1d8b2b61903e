// An edit that runs out of memory part-way must leave the document and the
// undo record consistent: either untouched, or changed whole and undoable.
// Every allocation of each edit is made to fail in turn.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "edit_support.h"
#include "richview/edit.h"

namespace {

// Armed by the test only: counts allocations down and fails the one at zero.
long g_failAt = -1;

void* Allocate(std::size_t n) {
  if (g_failAt >= 0 && g_failAt-- == 0) throw std::bad_alloc();
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}

}  // namespace

// Every form, so that nothing allocated here is freed by another allocator.
void* operator new(std::size_t n) { return Allocate(n); }
void* operator new[](std::size_t n) { return Allocate(n); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept { return std::malloc(n ? n : 1); }
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept { return std::malloc(n ? n : 1); }
void* operator new(std::size_t n, std::align_val_t a) {
  if (void* p = std::aligned_alloc(static_cast<std::size_t>(a), (n + static_cast<std::size_t>(a) - 1) &
                                                                 ~(static_cast<std::size_t>(a) - 1)))
    return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t n, std::align_val_t a) { return operator new(n, a); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }

namespace nv {
namespace {

using testing::AddPara;
using testing::Dump;

struct Snapshot {
  std::string doc;
  TRVPosition caret;
  bool canUndo;
};

Snapshot Take(const TRVDocument& doc, const TRVEditCore& ed) { return {Dump(doc), ed.Caret(), ed.CanUndo()}; }

// Runs the edit with its k-th allocation failing, for every k until it
// succeeds; after each failure everything must be as before, and undo after
// the success must still give the starting document.
template <class Edit>
void FailEveryAllocation(Edit edit, const char* what) {
  for (long k = 0; k < 100000; ++k) {
    TRVDocument doc;
    AddPara(doc, 0, {{"First line", 0}, {" bold", 1}});
    AddPara(doc, 0, {{"Second", 0}});
    AddPara(doc, 1, {{"Third paragraph", 2}});
    TRVEditCore ed(doc);
    ed.TypeText("x");  // an open typing group to join
    ed.SetSelection({0, 0, 3}, {2, 0, 5});
    const Snapshot before = Take(doc, ed);
    bool failed = false;
    g_failAt = k;
    try {
      edit(ed);
    } catch (const std::bad_alloc&) {
      failed = true;
    }
    g_failAt = -1;
    if (!failed) {
      ASSERT_GT(k, 0) << what << " allocates nothing";
      ed.Undo();
      EXPECT_EQ(Dump(doc), before.doc) << what;
      return;
    }
    ASSERT_EQ(ValidateDocument(doc), "") << what << ", allocation " << k;
    if (Dump(doc) == before.doc) {
      // Failed before the change: nothing happened at all.
      ASSERT_EQ(ed.Caret(), before.caret) << what << ", allocation " << k;
      ASSERT_EQ(ed.CanUndo(), before.canUndo) << what << ", allocation " << k;
    } else {
      // Failed after it (while following the caret, say): the change is
      // whole and recorded, so undo gives the start back.
      ASSERT_TRUE(ed.Undo()) << what << ", allocation " << k;
      ASSERT_EQ(Dump(doc), before.doc) << what << ", allocation " << k;
      continue;
    }
    // The editor still works after the failure, and undo gives the start.
    ed.TypeText("y");
    ed.Undo();
    ASSERT_EQ(Dump(doc), before.doc) << what << ", allocation " << k;
  }
  FAIL() << what << " never succeeded";
}

TEST(EditFailure, EditsThatRunOutOfMemoryChangeNothing) {
  FailEveryAllocation([](TRVEditCore& ed) { ed.TypeText("typed over"); }, "typing over a selection");
  FailEveryAllocation([](TRVEditCore& ed) { ed.InsertText("one\r\ntwo\r\nthree"); }, "inserting lines");
  FailEveryAllocation([](TRVEditCore& ed) { ed.DeleteSelection(); }, "deleting");
  FailEveryAllocation([](TRVEditCore& ed) { ed.InsertBreak(1, TRVBreakStyle::Line, clNone); }, "a line");
}

}  // namespace
}  // namespace nv
