// Resource ids of the pictures of the notebook toolbar, the reader button,
// the file manager's two popup menus, the reader's "Get Feed" button and the
// About window. The resource compiler reads this file too, so the ids are
// plain macros; C++ code uses the IconId names, one per control or menu item
// (named after it), even where two items show the same picture.
#pragma once

// Notebook toolbar, left to right.
#define NV_IDI_OPENBTN 301
#define NV_IDI_SAVEBTN 302
#define NV_IDI_INSERTIMAGEBTN 303
#define NV_IDI_ITALICBTN 304
#define NV_IDI_BOLDBTN 305
#define NV_IDI_UNDERLINEBTN 306
#define NV_IDI_LINEBTN 307
#define NV_IDI_FONTBTN 308
#define NV_IDI_ENCRYPTBTN 309
#define NV_IDI_DECRYPTBTN 310
#define NV_IDI_RSSBTN 311
// Directory list popup menu, in menu order.
#define NV_IDI_REMOVEDIR1 321
#define NV_IDI_MAKEDIR1 322
#define NV_IDI_DELETESELECTEDDIR1 323
#define NV_IDI_RENAMEDIR1 324
#define NV_IDI_COPYDIR1 325
#define NV_IDI_MOVEDIR1 326
// File list popup menu, in menu order.
#define NV_IDI_DELETEFILE2 331
#define NV_IDI_RE 332
#define NV_IDI_DELETESELECTEDFILES1 333
#define NV_IDI_FILEAGE1 334
#define NV_IDI_MOV 335
#define NV_IDI_COPYFILE1 336
#define NV_IDI_OPENFILE1 337
#define NV_IDI_LASTACCESS1 338
// Reader and About window.
#define NV_IDI_BREFRESH 341
#define NV_IDI_IMAGE1 342

#ifndef RC_INVOKED
namespace nv::ui {

enum class IconId : int {
  OpenBtn = NV_IDI_OPENBTN,
  SaveBtn = NV_IDI_SAVEBTN,
  InsertImageBtn = NV_IDI_INSERTIMAGEBTN,
  ItalicBtn = NV_IDI_ITALICBTN,
  BoldBtn = NV_IDI_BOLDBTN,
  UnderlineBtn = NV_IDI_UNDERLINEBTN,
  LineBtn = NV_IDI_LINEBTN,
  FontBtn = NV_IDI_FONTBTN,
  EncryptBtn = NV_IDI_ENCRYPTBTN,
  DecryptBtn = NV_IDI_DECRYPTBTN,
  RSSbtn = NV_IDI_RSSBTN,
  RemoveDir1 = NV_IDI_REMOVEDIR1,
  MakeDir1 = NV_IDI_MAKEDIR1,
  DeleteSelectedDir1 = NV_IDI_DELETESELECTEDDIR1,
  RenameDir1 = NV_IDI_RENAMEDIR1,
  CopyDir1 = NV_IDI_COPYDIR1,
  MoveDir1 = NV_IDI_MOVEDIR1,
  DeleteFile2 = NV_IDI_DELETEFILE2,
  Re = NV_IDI_RE,
  DeleteSelectedFiles1 = NV_IDI_DELETESELECTEDFILES1,
  FileAge1 = NV_IDI_FILEAGE1,
  Mov = NV_IDI_MOV,
  CopyFile1 = NV_IDI_COPYFILE1,
  OpenFile1 = NV_IDI_OPENFILE1,
  LastAccess1 = NV_IDI_LASTACCESS1,
  bRefresh = NV_IDI_BREFRESH,
  Image1 = NV_IDI_IMAGE1,
};

// The notebook's items of the toolbar in toolbar order (the font and size
// selectors carry no picture), then the reader button.
inline constexpr IconId kToolbarIcons[] = {
    IconId::OpenBtn,   IconId::SaveBtn,    IconId::InsertImageBtn, IconId::ItalicBtn,
    IconId::BoldBtn,   IconId::UnderlineBtn, IconId::LineBtn,      IconId::FontBtn,
    IconId::EncryptBtn, IconId::DecryptBtn, IconId::RSSbtn};
inline constexpr IconId kDirMenuIcons[] = {
    IconId::RemoveDir1, IconId::MakeDir1, IconId::DeleteSelectedDir1,
    IconId::RenameDir1, IconId::CopyDir1, IconId::MoveDir1};
inline constexpr IconId kFileMenuIcons[] = {
    IconId::DeleteFile2, IconId::Re,        IconId::DeleteSelectedFiles1, IconId::FileAge1,
    IconId::Mov,         IconId::CopyFile1, IconId::OpenFile1,            IconId::LastAccess1};

}  // namespace nv::ui
#endif
