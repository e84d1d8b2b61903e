#include <gtest/gtest.h>

#include "edit_support.h"
#include "richview/edit.h"
#include "richview/style_conversion.h"

namespace nv {
namespace {

using testing::AddPara;
using testing::Dump;

enum Sheet { kNormal = 0, kHeading = 1, kSubheading = 2, kKeywords = 3, kJump1 = 4, kJump2 = 5 };

// The notebook's handler: conversion `code` with the toolbar as given.
TRVStyleConversion Converter(TRVDocument& doc, int code, StyleConversionRequest request = {}) {
  return [&doc, code, request](int no) { return ConvertTextStyle(doc.Style, no, code, request); };
}

TRVStyleConversion Bold(TRVDocument& doc, bool down) {
  StyleConversionRequest r;
  r.boldDown = down;
  return Converter(doc, kConvertBold, r);
}

TEST(StyleConversionEdit, BoldOnThenOffGivesBackTheOldStyleNumbers) {
  TRVDocument doc;
  AddPara(doc, 0, {{"Hello ", kNormal}, {"key", kKeywords}, {" words", kNormal}});
  AddPara(doc, 1, {{"Head", kHeading}});
  const TRVDocument before = doc;
  TRVEditCore ed(doc);

  ed.SetSelection({0, 0, 3}, {1, 0, 2});  // "lo " .. "He"
  ASSERT_TRUE(ed.ApplyStyleConversion(Bold(doc, true)));
  // Cut at the selection's edges; Heading is bold already.
  EXPECT_EQ(Dump(doc), R"(0: "Hel"/0 "lo "/6 "key"/7 " words"/6 | 1: "Head"/1)");
  EXPECT_EQ(ed.CurTextStyleNo(), kHeading);  // the caret's style, made bold
  // The selection still holds the same text.
  EXPECT_EQ(Dump(ed.CopySelection()), R"(0: "lo "/6 "key"/7 " words"/6 | 1: "He"/1)");

  ASSERT_TRUE(ed.ApplyStyleConversion(Bold(doc, false)));
  // Back to the old numbers, and neighbours of equal style merge again. The
  // heading part is a heading without bold now, the current style with it.
  EXPECT_EQ(Dump(doc), R"(0: "Hello "/0 "key"/3 " words"/0 | 1: "He"/8 "ad"/1)");
  EXPECT_EQ(ed.CurTextStyleNo(), 8);
  ed.SetSelection({1, 0, 0}, {1, 0, 2});
  ed.ApplyStyleConversion(Bold(doc, true));
  EXPECT_EQ(doc.Paragraphs, before.Paragraphs);
  EXPECT_EQ(doc.Style.TextStyleCount(), 6 + 3);  // bold normal, bold keywords, heading unbolded
}

TEST(StyleConversionEdit, AMixedSelectionMadeBoldAppendsExactlyTwoStyles) {
  TRVDocument doc;
  AddPara(doc, 0, {{"plain ", kNormal}, {"italic", kKeywords}, {" plain", kNormal}});
  AddPara(doc, 0, {{"again ", kNormal}, {"more", kKeywords}});
  TRVEditCore ed(doc);
  ed.SetSelection({0, 0, 0}, {0, 2, 6});
  ed.ApplyStyleConversion(Bold(doc, true));
  ASSERT_EQ(doc.Style.TextStyleCount(), 8);
  // Bold Arial 10 in the window text colour, and bold italic maroon; both
  // keep the names of the styles they came from.
  EXPECT_EQ(doc.Style.TextStyle(6).StyleName, "Normal text");
  EXPECT_TRUE(doc.Style.TextStyle(6).HasStyle(fsBold));
  EXPECT_EQ(doc.Style.TextStyle(6).Color, clWindowText);
  EXPECT_EQ(doc.Style.TextStyle(7).StyleName, "Keywords");
  EXPECT_EQ(doc.Style.TextStyle(7).Style, fsBold | fsItalic);
  EXPECT_FALSE(doc.Style.TextStyle(7).Standard);

  // The same combinations again reuse them.
  ed.SetSelection({1, 0, 0}, {1, 1, 4});
  ed.ApplyStyleConversion(Bold(doc, true));
  EXPECT_EQ(doc.Style.TextStyleCount(), 8);
  EXPECT_EQ(Dump(doc), R"(0: "plain "/6 "italic"/7 " plain"/6 | 0: "again "/6 "more"/7)");
}

TEST(StyleConversionEdit, EmptyLinesTakeTheConversionWhenTheirBreakIsSelected) {
  TRVDocument doc;
  AddPara(doc, 0, {{"a", kNormal}});
  AddPara(doc, 0, {{"", kNormal}});
  AddPara(doc, 0, {{"", kNormal}});
  TRVEditCore ed(doc);
  ed.SetSelection({0, 0, 0}, {2, 0, 0});
  ed.ApplyStyleConversion(Converter(doc, kConvertFontSize, [] { StyleConversionRequest r; r.fontSizeRequest = 20; return r; }()));
  EXPECT_EQ(Dump(doc), R"(0: "a"/6 | 0: ""/6 | 0: ""/0)");
  ed.Undo();
  EXPECT_EQ(Dump(doc), R"(0: "a"/0 | 0: ""/0 | 0: ""/0)");
  EXPECT_EQ(ed.CurTextStyleNo(), kNormal);
  ed.Redo();
  EXPECT_EQ(ed.CurTextStyleNo(), 6);
}

TEST(StyleConversionEdit, WithoutASelectionOnlyTheCurrentStyleChanges) {
  TRVDocument doc;
  AddPara(doc, 0, {{"text", kNormal}});
  TRVEditCore ed(doc);
  int changed = 0;
  ed.OnCurTextStyleChanged = [&] { ++changed; };
  ed.SetCaret({0, 0, 4});
  ASSERT_TRUE(ed.ApplyStyleConversion(Bold(doc, true)));
  EXPECT_EQ(ed.CurTextStyleNo(), 6);
  EXPECT_EQ(changed, 1);
  EXPECT_FALSE(ed.CanUndo());
  ed.TypeText("B");
  EXPECT_EQ(Dump(doc), R"(0: "text"/0 "B"/6)");
  ed.ApplyStyleConversion(Bold(doc, false));
  ed.TypeText("n");
  EXPECT_EQ(Dump(doc), R"(0: "text"/0 "B"/6 "n"/0)");
}

// The notebook's end-of-hyperlink rule before Space or Enter, from the
// editor's queries.
void EndOfHyperlinkRule(TRVEditCore& ed) {
  if (ed.ReadOnly()) return;
  if (ed.CurTextStyleNo() == ed.CaretItemStyleNo() && ed.IsJumpStyle(ed.CurTextStyleNo()) &&
      !ed.SelectionExists() && ed.CaretOffset() >= ed.GetOffsAfterItem(ed.CaretItemNo()))
    ed.SetCurTextStyleNo(PlainCounterpart(ed.Document().Style, ed.CurTextStyleNo()));
}

TEST(StyleConversionEdit, SpaceAtTheEndOfAHyperlinkContinuesInItsPlainCounterpart) {
  TRVDocument doc;
  AddPara(doc, 0, {{"see ", kNormal}});
  doc.Paragraphs[0].AddItem(TRVItem::MakeText("link", kJump1, "https://example.org/"));
  TRVEditCore ed(doc);

  ed.SetCaret(doc.EndPosition());
  ASSERT_EQ(ed.CurTextStyleNo(), kJump1);
  EndOfHyperlinkRule(ed);
  EXPECT_EQ(ed.CurTextStyleNo(), kNormal);
  ed.TypeText(" ");
  EXPECT_EQ(Dump(doc), R"(0: "see "/0 "link"/4 " "/0)");
  EXPECT_EQ(doc.Style.TextStyleCount(), 6);  // the counterpart of Jump 1 is Normal text

  // In the middle of the link the Space stays in it, target and all.
  ed.SetCaret({0, 1, 2});
  EndOfHyperlinkRule(ed);
  ed.TypeText(" ");
  EXPECT_EQ(Dump(doc), R"(0: "see "/0 "li nk"/4 " "/0)");
  EXPECT_EQ(doc.Item(0, 1).AsText()->Target, "https://example.org/");

  // With a selection too.
  ed.SetSelection({0, 1, 3}, {0, 1, 5});
  EndOfHyperlinkRule(ed);
  EXPECT_EQ(ed.CurTextStyleNo(), kJump1);
  ed.TypeText(" ");
  EXPECT_EQ(Dump(doc), R"(0: "see "/0 "li  "/4 " "/0)");

  // Enter at the end of the link: the new line is plain.
  ed.SetCaret({0, 1, 4});
  EndOfHyperlinkRule(ed);
  ed.TypeText("\n");
  EXPECT_EQ(Dump(doc), R"(0: "see "/0 "li  "/4 | 0: " "/0)");
  EXPECT_EQ(ed.Caret(), (TRVPosition{1, 0, 0}));
}

}  // namespace
}  // namespace nv
