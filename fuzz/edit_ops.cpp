// Editing operations driven by the input: typing, deleting, moving the
// caret, selecting, converting styles, pasting, pictures, lines, appends,
// undo and redo, with a layout attached. After every step the document
// must be valid and the layout must match it paragraph for paragraph; at
// the end the layout must equal a fresh one, undoing everything must give
// back the starting paragraphs (with the appended pictures, which are
// outside the undo record, at the end), and redoing everything the final
// ones.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "richview/edit.h"
#include "richview/layout.h"
#include "richview/style_conversion.h"

namespace {

using namespace nv;

class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : p_(data), end_(data + size) {}
  bool More() const { return p_ < end_; }
  int Byte() { return p_ < end_ ? *p_++ : 0; }
  int Below(int n) { return n > 0 ? Byte() % n : 0; }
  std::string Text() {
    std::string s;
    for (int n = Below(9); n > 0 && More(); --n) s += static_cast<char>(Byte());
    return s;
  }

 private:
  const std::uint8_t* p_;
  const std::uint8_t* end_;
};

void Check(bool ok) {
  if (!ok) std::abort();
}

TRVPictureItemInfo Picture(int w, int h, int align) {
  static const std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  TRVPictureItemInfo p;
  p.Kind = TRVPictureKind::Png;
  p.Data = SharedBytes(png);
  p.Width = w;
  p.Height = h;
  p.VAlign = static_cast<TRVVAlign>(align % 4);
  return p;
}

TRVDocument StartDocument(bool empty) {
  TRVDocument doc;
  if (empty) return doc;
  TRVParagraph& a = doc.AddParagraph(0);
  a.AddItem(TRVItem::MakeText("Hello w\xC3\xB6rld, ", 0));
  a.AddItem(TRVItem::MakeText("link", 4, "https://example.org/"));
  a.AddItem(Picture(12, 9, 0));
  a.AddItem(TRVItem::MakeText(" tail\tx\ny", 3));
  TRVParagraph& b = doc.AddParagraph(1);
  b.AddItem(TRVItem::MakeText("", 2)).Checkpoints = {"empty"};
  TRVParagraph& c = doc.AddParagraph(0);
  c.AddItem(TRVBreakItemInfo{});
  c.AddItem(TRVItem::MakeText("last line of text", 1)).Checkpoints = {"cp", ""};
  return doc;
}

// A fragment from elsewhere, with a style this sheet does not have.
TRVDocument ForeignFragment() {
  TRVDocument frag;
  TFontInfo big;
  big.Size = 24;
  big.FontName = "Courier New";
  const int bigNo = frag.Style.FindOrAddTextStyle(big, -1);
  TParaInfo indented;
  indented.LeftIndent = 30;
  const int paraNo = frag.Style.FindOrAddParaStyle(indented, -1);
  TRVParagraph& a = frag.AddParagraph(paraNo);
  a.AddItem(TRVItem::MakeText("big ", bigNo));
  a.AddItem(TRVItem::MakeText("jump", 5, "t")).Checkpoints = {"f"};
  frag.AddParagraph(0).AddItem(TRVItem::MakeText("", 0));
  return frag;
}

TRVPosition AnyPosition(Input& in, const TRVDocument& doc) {
  return {in.Below(doc.ParagraphCount() + 1), in.Below(6), in.Below(24)};
}

