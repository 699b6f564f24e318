#pragma once
// The frame of the main window that its start-up and shut-down set up: the
// three dock sites (left, right, bottom) with the panels docked in them, the
// image lists, the command line, the option blocks loaded at the first
// showing and saved at destruction, the command-line project with the window's
// captions, the terminate step, and the question before unsaved work is lost.

#include "common/abi/LogProc.h"
#include "configurator/shell/StartUp.h"

#include <QObject>
#include <QString>

#include <functional>

class QMainWindow;
class QWidget;

namespace zo::configurator {

class TCustomDockFormEx;
class TFloatTreeCep;
class TFrameSite;
class TProjectSession;


class TProgramFrame : public QObject {
    Q_OBJECT
public:
    // Makes the three sites of the window, each of kind 1; the dock forms it
    // makes record where they float in floatTree.
    TProgramFrame(QMainWindow& window, TFloatTreeCep& floatTree);

    TFrameSite* FrameSiteLeft;
    TFrameSite* FrameSiteRight;
    TFrameSite* FrameSiteBottom;
    TProgramImageLists ImageLists;

    // A panel in a floating-capable frame of its own (named after the panel),
    // docked into the site and shown.
    TCustomDockFormEx* DockPanel(QWidget* panel, TFrameSite* site);
    // The frame a panel was docked in, or nil.
    TCustomDockFormEx* FrameOf(const QWidget* panel) const;

    // The option blocks through the kernel: loaded at the first showing, saved
    // at destruction; nothing without the kernel.
    static void LoadOptions(const TProjectSession& session);
    static void SaveOptions(const TProjectSession& session);

    // As the application quits: "Terminate Application", the project closed,
    // every scheme window closed; once.
    void Terminate(TLogProc log, TProjectSession& session, const std::function<void()>& closeAllSchemeWindows);

private:
    QMainWindow& window_;
    TFloatTreeCep& floatTree_;
    bool terminated_ = false;
};

}  // namespace zo::configurator
