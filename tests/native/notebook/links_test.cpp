#include "notebook/notebook_links.h"

#include <gtest/gtest.h>

namespace nv {
namespace {

TEST(NotebookLinks, OnlyWebAndMailAddressesAreOpened) {
  for (const char* yes : {"http://example.org/", "HTTPS://example.org/a?b#c", "mailto:someone@example.org",
                          "MailTo:x@y"})
    EXPECT_TRUE(IsLinkToOpen(yes)) << yes;
  for (const char* no : {"file:///C:/Windows/notepad.exe", "javascript:alert(1)", "C:\\x\\y.exe", "#top",
                         "example.org", "", "ftp://example.org/", "res://x.dll/y", "mailto"})
    EXPECT_FALSE(IsLinkToOpen(no)) << no;
  EXPECT_EQ(LinkNotOpenedText("file:x"),
            "The link \"file:x\" was not opened: only http, https and mailto addresses are opened.");
}

}  // namespace
}  // namespace nv
