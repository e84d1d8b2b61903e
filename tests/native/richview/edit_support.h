// Helpers for the editor and layout tests: a compact text form of a
// document, so expectations read like the document they describe.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "richview/document.h"

namespace nv::testing {

// Paragraphs joined by " | ", each "P:" (its style) followed by its items:
// text as "text"/style, pictures as [pic WxH], lines as [hr], checkpoints
// as @name before their item. Line breaks inside text show as \n.
inline std::string Dump(const TRVDocument& doc) {
  std::string out;
  for (size_t p = 0; p < doc.Paragraphs.size(); ++p) {
    const TRVParagraph& para = doc.Paragraphs[p];
    if (p) out += " | ";
    out += std::to_string(para.ParaNo()) + ":";
    for (const TRVItem& item : para.Items()) {
      out += ' ';
      for (const std::string& c : item.Checkpoints) out += "@" + c + " ";
      if (const TRVTextItemInfo* t = item.AsText()) {
        std::string text;
        for (char c : t->Text) text += c == '\n' ? std::string("\\n") : std::string(1, c);
        out += "\"" + text + "\"/" + std::to_string(t->StyleNo);
      } else if (const TRVPictureItemInfo* pic = item.AsPicture()) {
        out += "[pic " + std::to_string(pic->Width) + "x" + std::to_string(pic->Height) + "]";
      } else {
        out += "[hr]";
      }
    }
  }
  return out;
}

inline TRVPictureItemInfo TestPicture(int width = 20, int height = 10) {
  static const std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13};
  TRVPictureItemInfo p;
  p.Kind = TRVPictureKind::Png;
  p.Data = SharedBytes(png);
  p.Width = width;
  p.Height = height;
  return p;
}

// A paragraph of text items given as (text, style) pairs.
inline TRVParagraph& AddPara(TRVDocument& doc, int paraNo, std::vector<std::pair<std::string, int>> runs) {
  TRVParagraph& para = doc.AddParagraph(paraNo);
  for (auto& [text, style] : runs) para.AddItem(TRVItem::MakeText(text, style));
  return para;
}

}  // namespace nv::testing
