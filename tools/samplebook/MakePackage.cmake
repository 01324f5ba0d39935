# Assembles a setup package for the sample Picture Book, as a sender would
# ship it: the setup program, its script, the licence, the viewer and the
# book's files side by side.
# Run with -DBOOK_DIR=... -DOUT_DIR=... -DSETUP=... -DVIEWER=...

file(REMOVE_RECURSE ${OUT_DIR})
file(MAKE_DIRECTORY ${OUT_DIR})
file(GLOB _book RELATIVE ${BOOK_DIR} ${BOOK_DIR}/*)
list(SORT _book)

set(_photos 0)
set(_lines "")
foreach(_name IN LISTS _book)
  file(SIZE ${BOOK_DIR}/${_name} _size)
  math(EXPR _photos "${_photos} + ${_size}")
  string(APPEND _lines "${_name}\n")
  file(COPY ${BOOK_DIR}/${_name} DESTINATION ${OUT_DIR})
endforeach()
file(SIZE ${VIEWER} _viewer)
file(SIZE ${SETUP} _setup)
math(EXPR _viewer "${_viewer} + ${_setup}")

file(WRITE ${OUT_DIR}/Corvale.inf
"[Version]
Signature=\"$CHICAGO$\"

[Strings]
PHOTOS_DESC=\"Demo\"
PHOTOS_OWNER=\"The Corvale developers\"
PHOTOS_OWNER_EMAIL=\"corvale@example.org\"
PHOTOS_FILE=\"Demo.pbk\"
CORVALE_INCLUDED=\"1\"
SPACE_REQD_PV=\"${_viewer}\"
SPACE_REQD_PHOTOS=\"${_photos}\"
SPACE_REQD_HELP=\"0\"

[DestinationDirs]
ViewerFiles=65600
ScriptFiles=65600
BookFiles=65601

[CorvaleInstall]
CopyFiles=ViewerFiles,ScriptFiles

[Option2Section]
CopyFiles=BookFiles,ScriptFiles
AddReg=BookReg

[CorvaleUninstall]
DelFiles=BookFiles,ViewerFiles,ScriptFiles
DelReg=BookReg

[ViewerFiles]
Corvale.exe

[ScriptFiles]
Corvale.inf

[BookFiles]
${_lines}
[BookReg]
HKCU,Software\\Quillfen\\Corvale\\Books,Demo,0,\"%65601%\\%PHOTOS_FILE%\"
")

file(WRITE ${OUT_DIR}/license.txt
"Corvale sample package

This package holds a sample Picture Book and the Corvale viewer, built from
this source tree. It is given to you as it is, without any warranty.

Press Yes to install it, or No to end setup.
")

file(COPY_FILE ${SETUP} ${OUT_DIR}/setup)
file(COPY_FILE ${VIEWER} ${OUT_DIR}/Corvale.exe)
