// Reading items out of documents in tests.
#pragma once

#include <vector>

#include "notebook/richview/document.h"

namespace nv::testing {

// Every picture item of a document, in order.
inline std::vector<const TRVPictureItemInfo*> PictureItems(const TRVDocument& doc) {
  std::vector<const TRVPictureItemInfo*> out;
  for (const TRVParagraph& para : doc.Paragraphs)
    for (const TRVItem& item : para.Items())
      if (const TRVPictureItemInfo* p = item.AsPicture()) out.push_back(p);
  return out;
}

}  // namespace nv::testing
