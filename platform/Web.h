#pragma once
// Web pages in the user's browser: the product's site, its forum, the help
// pages of Help.xml and the block help, opened through the desktop's opener
// (QDesktopServices). Tests replace the opener with SetUrlOpener.

#include <QString>

#include <functional>
#include <string>

namespace zo::platform {

// The product's web site: the host alone (the second stamp of a saved scheme
// picture) and the address with its scheme, so the desktop opens a browser.
inline constexpr char kSiteHost[] = "www.orvanta-plc.example";
QString SiteAddress();  // "https://" + kSiteHost

// Every byte of text: a blank -> "+"; A-Z, a-z, 0-9 and "_" stay; any other
// byte -> "%" and two upper-case hexadecimal digits.
std::string UrlEncode(const std::string& text);

// Opens url with the desktop's web browser; greater than 32 on success, 2 when
// the desktop could not open it (the failure is not reported).
int OpenUrlInBrowser(const QString& url);

// The program that opens web pages on this desktop (its file name without the
// folder, as xdg-mime names it); empty with a message box when none is known.
QString GetDefaultBrowserInfo();

// The opener (default: QDesktopServices::openUrl); an empty function restores it.
using UrlOpener = std::function<bool(const QString& url)>;
void SetUrlOpener(UrlOpener opener);

}  // namespace zo::platform
