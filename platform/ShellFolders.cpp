#include "platform/ShellFolders.h"

#include "platform/Cp1251.h"

#include <QDir>
#include <QStandardPaths>

namespace zo::platform {

namespace {

bool locationOf(int folderId, QStandardPaths::StandardLocation& location) {
    switch (folderId & 0xFF) {
        case kFolderDesktop:
        case kFolderDesktopDirectory:
        case kFolderCommonDesktopDirectory: location = QStandardPaths::DesktopLocation; return true;
        case kFolderPersonal:
        case kFolderCommonDocuments: location = QStandardPaths::DocumentsLocation; return true;
        case kFolderPrograms:
        case kFolderStartMenu: location = QStandardPaths::ApplicationsLocation; return true;
        case kFolderMusic: location = QStandardPaths::MusicLocation; return true;
        case kFolderVideo: location = QStandardPaths::MoviesLocation; return true;
        case kFolderFonts: location = QStandardPaths::FontsLocation; return true;
        case kFolderAppData:
        case kFolderLocalAppData:
        case kFolderCommonAppData: location = QStandardPaths::GenericDataLocation; return true;
        case kFolderInternetCache: location = QStandardPaths::GenericCacheLocation; return true;
        case kFolderPictures: location = QStandardPaths::PicturesLocation; return true;
        case kFolderProfile: location = QStandardPaths::HomeLocation; return true;
        default: return false;
    }
}

}  // namespace

std::string GetSpecialFolderPath(int folderId) {
    QStandardPaths::StandardLocation location{};
    if (!locationOf(folderId, location)) return {};
    const QString path = QStandardPaths::writableLocation(location);
    if (path.isEmpty()) return {};
    bool lossless = true;
    std::string result = qstringToCp1251(path, &lossless);
    if (!lossless || result.size() > 260) return {};
    if (!QDir().mkpath(path)) return {};
    return result;
}

}  // namespace zo::platform
