// zoscreenshots: the program started as Configurator's main starts it, on the
// project of its one argument and the program folder ZO_SHOT_FOLDER, under an
// X server (scripts/screenshots.sh runs it in xvfb-run). It then brings up
// what a user looks at, one scene after another, and saves the whole screen of
// each into ZO_SHOT_OUT/<scene>.png:
//   main-window      the main window with its panels and the open sheets
//   scheme-200       a scheme window at 200 %
//   library-hint     the element library with a block's picture hint
//   library-hint-edge  the library floating in the screen's bottom-right
//                    corner, the hint of its last block pulled back onto the screen
//   inspector-list   the inspector of a selected block with a value list open
//   floating-panel   the inspector panel floating over the main window
//   options-dialog   the options dialog from the options action
//   options-dialog-block  the same with its first option block shown
//   options-dialog-list   the same with a Boolean option's value list open
//   options-dialog-colour a colour option's "..." dialog over it
//   options-dialog-proxy  the same with the block holding the proxy password,
//                    a password typed in (it shows as bullets)
//   about-box        the about box from the help menu
//   config-log-window  the configuration log window with the lines of a
//                    configuration file just made
//   new-project-box  a new project's box "Проект … создан." in front of its
//                    header window
//   option-off       the main window after the options dialog turned the grid off
//   pasted-block-inspector  a block copied and pasted, the inspector showing the pasted one
// Nobody is asked anything: message boxes take their safe answer, a modal
// dialog is shown, photographed and closed. It ends the way a close does.
// Exit 0 when every scene was saved; 1 names on stderr the scenes that were not.
#include "common/KroKernelConfig.h"
#include "configurator/link/ProjectSession.h"
#include "configurator/link/SchemeLink.h"
#include "configurator/shell/HeapPages.h"
#include "configurator/shell/MainForm.h"
#include "configurator/shell/MessageBoxServices.h"
#include "configurator/shell/Options.h"
#include "configurator/shell/OptionsMenu.h"
#include "configurator/shell/QtTranslations.h"
#include "configurator/windows/CustomDockForm.h"
#include "configurator/windows/ObjInspect.h"
#include "configurator/windows/SchemForm.h"
#include "configurator/windows/SchemeView.h"
#include "configurator/windows/SourceForm.h"
#include "platform/DialogHook.h"
#include "platform/UiServices.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QDockWidget>
#include <QLineEdit>
#include <QEventLoop>
#include <QFileDialog>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <set>
#include <string>

