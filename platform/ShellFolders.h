#pragma once
// The paths of the desktop's special folders, by the shell's folder numbers
// (CSIDL values), from QStandardPaths.

#include <string>

namespace zo::platform {

// Folder numbers the program knows.
enum TSpecialFolder : int {
    kFolderDesktop = 0x00,
    kFolderPrograms = 0x02,
    kFolderPersonal = 0x05,  // documents
    kFolderStartMenu = 0x0B,
    kFolderMusic = 0x0D,
    kFolderVideo = 0x0E,
    kFolderDesktopDirectory = 0x10,
    kFolderFonts = 0x14,
    kFolderCommonDesktopDirectory = 0x19,
    kFolderAppData = 0x1A,
    kFolderLocalAppData = 0x1C,
    kFolderInternetCache = 0x20,
    kFolderCommonAppData = 0x23,
    kFolderPictures = 0x27,
    kFolderProfile = 0x28,
    kFolderCommonDocuments = 0x2E,
};

// The folder's path (Windows-1251, native "/" form), created when missing;
// empty for an unknown number, a folder that cannot be made, or a path longer
// than 260 characters or not expressible in Windows-1251. The create flag
// 0x8000 of the number is ignored: the folder is always made.
std::string GetSpecialFolderPath(int folderId);

}  // namespace zo::platform