void CheckLayout(const TRVLayout& layout, const TRVDocument& doc) {
  Check(layout.ParagraphCount() == doc.ParagraphCount());
  for (int p = 0; p < doc.ParagraphCount(); ++p)
    Check(layout.Para(p).Revision == doc.Paragraphs[static_cast<size_t>(p)].Revision());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Input in(data, size);
  TRVDocument doc = StartDocument(in.Byte() & 1);
  TMonoFontMetrics metrics;
  TRVLayout layout(metrics);
  layout.SetWidth(20 + in.Byte() * 2);
  TRVEditCore ed(doc);
  ed.SetUndoLimits(0, 0);  // keep every step, so undoing all reaches the start
  ed.SetLayout(&layout);
  const TRVDocument foreign = ForeignFragment();

  TRVDocument start = doc;
  std::vector<TRVAppendRecord> appends;  // to replay onto the start
  StyleConversionRequest request;

  for (int step = 0; step < 300 && in.More(); ++step) {
    switch (in.Below(20)) {
      case 0: ed.InsertText(in.Text()); break;
      case 1: case 2: ed.TypeText(std::string(1, static_cast<char>(in.Byte()))); break;
      case 3: ed.Backspace(); break;
      case 4: ed.DeleteChar(); break;
      case 5: ed.DeleteSelection(); break;
      case 6: ed.SetCaret(AnyPosition(in, doc)); break;
      case 7: {
        const TRVPosition anchor = AnyPosition(in, doc);
        ed.SetSelection(anchor, AnyPosition(in, doc));
        break;
      }
      case 8: ed.SelectAll(); break;
      case 9: {
        const int how = in.Byte();
        if (how & 1) ed.MoveCaretLeft(how & 2);
        else ed.MoveCaretRight(how & 2);
        break;
      }
      case 10: {
        const int code = in.Below(8);
        request.boldDown = in.Byte() & 1;
        request.italicDown = !request.italicDown;
        request.fontSizeRequest = in.Byte() - 20;
        request.fontNameRequest = in.Byte() & 1 ? "Times" : "";
        ed.ApplyStyleConversion([&](int no) { return ConvertTextStyle(doc.Style, no, code, request); });
        break;
      }
      case 11: case 12: ed.Undo(); break;
      case 13: ed.Redo(); break;
      case 14: {
        const TRVPosition from = AnyPosition(in, doc);
        ed.Paste(CopyRange(doc, from, AnyPosition(in, doc)));
        break;
      }
      case 15: ed.Paste(foreign); break;
      case 16:
        if (in.Byte() & 1) {
          const int w = 1 + in.Byte(), h = 1 + in.Byte();
          ed.InsertPicture(Picture(w, h, in.Byte()));
        } else {
          const int width = in.Byte() - 5;
          ed.InsertBreak(width, static_cast<TRVBreakStyle>(in.Below(3)), clNone);
        }
        break;
      case 17: {
        const int paraNo = in.Below(3) - 1;
        const int w = 1 + in.Byte(), h = 1 + in.Byte();
        const TRVPictureItemInfo pic = Picture(w, h, in.Byte());
        TRVAppendRecord rec;
        rec.NewParagraph = paraNo >= 0;
        rec.ParaNo = paraNo >= 0 ? paraNo : ed.CurParaStyleNo();
        rec.Item = TRVItem(pic);
        Check(ed.AppendPicture(pic, paraNo));
        ed.FormatTail();
        appends.push_back(rec);
        break;
      }
      case 18: ed.SetCurTextStyleNo(in.Below(doc.Style.TextStyleCount())); break;
      case 19: {
        const int what = in.Byte();
        if (what & 1) {
          ed.SetReadOnly(!ed.ReadOnly());
        } else if (what & 2) {
          ed.Clear();
          start = doc;
          appends.clear();
        } else {
          const int x = in.Byte() * 3 - 50;
          const TRVPosition hit = layout.HitTest(doc, x, in.Byte() * 8 - 50);
          Check(doc.IsEmpty() || doc.IsValidPosition(hit));
          (void)layout.CaretRect(doc, ed.Caret());
        }
        break;
      }
    }
    Check(ValidateDocument(doc).empty());
    Check(doc.IsEmpty() || (doc.IsValidPosition(ed.Caret()) && doc.IsValidPosition(ed.Anchor())));
    CheckLayout(layout, doc);
  }

  TRVLayout fresh(metrics);
  fresh.SetWidth(layout.Width());
  fresh.Format(doc);
  for (int p = 0; p < doc.ParagraphCount(); ++p) Check(fresh.Para(p) == layout.Para(p));
  Check(fresh.DocumentHeight() == layout.DocumentHeight());

  ed.SetReadOnly(false);
  const std::vector<TRVParagraph> last = doc.Paragraphs;
  const int done = ed.History().UndoCount();
  while (ed.Undo()) Check(ValidateDocument(doc).empty());
  for (TRVAppendRecord& rec : appends) AttachAppend(start, rec);
  Check(doc.Paragraphs == start.Paragraphs);
  for (int k = 0; k < done; ++k) {
    Check(ed.Redo());
    Check(ValidateDocument(doc).empty());
  }
  Check(doc.Paragraphs == last);
  CheckLayout(layout, doc);
  return 0;
}