namespace {

using namespace zo::configurator;

class TSafeAnswers : public zo::platform::UiServices {
public:
    void showMessage(const std::string& text, const std::string&, zo::platform::MessageKind) override {
        std::fprintf(stderr, "zoscreenshots: message box: %s\n", text.c_str());
    }
    // The project is a copy the scenes changed (scale, window places): it is not saved.
    zo::platform::Answer ask(const std::string&, const std::string&, zo::platform::Buttons buttons) override {
        return buttons == zo::platform::Buttons::YesNoCancel ? zo::platform::Answer::No
                                                             : zo::platform::safeAnswer(buttons);
    }
};

QString g_out;
std::set<std::string> g_saved;

// Lets the event loop run for ms milliseconds: paints, timers, hints.
void settle(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// The whole screen as the X server shows it, popups and hints included.
void shoot(const char* scene) {
    settle(400);
    QScreen* screen = QGuiApplication::primaryScreen();
    const QString file = g_out + "/" + scene + ".png";
    if (screen && screen->grabWindow(0).save(file)) {
        g_saved.insert(scene);
        std::printf("%s\n", file.toLocal8Bit().constData());
    } else {
        std::fprintf(stderr, "zoscreenshots: %s: the screen could not be saved\n", scene);
    }
}

void mouse(QWidget* target, QEvent::Type type, QPoint at, Qt::MouseButton button) {
    const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent e(type, at, target->mapToGlobal(at), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(target, &e);
}

QDockWidget* dockOf(QWidget* w) {
    for (; w; w = w->parentWidget())
        if (auto* dock = qobject_cast<QDockWidget*>(w)) return dock;
    return nullptr;
}

TSchemForm* firstScheme(TMainForm& form) {
    for (QMdiSubWindow* w : form.MdiArea()->subWindowList())
        if (auto* s = qobject_cast<TSchemForm*>(w)) return s;
    return nullptr;
}

// A client point of the scheme window on the sheet point (x, y) in pixels at
// scale 1 (the framed picture has a margin of five pixels round the sheet).
QPoint schemePoint(TSchemForm& s, int x, int y) {
    const SchemeLayout& l = s.Layout();
    return {l.dest.left + roundEven((x + 5 - l.source.left) * double(s.Scale())),
            l.dest.top + roundEven((y + 5 - l.source.top) * double(s.Scale()))};
}

void schemeAt200(TMainForm& form) {
    TSchemForm* s = firstScheme(form);
    if (!s) return;
    form.MdiArea()->setActiveSubWindow(s);
    // Within the MDI area, as a user could size it (the area shows no scroll bars).
    s->move(0, 0);
    s->resize(form.MdiArea()->viewport()->size().boundedTo(QSize(900, 560)));
    s->SetScale(2.0f);
    shoot("scheme-200");
    s->SetScale(1.0f);
    settle(200);
}

// The pointer over the first block with a picture (or, from the end, the last
// one, near the right end of its row).
void hoverBlock(TSourceForm& library, bool fromEnd) {
    QTreeWidget* tree = library.TreeView1();
    tree->expandAll();
    settle(100);
    QList<QTreeWidgetItem*> blocks;
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
        if ((*it)->childCount() == 0) blocks << *it;
    if (fromEnd) std::reverse(blocks.begin(), blocks.end());
    for (QTreeWidgetItem* block : blocks) {
        tree->scrollToItem(block);
        settle(50);
        const QRect row = tree->visualItemRect(block);
        const QPoint at = fromEnd ? QPoint(row.right() - 8, row.center().y()) : row.center();
        mouse(tree->viewport(), QEvent::MouseMove, at, Qt::NoButton);
        if (!library.PreviewBitmap().isNull()) break;
    }
}

// The pointer leaves the library as a user's does.
void leaveLibrary(TSourceForm& library) {
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(library.TreeView1(), &leave);
}

TSourceForm* shownLibrary(TMainForm& form) {
    auto* library = form.findChild<TSourceForm*>("SourceForm");
    if (!library || !library->isVisible()) {
        std::fprintf(stderr, "zoscreenshots: the element library is not shown\n");
        return nullptr;
    }
    return library;
}

void libraryHint(TMainForm& form) {
    TSourceForm* library = shownLibrary(form);
    if (!library) return;
    hoverBlock(*library, false);
    shoot("library-hint");
    leaveLibrary(*library);
}

void libraryHintAtEdge(TMainForm& form) {
    TSourceForm* library = shownLibrary(form);
    QDockWidget* dock = library ? dockOf(library) : nullptr;
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!dock || !screen) return;
    dock->setFloating(true);
    const QRect desk = screen->geometry();
    dock->setGeometry(desk.right() - 240, desk.bottom() - 260, 240, 260);
    dock->show();
    dock->raise();
    settle(300);
    hoverBlock(*library, true);
    shoot("library-hint-edge");
    leaveLibrary(*library);
    dock->setFloating(false);
    settle(200);
}

// The first block of the first sheet selected, and the first row of the
// inspector that edits through a value list opened.
void inspectorList(TMainForm& form) {
    TSchemForm* s = firstScheme(form);
    auto* inspector = form.findChild<TObjInspect*>("ObjInspect");
    if (!s || !inspector) {
        std::fprintf(stderr, "zoscreenshots: no scheme window or no inspector\n");
        return;
    }
    form.MdiArea()->setActiveSubWindow(s);
    const QPoint block = schemePoint(*s, 4 * 12, 3 * 12);
    mouse(s->Canvas(), QEvent::MouseMove, block, Qt::NoButton);
    mouse(s->Canvas(), QEvent::MouseButtonPress, block, Qt::LeftButton);
    mouse(s->Canvas(), QEvent::MouseButtonRelease, block, Qt::LeftButton);
    settle(300);
    const TInspectorGrid& g = inspector->Grid();
    // A click on a structure's header row folds it: only value rows are tried.
    const std::vector<TInspectorRow> rows = inspector->Rows();
    for (int row = 0; row < int(rows.size()); ++row) {
        if (rows[size_t(row)].Item < 0) continue;
        const QPoint at(g.NameWidth + 20, g.CaptionHeight() + 1 + (row - g.TopRow) * g.RowHeight() + g.RowHeight() / 2);
        inspector->FormMouseMove(at);
        inspector->FormMouseDown(at);
        if (!inspector->CB()->isHidden()) {
            inspector->CB()->showPopup();
            break;
        }
    }
    shoot("inspector-list");
    inspector->CB()->hidePopup();
    inspector->HideEditors();
}

void floatingPanel(TMainForm& form) {
    QDockWidget* dock = dockOf(form.findChild<TObjInspect*>("ObjInspect"));
    if (!dock) {
        std::fprintf(stderr, "zoscreenshots: the inspector is in no panel\n");
        return;
    }
    dock->setFloating(true);
    dock->setGeometry(480, 260, 320, 460);
    dock->show();
    dock->raise();
    shoot("floating-panel");
}

// A modal dialog the runner shows: photographed as this scene, then closed.
const char* g_dialogScene = nullptr;
// What the options dialog is to leave in the display block's grid byte, as a
// user's "Показывать сетку" and "Применить" do; -1 for nothing.
int g_gridOption = -1;

// The options dialog sets the grid option and closes; the main window as it then is.
void optionOff(TMainForm& form) {
    // The inspector back in its panel, out of the scheme's way.
    if (QDockWidget* dock = dockOf(form.findChild<TObjInspect*>("ObjInspect"))) dock->setFloating(false);
    settle(200);
    for (const int grid : {0, 1}) {
        g_gridOption = grid;
        form.Action("Options")->trigger();
        g_gridOption = -1;
        if (grid == 0) shoot("option-off");
    }
}

// The first block of the first sheet copied and pasted beside the blocks.
void pastedBlock(TMainForm& form) {
    TSchemForm* s = firstScheme(form);
    if (!s) return;
    form.MdiArea()->setActiveSubWindow(s);
    const QPoint block = schemePoint(*s, 4 * 12, 3 * 12);
    mouse(s->Canvas(), QEvent::MouseMove, block, Qt::NoButton);
    mouse(s->Canvas(), QEvent::MouseButtonPress, block, Qt::LeftButton);
    mouse(s->Canvas(), QEvent::MouseButtonRelease, block, Qt::LeftButton);
    auto key = [s](int code) {
        for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
            QKeyEvent e(type, code, Qt::ControlModifier);
            QApplication::sendEvent(s->Canvas(), &e);
        }
    };
    key(Qt::Key_C);
    // Room for it: the canvas's bottom edge dragged five cells down.
    const int bottom = s->Bitmap().height() - 10 + 2;
    const QPoint edge = schemePoint(*s, s->Bitmap().width() / 2, bottom);
    mouse(s->Canvas(), QEvent::MouseMove, edge, Qt::NoButton);
    mouse(s->Canvas(), QEvent::MouseButtonPress, edge, Qt::LeftButton);
    mouse(s->Canvas(), QEvent::MouseMove, edge + QPoint(0, 60), Qt::LeftButton);
    mouse(s->Canvas(), QEvent::MouseButtonRelease, edge + QPoint(0, 60), Qt::LeftButton);
    settle(200);
    mouse(s->Canvas(), QEvent::MouseMove, schemePoint(*s, 4 * 12, bottom + 12), Qt::NoButton);
    key(Qt::Key_V);
    shoot("pasted-block-inspector");
}

void dialogScene(const char* scene, QAction* action) {
    if (!action) {
        std::fprintf(stderr, "zoscreenshots: %s: no action opens it\n", scene);
        return;
    }
    g_dialogScene = scene;
    action->trigger();
    g_dialogScene = nullptr;
}

// A press on a row of an inspector's grid.
void pressRow(TObjInspect& inspector, int row) {
    const TInspectorGrid& g = inspector.Grid();
    const QPoint at(g.NameWidth + 20, g.CaptionHeight() + 1 + (row - g.TopRow) * g.RowHeight() + g.RowHeight() / 2);
    mouse(inspector.Image1(), QEvent::MouseMove, at, Qt::NoButton);
    mouse(inspector.Image1(), QEvent::MouseButtonPress, at, Qt::LeftButton);
    mouse(inspector.Image1(), QEvent::MouseButtonRelease, at, Qt::LeftButton);
}

// The first tree node whose block has a row of this item name; its row, -1 none.
int showBlockWith(TOptionsDialog& options, const char* itemName) {
    for (int node = 0; node < 64; ++node) {
        options.SelectNode(node);
        options.TreeView1Click();
        const TStructInstance instance = options.ShownInstance();
        if (!instance.Struct || !zo::KernelOptionsPtr) continue;
        const TStructAccess& access = zo::KernelOptionsPtr->Inspector.StructAccess;
        for (int item = 0; item < access.GetStructItemCount(&instance); ++item)
            if (std::string(access.GetStructItemName(&instance, uint16_t(item))) == itemName) return item;
    }
    return -1;
}

// The options dialog's further scenes: its first block, a value list open, a
// colour's "..." dialog, a password typed in.
void optionsScenes(TOptionsDialog& options) {
    TObjInspect& inspector = *options.Inspector;
    options.TreeView1->expandAll();
    for (int node = 0; node < 64 && !options.ShownInstance().Struct; ++node) {
        options.SelectNode(node);
        options.TreeView1Click();
    }
    shoot("options-dialog-block");
    if (const int row = showBlockWith(options, "ShowGrid"); row >= 0) {
        pressRow(inspector, row);
        if (!inspector.CB()->isHidden()) inspector.CB()->showPopup();
        shoot("options-dialog-list");
        inspector.CB()->hidePopup();
    }
    if (const int row = showBlockWith(options, "GridColor"); row >= 0) {
        pressRow(inspector, row);
        if (!inspector.BitBtndlg()->isHidden()) {
            // The colour dialog comes through the runner as a scene of its own.
            g_dialogScene = "options-dialog-colour";
            inspector.BitBtndlg()->click();
            g_dialogScene = "options-dialog";
        }
    }
    // A password entered (the copy of the program folder keeps it, nobody else).
    if (const int row = showBlockWith(options, "ProxyPassword"); row >= 0) {
        pressRow(inspector, row);
        inspector.EditValue()->setText(QStringLiteral("proxy-pass"));
        settle(200);
        shoot("options-dialog-proxy");
        inspector.HideEditors();
    }
}

// A dialog the scene answers itself instead of photographing it.
std::function<int(QDialog&)> g_dialogAnswer;

// A configuration file made from the open project into the Configuration
// folder of the program folder (the current one): its log window with the
// lines the kernel wrote.
void configLogWindow(TMainForm& form) {
    const QString file = QDir::current().filePath("Configuration/Screenshot.cfg");
    g_dialogAnswer = [file](QDialog& dialog) {
        auto* chooser = qobject_cast<QFileDialog*>(&dialog);
        if (!chooser) return int(QDialog::Rejected);
        chooser->selectFile(file);
        return int(QDialog::Accepted);
    };
    form.Action("ProjectCreateCFG")->trigger();
    g_dialogAnswer = nullptr;
    shoot("config-log-window");
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible() && window->windowTitle() == "CreateConfig.log") window->close();
}

