// Reading items out of documents in tests.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "richview/document.h"
#include "richview/rvf.h"

namespace nv::testing {

// Every picture item of a document, in order.
inline std::vector<const TRVPictureItemInfo*> PictureItems(const TRVDocument& doc) {
  std::vector<const TRVPictureItemInfo*> out;
  for (const TRVParagraph& para : doc.Paragraphs)
    for (const TRVItem& item : para.Items())
      if (const TRVPictureItemInfo* p = item.AsPicture()) out.push_back(p);
  return out;
}

// The text of RichView Format bytes, paragraphs joined by a line feed.
inline std::string RvfText(std::string_view rvf) {
  TRVDocument doc;
  unsigned warnings = 0;
  if (!LoadRVF(rvf, doc, warnings)) return "<not RichView Format>";
  std::string text;
  for (size_t p = 0; p < doc.Paragraphs.size(); ++p) {
    if (p) text += '\n';
    for (const TRVItem& item : doc.Paragraphs[p].Items())
      if (const TRVTextItemInfo* t = item.AsText()) text += t->Text;
  }
  return text;
}

}  // namespace nv::testing
