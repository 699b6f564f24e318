#pragma once
// Web pages in the user's browser: the product's site, its forum, the help
// pages of Help.xml and the block help, and local files and folders shown by
// the desktop (XML files, the upload folder), opened through the desktop's
// opener (QDesktopServices) once the desktop names a program for them. Tests
// replace the desktop with SetUrlOpener.

#include <QString>

#include <functional>
#include <string>

namespace zo::platform {

// The product's web site: the host alone (the link of the about box, the
// second stamp of a saved scheme picture) and the address with its scheme, so
// the desktop opens a browser.
inline constexpr char kSiteHost[] = "www.orvanta-plc.example";
QString SiteAddress();  // "https://" + kSiteHost

// The box shown when the desktop names no program for an address, or the one
// it names could not be started.
inline constexpr char kNoBrowserMessage[] = "Cannot determine the executable.";

// Every byte of text: a blank -> "+"; A-Z, a-z, 0-9 and "_" stay; any other
// byte -> "%" and two upper-case hexadecimal digits.
std::string UrlEncode(const std::string& text);

// Opens url (a web address or a file: address) with the program the desktop
// names for it; greater than 32 on success. When no program is named or it
// could not be started, the box kNoBrowserMessage and 2.
int OpenUrlInBrowser(const QString& url);

// The program that opens web pages on this desktop (its file name without the
// folder, as xdg-mime names it); empty with the box kNoBrowserMessage when none is known.
QString GetDefaultBrowserInfo();

// The desktop (default: the program xdg-mime names, then
// QDesktopServices::openUrl): true when the address was handed to a program.
// An empty function restores the default.
using UrlOpener = std::function<bool(const QString& url)>;
void SetUrlOpener(UrlOpener opener);

}  // namespace zo::platform