// The boxes of the program as it shows them, each photographed and closed.
class TShownBoxes : public TSafeAnswers {
public:
    explicit TShownBoxes(const char* scene) : scene_(scene) {}
    void showMessage(const std::string& text, const std::string& caption, zo::platform::MessageKind kind) override {
        QTimer::singleShot(0, [scene = scene_] {
            shoot(scene);
            if (auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget())) box->accept();
        });
        boxes_.showMessage(text, caption, kind);
    }

private:
    const char* scene_;
    TMessageBoxServices boxes_;
};

// The open project closed (not saved), a new one made with the proposed name
// and the first device: its box in front of its header window.
void newProjectBox(TMainForm& form) {
    form.Action("CloseProject")->trigger();
    TShownBoxes boxes("new-project-box");
    zo::platform::UiServices* previous = zo::platform::setUiServices(&boxes);
    g_dialogAnswer = [](QDialog&) { return int(QDialog::Accepted); };
    form.Action("NewProject")->trigger();
    g_dialogAnswer = nullptr;
    zo::platform::setUiServices(previous);
}

}  // namespace

int main(int argc, char** argv) {
    zo::configurator::UseLargeHeapPages();
    QApplication app(argc, argv);
    QApplication::setApplicationName("Configurator");
    InstallQtTranslations(app);
    TSafeAnswers answers;
    zo::platform::setUiServices(&answers);
    zo::platform::setDialogRunner([](QDialog& dialog) {
        if (g_dialogAnswer) return g_dialogAnswer(dialog);
        if (g_gridOption >= 0 && qobject_cast<TOptionsDialog*>(&dialog)) {
            ProgramOptionBlocks().Visible[0] = uint8_t(g_gridOption);
            return int(QDialog::Accepted);
        }
        if (!g_dialogScene) return int(QDialog::Rejected);
        dialog.show();
        dialog.raise();
        shoot(g_dialogScene);
        if (auto* options = qobject_cast<TOptionsDialog*>(&dialog)) optionsScenes(*options);
        dialog.hide();
        return int(QDialog::Rejected);
    });
    const char* folder = std::getenv("ZO_SHOT_FOLDER");
    const char* out = std::getenv("ZO_SHOT_OUT");
    g_out = QDir(QString::fromLocal8Bit(out ? out : ".")).absolutePath();
    int loopResult = 0;
    const std::set<std::string> scenes = {"main-window",    "scheme-200",     "library-hint", "library-hint-edge", "inspector-list",
                                          "floating-panel", "options-dialog", "options-dialog-block", "options-dialog-list",
                                          "options-dialog-colour", "options-dialog-proxy",
                                          "about-box", "option-off", "pasted-block-inspector",
                                          "config-log-window", "new-project-box"};
    {
        TProjectSession session;
        SchemeLink schemeLink(session);
        TMainForm mainForm(session, schemeFormFactory(schemeLink));
        mainForm.FormCreate(folder ? QString::fromLocal8Bit(folder) : QString());
        if (QScreen* screen = QGuiApplication::primaryScreen()) mainForm.setGeometry(screen->availableGeometry());
        mainForm.showMaximized();
        mainForm.FormShow();
        // The scenes run inside the program's event loop; the close at the end
        // ends it as a user's close does.
        QTimer::singleShot(0, &mainForm, [&mainForm] {
            settle(1500);
            shoot("main-window");
            schemeAt200(mainForm);
            libraryHint(mainForm);
            libraryHintAtEdge(mainForm);
            inspectorList(mainForm);
            floatingPanel(mainForm);
            dialogScene("options-dialog", mainForm.Action("Options"));
            dialogScene("about-box", mainForm.findChild<QAction*>("HelpAbout"));
            optionOff(mainForm);
            pastedBlock(mainForm);
            configLogWindow(mainForm);
            newProjectBox(mainForm);
            // A refused close would also refuse quit(): exit() ends the loop regardless.
            const bool closed = mainForm.close();
            if (!closed) std::fprintf(stderr, "zoscreenshots: the main window refused to close\n");
            QCoreApplication::exit(closed ? 0 : 2);
        });
        loopResult = QApplication::exec();
    }
    ReleaseDockForms();
    zo::platform::setDialogRunner({});
    zo::platform::setUiServices(nullptr);
    int missing = 0;
    for (const std::string& s : scenes)
        if (!g_saved.count(s)) {
            std::fprintf(stderr, "zoscreenshots: no screenshot of %s\n", s.c_str());
            ++missing;
        }
    return missing == 0 && loopResult == 0 ? 0 : 1;
}
